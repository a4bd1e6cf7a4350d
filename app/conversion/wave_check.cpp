// The wave file gate of the window: reads the header and lets the same check
// the command-line converter uses decide; the window says the refusal.

#include "app/card/common.h"
#include "app/shell/projekt.h"
#include "library/wave_header.h"

#include <algorithm>
#include <memory>
#include <string>

namespace tf {

namespace {

// The first 44 bytes of the file; whatever cannot be read stays 0, which the
// check refuses as an invalid format. Nothing here fails to the caller.
WaveHeaderBytes ReadHeaderBytes(FileSystem& fs, const std::string& path) {
    WaveHeaderBytes header{};
    std::unique_ptr<TextReader> reader;
    std::size_t have = 0;
    try {
        reader = fs.OpenTextForReading(path);
        while (have < header.size()) {
            const std::string chunk = reader->ReadBytes(header.size() - have);
            if (chunk.empty())
                break;
            const std::size_t n = std::min(chunk.size(), header.size() - have);
            std::copy_n(chunk.begin(), n, header.begin() + static_cast<std::ptrdiff_t>(have));
            have += n;
        }
    } catch (const std::exception&) {
    }
    try {
        if (reader)
            reader->Close();
    } catch (const std::exception&) {
    }
    return header;
}

texts::Pair Refusal(WaveCheck check) {
    switch (check) {
    case WaveCheck::NotStereo:
        return {"Mono-Waves können nicht verarbeitet werden.", "Mono waves cannot be used."};
    case WaveCheck::Not44100Hz:
        return {"Nur Waves mit 44.1 kHz können verwendet werden.",
                "Only waves with 44.1 kHz can be used."};
    case WaveCheck::Not16Bit:
        return {"Nur Waves mit 16 Bit können verwendet werden.",
                "Only waves with 16 Bit can be used."};
    default:
        return {"Kein gültiges WAVE-Format", "Invalid wave format"};
    }
}

} // namespace

std::uint8_t Projekt::Header_auslesen() {
    const WaveCheck check = check_wave_header(ReadHeaderBytes(s_.fs, Quell_Wave_Pfad));
    if (check == WaveCheck::Accepted)
        return 1;
    s_.msg.Show(texts::In(*this, Refusal(check)), MsgButtons::Ok, MsgIcon::None, kTitleApp);
    return 0;
}

} // namespace tf
