#include "library/name_rule.h"

#include "library/project_format.h"

namespace tf {

namespace {

struct LeadRange {
    std::size_t length;
    unsigned low; // the allowed range of the second byte; later ones are 80..BF
    unsigned high;
};

// The well-formed sequences of UTF-8: no overlong forms, no surrogates,
// nothing above U+10FFFF.
LeadRange lead_range(unsigned lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return {2, 0x80, 0xBF};
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return {3, lead == 0xE0 ? 0xA0u : 0x80u, lead == 0xED ? 0x9Fu : 0xBFu};
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return {4, lead == 0xF0 ? 0x90u : 0x80u, lead == 0xF4 ? 0x8Fu : 0xBFu};
    }
    return {1, 0, 0};
}

} // namespace

Utf8Piece utf8_piece(std::string_view s, std::size_t i) {
    const auto lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x80) {
        return {1, true};
    }
    LeadRange range = lead_range(lead);
    std::size_t k = 1;
    for (; k < range.length && i + k < s.size(); ++k) {
        const unsigned c = static_cast<unsigned char>(s[i + k]);
        if (c < range.low || c > range.high) {
            break;
        }
        range.low = 0x80;
        range.high = 0xBF;
    }
    return {k, k == range.length && k > 1};
}

std::string prepare_name(std::string_view typed, NameEncoding encoding) {
    std::string name;
    std::size_t i = 0;
    while (name.size() < kNameSize && i < typed.size()) {
        const std::size_t n = encoding == NameEncoding::Utf8 ? utf8_piece(typed, i).length : 1;
        const auto c = static_cast<unsigned char>(typed[i]);
        const bool kept = n == 1 && c >= 34 && c <= 125;
        name.push_back(kept ? static_cast<char>(c) : ' ');
        i += n;
    }
    name.resize(kNameSize, ' ');
    return name;
}

} // namespace tf
