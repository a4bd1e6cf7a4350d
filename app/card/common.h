#pragma once
// Texts and rules that more than one handler of the window uses. Each pair is German
// first, English second; Projekt::Text picks one at the moment it is shown.

#include "app/shell/projekt.h"

#include <cstdint>
#include <iterator>
#include <string>

namespace tf::texts {

struct Pair {
    const char* german;
    const char* english;
};

inline constexpr Pair kNotReady{"Laufwerk ist nicht bereit zum Datenaustausch.",
                                "Drive is not ready for data exchange."};
inline constexpr Pair kChooseDriveFirst{"Bitte wählen Sie zuerst ein Laufwerk aus.",
                                        "Please select a drive first."};
inline constexpr Pair kCompleted{"Fertig", "Completed"};
inline constexpr Pair kError{"Fehler", "Error"};

inline const char* In(const Projekt& window, Pair text) {
    return window.Text(text.german, text.english);
}

// A drive as the card handlers accept it: exactly a letter and a colon.
inline bool IsDriveName(const std::string& s) {
    return s.size() == 2 && s[1] == ':' &&
           ((s[0] >= 'a' && s[0] <= 'z') || (s[0] >= 'A' && s[0] <= 'Z'));
}

inline bool CardSizeFits(std::int32_t kb) { return kb >= kCardMinKb && kb <= kCardMaxKb; }

// The advertised card sizes as the size messages name them: "64, 128, 256
// oder 512" (English "... or 512").
inline std::string CardSizeFigures(const Projekt& window) {
    constexpr std::size_t kNamed = std::size(kCardSizesMb) - 1;
    std::string out;
    for (std::size_t i = 0; i < kNamed; ++i) {
        if (i > 0)
            out += i + 1 == kNamed ? window.Text(" oder ", " or ") : ", ";
        out += std::to_string(kCardSizesMb[i]);
    }
    return out;
}

} // namespace tf::texts
