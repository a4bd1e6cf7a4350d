#pragma once
// A private folder for a fuzz target's files, and the check that a run left
// nothing in it but the input it was given.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace tf::fuzz {

// TF_FUZZ_SCRATCH names it (the run's script makes and removes it); without it
// a fresh temporary folder is made.
inline const std::filesystem::path &Scratch() {
    static const std::filesystem::path folder = [] {
        if (const char *given = std::getenv("TF_FUZZ_SCRATCH"))
            return std::filesystem::path(given);
        std::string pattern = (std::filesystem::temp_directory_path() / "tf-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        return std::filesystem::path(pattern);
    }();
    return folder;
}

// Writes the input under `name` in the scratch folder; its path.
inline std::string Input(const std::string &name, const std::uint8_t *data, std::size_t size) {
    const std::filesystem::path path = Scratch() / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
    return path.string();
}

// Aborts (a finding) when anything but `input` is left in the scratch folder;
// then removes the input.
inline void ExpectOnly(const std::string &input) {
    for (const auto &entry : std::filesystem::directory_iterator(Scratch())) {
        if (entry.path() != input) {
            std::fprintf(stderr, "left behind: %s\n", entry.path().c_str());
            std::abort();
        }
    }
    std::filesystem::remove(input);
}

} // namespace tf::fuzz
