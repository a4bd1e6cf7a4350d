// libFuzzer target: any bytes as an audio file go through the preparation's
// decoding. What it makes must be a wave the device takes, of the length it
// reports; a failure must leave nothing behind, not even a temporary file.
#include "fuzz_scratch.h"
#include "library/prepare/prepare.h"
#include "library/wave_header.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string source = tf::fuzz::Input("in.wav", data, size);
    const std::string target = (tf::fuzz::Scratch() / "out.wav").string();
    tf::audio::PrepareReport report;
    const tf::audio::PrepareResult result = tf::audio::prepare_wave(source, target, {}, &report);
    if (result == tf::audio::PrepareResult::Done) {
        const tf::WaveHeaderRead header = tf::read_wave_header(target.c_str());
        const auto bytes = std::filesystem::file_size(target);
        if (!header.opened || tf::check_wave_header(header.bytes) != tf::WaveCheck::Accepted ||
            bytes != 44 + report.frames_written * 4) {
            std::fprintf(stderr, "prepared wave refused or of the wrong length (%llu bytes)\n",
                         static_cast<unsigned long long>(bytes));
            std::abort();
        }
        std::filesystem::remove(target);
    }
    tf::fuzz::ExpectOnly(source);
    return 0;
}
