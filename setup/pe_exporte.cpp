#include "setup/pe_exporte.h"

#include <cstdint>
#include <optional>

namespace tf::setup {

namespace {

// Every read is checked against the image's end: the file comes off an
// install medium and may be cut short or be anything at all.
class Bild {
  public:
    explicit Bild(std::string_view b) : b_(b) {}
    std::optional<std::uint32_t> U32(std::uint64_t at) const { return Le(at, 4); }
    std::optional<std::uint32_t> U16(std::uint64_t at) const { return Le(at, 2); }
    std::optional<std::string_view> Name(std::uint64_t at) const {
        if (at >= b_.size())
            return std::nullopt;
        const std::string_view rest = b_.substr(static_cast<std::size_t>(at));
        const std::size_t end = rest.find('\0');
        if (end == std::string_view::npos)
            return std::nullopt;
        return rest.substr(0, end);
    }

  private:
    std::optional<std::uint32_t> Le(std::uint64_t at, int n) const {
        if (at + static_cast<std::uint64_t>(n) > b_.size())
            return std::nullopt;
        std::uint32_t v = 0;
        for (int i = n - 1; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(b_[static_cast<std::size_t>(at) + i]);
        return v;
    }
    std::string_view b_;
};

} // namespace

bool Exportiert(std::string_view image, std::string_view name) {
    const Bild b(image);
    if (image.size() < 0x40 || image.substr(0, 2) != "MZ")
        return false;
    const auto pe = b.U32(0x3C);
    if (!pe || b.U32(*pe) != 0x00004550u) // "PE\0\0"
        return false;
    const std::uint64_t coff = *pe + 4ull;
    const auto anzahl = b.U16(coff + 2), optional_groesse = b.U16(coff + 16);
    const std::uint64_t opt = coff + 20;
    const auto magic = b.U16(opt);
    if (!anzahl || !optional_groesse || !magic || (*magic != 0x10b && *magic != 0x20b))
        return false;
    const bool pe64 = *magic == 0x20b;
    const auto verzeichnisse = b.U32(opt + (pe64 ? 108 : 92));
    const auto export_rva = b.U32(opt + (pe64 ? 112 : 96));
    if (!verzeichnisse || *verzeichnisse < 1 || !export_rva || *export_rva == 0)
        return false;

    const std::uint64_t tabelle = opt + *optional_groesse;
    auto datei_offset = [&](std::uint32_t rva) -> std::optional<std::uint64_t> {
        for (std::uint32_t i = 0; i < *anzahl; ++i) {
            const std::uint64_t s = tabelle + 40ull * i;
            const auto vgroesse = b.U32(s + 8), va = b.U32(s + 12), rohgroesse = b.U32(s + 16),
                       roh = b.U32(s + 20);
            if (!vgroesse || !va || !rohgroesse || !roh)
                return std::nullopt;
            const std::uint32_t groesse = *vgroesse ? *vgroesse : *rohgroesse;
            if (rva >= *va && rva - *va < groesse && rva - *va < *rohgroesse)
                return static_cast<std::uint64_t>(*roh) + (rva - *va);
        }
        return std::nullopt;
    };

    const auto dir = datei_offset(*export_rva);
    if (!dir)
        return false;
    const auto namen = b.U32(*dir + 24), namen_rva = b.U32(*dir + 32);
    if (!namen || !namen_rva)
        return false;
    const auto liste = datei_offset(*namen_rva);
    if (!liste)
        return false;
    for (std::uint32_t i = 0; i < *namen; ++i) {
        const auto rva = b.U32(*liste + 4ull * i);
        if (!rva)
            return false;
        const auto at = datei_offset(*rva);
        const auto n = at ? b.Name(*at) : std::nullopt;
        if (n && *n == name)
            return true;
    }
    return false;
}

} // namespace tf::setup
