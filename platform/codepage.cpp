// Windows-1252 as the ANSI code page of non-Windows builds (the Windows build
// asks the system instead, see win32/codepage_win32.cpp).
#ifndef _WIN32

#include "platform/codepage.h"

#include <array>
#include <cstdint>

namespace tf {
namespace {

// 0x80..0x9F; the five bytes Windows-1252 leaves undefined map to the C1
// control of the same number, as Windows itself converts them.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t ByteToCodePoint(unsigned char b) {
    if (b >= 0x80 && b < 0xA0)
        return kHighControls[b - 0x80];
    return b;
}

// -1 when the code point has no byte in Windows-1252.
int CodePointToByte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == c)
            return static_cast<int>(0x80 + i);
    return -1;
}

void AppendUtf8(std::string &out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 sequence at s[i]; advances i. Returns -1 for a malformed
// sequence (one byte is consumed then).
long DecodeUtf8(const std::string &s, std::size_t &i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char lead = byte(i);
    int extra = lead < 0x80           ? 0
                : (lead >> 5) == 0x6  ? 1
                : (lead >> 4) == 0xE  ? 2
                : (lead >> 3) == 0x1E ? 3
                                      : -1;
    if (extra < 0 || i + extra >= s.size()) {
        ++i;
        return -1;
    }
    if (extra == 0) {
        ++i;
        return lead;
    }
    long c = lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        unsigned char cont = byte(i + k);
        if ((cont & 0xC0) != 0x80) {
            ++i;
            return -1;
        }
        c = (c << 6) | (cont & 0x3F);
    }
    static constexpr long kMin[] = {0, 0x80, 0x800, 0x10000};
    if (c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        return -1;
    }
    i += extra + 1;
    return c;
}

} // namespace

std::string Utf8ToAnsi(const std::string &utf8, bool *lossless, char replacement) {
    std::string out;
    out.reserve(utf8.size());
    bool all = true;
    for (std::size_t i = 0; i < utf8.size();) {
        long c = DecodeUtf8(utf8, i);
        int b = c < 0 ? -1 : CodePointToByte(static_cast<char32_t>(c));
        if (b < 0) {
            all = false;
            out += replacement;
        } else {
            out += static_cast<char>(b);
        }
    }
    if (lossless)
        *lossless = all;
    return out;
}

std::string AnsiToUtf8(const std::string &ansi) {
    std::string out;
    out.reserve(ansi.size() + ansi.size() / 4);
    for (char ch : ansi)
        AppendUtf8(out, ByteToCodePoint(static_cast<unsigned char>(ch)));
    return out;
}

} // namespace tf

#endif
