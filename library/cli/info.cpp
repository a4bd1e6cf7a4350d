#include "library/cli/cli.h"

#include "library/file_system.h"
#include "library/project_format.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <vector>

namespace tf::cli {

namespace {

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Shows a byte string with the non-printable bytes as \xNN.
std::string printable(const std::uint8_t *bytes, std::size_t size) {
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        const auto c = bytes[i];
        if (c >= 0x20 && c <= 0x7E && c != '\\') {
            out.push_back(static_cast<char>(c));
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

// True when `bytes` bytes from `offset` are all the silence pair.
bool is_silence(std::FILE *f, std::uint64_t offset, std::uint64_t bytes) {
    if (!seek_to(f, offset)) {
        return false;
    }
    std::vector<std::uint8_t> block(64 * 1024);
    while (bytes > 0) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(bytes, block.size()));
        if (std::fread(block.data(), 1, want, f) != want) {
            return false;
        }
        for (std::size_t i = 0; i < want; i += 2) {
            if (block[i] != kSilenceLow || block[i + 1] != kSilenceHigh) {
                return false;
            }
        }
        bytes -= want;
    }
    return true;
}

} // namespace

int run_info(const std::string &path) {
    const auto size = file_size(path.c_str());
    FilePtr f{std::fopen(path.c_str(), "rb")};
    if (!f || !size) {
        std::cerr << path << ": cannot be opened\n";
        return kSourceNotOpened;
    }
    std::array<std::uint8_t, kHeaderSize> header{};
    const std::size_t got = std::fread(header.data(), 1, header.size(), f.get());

    std::vector<std::string> problems;
    if (got < header.size()) {
        problems.push_back("shorter than the 7680-byte header");
    }
    if (std::memcmp(header.data(), kMagic.data(), kMagic.size()) != 0) {
        problems.push_back("magic word is not KORVANT");
    }
    for (std::size_t i = kCountOffset + 2; i < header.size(); ++i) {
        if (header[i] != 0) {
            problems.push_back("header byte " + std::to_string(i) + " is not zero");
            break;
        }
    }
    const bool size_ok = *size >= kFixedBytes && (*size - kFixedBytes) % 2 == 0;
    if (!size_ok) {
        problems.push_back("size is not 1402188 + an even audio length");
    } else {
        if (!is_silence(f.get(), kHeaderSize, kLeadInBytes)) {
            problems.push_back("lead-in is not silence");
        }
        if (!is_silence(f.get(), *size - kTailBytes, kTailBytes)) {
            problems.push_back("tail is not silence");
        }
    }

    const unsigned count = header[kCountOffset] | header[kCountOffset + 1] << 8;
    const std::uint64_t audio = *size >= kFixedBytes ? *size - kFixedBytes : 0;
    std::cout << "File:          " << path << "\n"
              << "Magic:         " << printable(header.data(), kMagic.size()) << "\n"
              << "Code:          " << printable(header.data() + kCodeOffset, kCodeSize) << "\n"
              << "Name:          \"" << printable(header.data() + kNameOffset, kNameSize) << "\"\n"
              << "Length count:  " << count << "\n"
              << "Audio:         " << audio << " bytes (" << audio / 4 << " sample frames, "
              << audio / 176400 << "." << (audio % 176400) * 10 / 176400
              << " s at 44.1 kHz stereo)\n"
              << "Size:          " << *size << " bytes (1402188 + " << audio << ")\n";
    if (problems.empty()) {
        std::cout << "Structure:     holds (header zeros, lead-in and tail silence, size)\n";
        return kOk;
    }
    std::cout << "Structure:     broken\n";
    for (const auto &p : problems) {
        std::cout << "  - " << p << "\n";
    }
    return kBrokenProjectFile;
}

} // namespace tf::cli
