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

// What is wrong with the structure; empty when it holds.
std::vector<std::string> problems_of(std::FILE *f,
                                     const std::array<std::uint8_t, kHeaderSize> &header,
                                     std::size_t got, std::uint64_t size) {
    std::vector<std::string> problems;
    if (got < header.size()) {
        problems.push_back(say(Msg::InfoShort));
    }
    if (std::memcmp(header.data(), kMagic.data(), kMagic.size()) != 0) {
        problems.push_back(say(Msg::InfoMagic));
    }
    for (std::size_t i = kCountOffset + 2; i < header.size(); ++i) {
        if (header[i] != 0) {
            problems.push_back(say(Msg::InfoHeaderByte, {std::to_string(i)}));
            break;
        }
    }
    if (size < kFixedBytes || (size - kFixedBytes) % 2 != 0) {
        problems.push_back(say(Msg::InfoSize));
        return problems;
    }
    if (!is_silence(f, kHeaderSize, kLeadInBytes)) {
        problems.push_back(say(Msg::InfoLeadIn));
    }
    if (!is_silence(f, size - kTailBytes, kTailBytes)) {
        problems.push_back(say(Msg::InfoTail));
    }
    return problems;
}

std::string seconds_of(std::uint64_t audio) {
    return std::to_string(audio / 176400) + "." + std::to_string((audio % 176400) * 10 / 176400);
}

} // namespace

int run_info(const std::string &path) {
    if (const std::string why = not_a_file(path, "project file"); !why.empty()) {
        std::cerr << why;
        return kSourceNotOpened;
    }
    FilePtr f{open_regular_for_reading(path.c_str())};
    const auto size = f ? stream_size(f.get()) : std::nullopt;
    if (!f || !size) {
        std::cerr << say(Msg::InfoCannotOpen, {shown(path)});
        return kSourceNotOpened;
    }
    std::array<std::uint8_t, kHeaderSize> header{};
    const std::size_t got = std::fread(header.data(), 1, header.size(), f.get());
    const std::vector<std::string> problems = problems_of(f.get(), header, got, *size);

    const unsigned count = header[kCountOffset] | header[kCountOffset + 1] << 8;
    const std::uint64_t audio = *size >= kFixedBytes ? *size - kFixedBytes : 0;
    std::cout << say(Msg::InfoReport,
                     {shown(path), printable(header.data(), kMagic.size()),
                      printable(header.data() + kCodeOffset, kCodeSize),
                      printable(header.data() + kNameOffset, kNameSize), std::to_string(count),
                      std::to_string(audio), std::to_string(audio / 4), seconds_of(audio),
                      std::to_string(*size)});
    if (problems.empty()) {
        std::cout << say(Msg::InfoHolds);
        return kOk;
    }
    std::cout << say(Msg::InfoBroken);
    for (const auto &p : problems) {
        std::cout << say(Msg::InfoProblem, {p});
    }
    return kBrokenProjectFile;
}

} // namespace tf::cli
