// The wave file gate of the window: reads the header and lets the same check
// the command-line converter uses decide, and says its verdict in words.

#include "app/conversion/wave_verdict.h"
#include "app/shell/projekt.h"
#include "platform/steps.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tf {

namespace {

// The first 44 bytes of the file; whatever cannot be read stays 0, which the
// check refuses as an invalid format. Nothing here fails to the caller.
using WaveHeaderBytes = std::array<std::uint8_t, 44>;

WaveHeaderBytes ReadHeaderBytes(FileSystem &fs, const std::string &path) {
    WaveHeaderBytes header{};
    std::unique_ptr<TextReader> reader;
    std::size_t have = 0;
    steps::Skippable("Header_auslesen: read", [&] {
        reader = fs.OpenTextForReading(path);
        while (have < header.size()) {
            const std::string chunk = reader->ReadBytes(header.size() - have);
            if (chunk.empty())
                break;
            const std::size_t n = std::min(chunk.size(), header.size() - have);
            std::copy_n(chunk.begin(), n, header.begin() + static_cast<std::ptrdiff_t>(have));
            have += n;
        }
    });
    steps::Skippable("Header_auslesen: close", [&] {
        if (reader)
            reader->Close();
    });
    return header;
}

} // namespace

std::uint8_t Projekt::Header_auslesen() {
    const std::optional<Msg> refusal = WaveRefusal(ReadHeaderBytes(s_.fs, Quell_Wave_Pfad));
    if (!refusal)
        return 1;
    s_.msg.Show(Text(*refusal), MsgButtons::Ok, MsgIcon::None, kTitleApp);
    return 0;
}

} // namespace tf
