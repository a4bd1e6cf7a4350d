#pragma once
// Rules that more than one handler of the window uses.

#include "app/shell/projekt.h"

#include <cstdint>
#include <iterator>
#include <string>

namespace tf::texts {

// A drive as the card handlers accept it: exactly a letter and a colon.
inline bool IsDriveName(const std::string &s) {
    return s.size() == 2 && s[1] == ':' &&
           ((s[0] >= 'a' && s[0] <= 'z') || (s[0] >= 'A' && s[0] <= 'Z'));
}

inline bool CardSizeFits(std::int32_t kb) {
    return kb >= kCardMinKb && kb <= kCardMaxKb;
}

// The advertised card sizes as the size messages name them: "64, 128, 256
// oder 512" (English "... or 512").
inline std::string CardSizeFigures(const Projekt &window) {
    constexpr std::size_t kNamed = std::size(kCardSizesMb) - 1;
    std::string out;
    for (std::size_t i = 0; i < kNamed; ++i) {
        if (i > 0)
            out += i + 1 == kNamed ? window.Text(Msg::SizeListOr) : ", ";
        out += std::to_string(kCardSizesMb[i]);
    }
    return out;
}

} // namespace tf::texts
