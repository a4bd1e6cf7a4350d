// tf-mutate SEED IN OUT: writes OUT as IN damaged in one of the ways files
// get damaged, chosen and placed by SEED, and prints the kind on stdout:
//   cut    the file ends early (a transfer broken off)
//   flip   a few bytes changed (a bad sector, a bit error)
//   field  a 32-bit field of the header set to 0, 1, all ones, 10^9 or noise
//   zero   a run of bytes zeroed (a hole in a disk image)
//   drop   a run of bytes taken out (a lost packet)
// The same SEED gives the same OUT, so a finding can be repeated.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ULL + 1) {}
    std::uint64_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    std::size_t below(std::size_t n) { return n ? static_cast<std::size_t>(next() % n) : 0; }

  private:
    std::uint64_t state_;
};

} // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: tf-mutate SEED IN OUT\n");
        return 2;
    }
    Random r(std::strtoull(argv[1], nullptr, 10));
    std::ifstream in(argv[2], std::ios::binary);
    std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
    if (b.size() < 16) {
        std::fprintf(stderr, "tf-mutate: %s is too short\n", argv[2]);
        return 1;
    }
    const char *kind = "";
    switch (r.below(5)) {
    case 0: // anywhere after the first bytes, so the format is still known
        kind = "cut";
        b.resize(12 + r.below(b.size() - 12));
        break;
    case 1:
        kind = "flip";
        for (std::size_t n = 1 + r.below(8); n > 0; --n) {
            b[r.below(b.size())] ^= static_cast<unsigned char>(1 + r.below(255));
        }
        break;
    case 2: {
        kind = "field";
        const std::uint32_t values[] = {0, 1, 0xFFFFFFFFu, 1000000000u,
                                        static_cast<std::uint32_t>(r.next())};
        const std::uint32_t v = values[r.below(5)];
        const std::size_t at = r.below(std::min<std::size_t>(b.size(), 80) - 4);
        for (int i = 0; i < 4; ++i) {
            b[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(v >> (8 * i));
        }
        break;
    }
    case 3: {
        kind = "zero";
        const std::size_t at = r.below(b.size());
        const std::size_t n = std::min(b.size() - at, 1 + r.below(4096));
        std::fill(b.begin() + static_cast<std::ptrdiff_t>(at),
                  b.begin() + static_cast<std::ptrdiff_t>(at + n), 0);
        break;
    }
    default: {
        kind = "drop";
        const std::size_t at = 12 + r.below(b.size() - 12);
        const std::size_t n = std::min(b.size() - at, 1 + r.below(4096));
        b.erase(b.begin() + static_cast<std::ptrdiff_t>(at),
                b.begin() + static_cast<std::ptrdiff_t>(at + n));
        break;
    }
    }
    std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(b.data()), static_cast<std::streamsize>(b.size()));
    std::printf("%s\n", kind);
    return out ? 0 : 1;
}
