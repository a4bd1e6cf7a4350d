#include "library/cli/cli.h"

namespace tf::cli {

namespace {

// Length of the character starting at `s[i]`: one byte on Windows (the ANSI
// code page) and for anything that is not a well-formed UTF-8 sequence.
std::size_t char_length(std::string_view s, std::size_t i) {
#ifdef _WIN32
    (void)s;
    (void)i;
    return 1;
#else
    const auto lead = static_cast<unsigned char>(s[i]);
    const std::size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (i + n > s.size()) {
        return 1;
    }
    for (std::size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return n;
#endif
}

} // namespace

std::string prepare_name(std::string_view typed) {
    std::string name;
    std::size_t i = 0;
    while (name.size() < 30 && i < typed.size()) {
        const std::size_t n = char_length(typed, i);
        const auto c = static_cast<unsigned char>(typed[i]);
        const bool kept = n == 1 && (c == ' ' || (c >= 34 && c <= 125));
        name.push_back(kept ? static_cast<char>(c) : ' ');
        i += n;
    }
    name.resize(30, ' ');
    return name;
}

} // namespace tf::cli
