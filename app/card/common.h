#pragma once
// Rules that more than one handler of the window uses.

#include "app/shell/projekt.h"

#include <cstdint>
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

} // namespace tf::texts
