// tf-wavegen: writes a test wave file of any length, streamed, so demos,
// benchmarks and tests need no committed audio.
//   tf-wavegen OUT.wav [--seconds S | --frames N | --megabytes M] [--freq HZ]
//                      [--list] [--rate R] [--channels C] [--bits B] [--format F]
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace {

struct Options {
    const char *path = nullptr;
    std::uint64_t frames = 44100;
    double freq = 440.0;
    bool list = false;
    std::uint32_t rate = 44100;
    std::uint16_t channels = 2;
    std::uint16_t bits = 16;
    std::uint16_t format = 1;
};

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};

void put16(std::vector<std::uint8_t> &out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t> &out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
void put_id(std::vector<std::uint8_t> &out, const char *id) {
    out.insert(out.end(), id, id + 4);
}

// A LIST/INFO chunk as editors append it behind the audio.
std::vector<std::uint8_t> list_chunk() {
    static constexpr char kTitle[] = "Trackforge demo";
    std::vector<std::uint8_t> c;
    put_id(c, "LIST");
    put32(c, 4 + 8 + sizeof kTitle);
    put_id(c, "INFO");
    put_id(c, "INAM");
    put32(c, sizeof kTitle);
    c.insert(c.end(), kTitle, kTitle + sizeof kTitle);
    return c;
}

int usage() {
    std::fputs("usage: tf-wavegen OUT.wav [--seconds S | --frames N | --megabytes M] [--freq HZ]\n"
               "                  [--list] [--rate R] [--channels C] [--bits B] [--format F]\n",
               stderr);
    return 2;
}

bool parse(int argc, char **argv, Options &o) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == "--list") {
            o.list = true;
        } else if (a.starts_with("--") && !has_value) {
            return false;
        } else if (a == "--seconds") {
            o.frames = static_cast<std::uint64_t>(std::atof(argv[++i]) * 44100);
        } else if (a == "--frames") {
            o.frames = std::strtoull(argv[++i], nullptr, 10);
        } else if (a == "--megabytes") {
            o.frames = std::strtoull(argv[++i], nullptr, 10) * 1000000 / 4;
        } else if (a == "--freq") {
            o.freq = std::atof(argv[++i]);
        } else if (a == "--rate") {
            o.rate = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (a == "--channels") {
            o.channels = static_cast<std::uint16_t>(std::atoi(argv[++i]));
        } else if (a == "--bits") {
            o.bits = static_cast<std::uint16_t>(std::atoi(argv[++i]));
        } else if (a == "--format") {
            o.format = static_cast<std::uint16_t>(std::atoi(argv[++i]));
        } else if (!a.starts_with("--") && !o.path) {
            o.path = argv[i];
        } else {
            return false;
        }
    }
    return o.path != nullptr;
}

} // namespace

int main(int argc, char **argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        return usage();
    }
    std::unique_ptr<std::FILE, FileCloser> f{std::fopen(o.path, "wb")};
    if (!f) {
        std::perror(o.path);
        return 1;
    }
    const std::uint64_t data_bytes = o.frames * 4;
    const auto extra = o.list ? list_chunk() : std::vector<std::uint8_t>{};
    std::vector<std::uint8_t> h;
    put_id(h, "RIFF");
    put32(h, static_cast<std::uint32_t>(36 + data_bytes + extra.size()));
    put_id(h, "WAVE");
    put_id(h, "fmt ");
    put32(h, 16);
    put16(h, o.format);
    put16(h, o.channels);
    put32(h, o.rate);
    put32(h, o.rate * o.channels * o.bits / 8);
    put16(h, static_cast<std::uint16_t>(o.channels * o.bits / 8));
    put16(h, o.bits);
    put_id(h, "data");
    put32(h, static_cast<std::uint32_t>(data_bytes));
    bool ok = std::fwrite(h.data(), 1, h.size(), f.get()) == h.size();

    // One second of a stereo sine, repeated: cheap to write at disk speed.
    const std::size_t period = 44100;
    std::vector<std::uint8_t> second(period * 4);
    for (std::size_t i = 0; i < period; ++i) {
        const double phase = 2 * 3.14159265358979 * o.freq * static_cast<double>(i) / 44100.0;
        const auto left = static_cast<std::int16_t>(std::lround(12000 * std::sin(phase)));
        const auto right = static_cast<std::int16_t>(std::lround(12000 * std::sin(phase * 1.5)));
        std::memcpy(&second[i * 4], &left, 2);
        std::memcpy(&second[i * 4 + 2], &right, 2);
    }
    for (std::uint64_t left = data_bytes; ok && left > 0;) {
        const std::size_t n = static_cast<std::size_t>(left < second.size() ? left : second.size());
        ok = std::fwrite(second.data(), 1, n, f.get()) == n;
        left -= n;
    }
    ok = ok && std::fwrite(extra.data(), 1, extra.size(), f.get()) == extra.size();
    ok = std::fclose(f.release()) == 0 && ok;
    if (!ok) {
        std::perror(o.path);
        return 1;
    }
    return 0;
}
