// The wave file gate of the window: reads the header and lets the same check
// the command-line converter uses decide.

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

} // namespace

std::uint8_t Projekt::Header_auslesen() {
    const WaveCheck check = check_wave_header(ReadHeaderBytes(s_.fs, Quell_Wave_Pfad));
    if (check == WaveCheck::Accepted)
        return 1;
    const std::string message(
        wave_check_message(check, German() ? Language::German : Language::English));
    s_.msg.Show(message, MsgButtons::Ok, MsgIcon::None, kTitleApp);
    return 0;
}

} // namespace tf
