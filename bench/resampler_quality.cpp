// tf-resampler-quality: the figures resamplers are ranked by, for a file
// made at a source rate and converted to 44.1 kHz by any tool.
//   tf-resampler-quality make SIGNAL OUT.wav --rate R --format f32|s24 [--seconds S]
//   tf-resampler-quality analyse SIGNAL OUT.wav --rate R [--seconds S]
// SIGNAL is one of
//   sweep     a linear sweep from 20 Hz to 99.5 % of the source's Nyquist at -6 dBFS:
//             worst aliasing, the strongest spectral line (dB below the sweep)
//             while the sweep is above 22.05 kHz, where nothing may come out
//   high      tones above 22.05 kHz (22.5, 23 and 23.9 kHz; at 96 kHz also 26,
//             30, 40 and 47 kHz), each at -20 dBFS: the worst level where they
//             fold (dB below the tone)
//   passband  tones from 20 Hz to 22 kHz at -30 dBFS each: the largest deviation
//             from flat up to 20 kHz, the level at 21 and 22 kHz, and the delay
//             (from the phases of the 100 and 110 Hz tones)
//   thd       1 kHz at -1 dBFS: THD+N-free THD from harmonics 2 to 20
// `analyse` reads a 16- or 24-bit PCM or 32-bit float WAV at 44100 Hz (any
// channel count; channel 0 is judged) and prints key=value pairs, among them
// the length against round(frames * 44100 / R). Tones are measured by a
// Kaiser-windowed transform at their exact frequencies (side lobes near
// -190 dB), so a line far below a 16-bit file's dither floor still shows.
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numbers>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr double kOutRate = 44100;
constexpr double kPi = std::numbers::pi;

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

[[noreturn]] void die(const std::string &why) {
    std::fprintf(stderr, "tf-resampler-quality: %s\n", why.c_str());
    std::exit(2);
}

double db(double ratio) {
    return 20 * std::log10(std::max(ratio, 1e-30));
}

struct Tone {
    double freq;
    double amplitude;
};

std::vector<Tone> tones_of(const std::string &signal, double rate) {
    std::vector<Tone> tones;
    if (signal == "high") {
        for (double f : {22500.0, 23000.0, 23900.0, 26000.0, 30000.0, 40000.0, 47000.0}) {
            if (f < rate / 2 * 0.999) {
                tones.push_back({f, std::pow(10, -20 / 20.0)});
            }
        }
    } else if (signal == "passband") {
        for (double f : {20.0, 100.0, 110.0, 1000.0, 5000.0, 10000.0, 15000.0, 18000.0, 19000.0,
                         19500.0, 20000.0, 21000.0, 22000.0}) {
            tones.push_back({f, std::pow(10, -30 / 20.0)});
        }
    } else if (signal == "thd") {
        tones.push_back({1000.0, std::pow(10, -1 / 20.0)});
    } else if (signal != "sweep") {
        die("unknown signal " + signal);
    }
    return tones;
}

constexpr double kSweepLow = 20, kSweepAmplitude = 0.5;
double sweep_high(double rate) {
    return rate / 2 * 0.995;
}
// Instantaneous frequency of the linear sweep at time t of d seconds.
double sweep_freq(double t, double d, double rate) {
    return kSweepLow + (sweep_high(rate) - kSweepLow) * t / d;
}

std::vector<double> make_signal(const std::string &signal, double rate, double seconds) {
    const std::size_t frames = static_cast<std::size_t>(rate * seconds);
    std::vector<double> x(frames, 0.0);
    if (signal == "sweep") {
        const double slope = (sweep_high(rate) - kSweepLow) / seconds;
        for (std::size_t n = 0; n < frames; ++n) {
            const double t = n / rate;
            x[n] = kSweepAmplitude * std::sin(2 * kPi * (kSweepLow * t + slope * t * t / 2));
        }
        return x;
    }
    for (const Tone &tone : tones_of(signal, rate)) {
        const double w = 2 * kPi * tone.freq / rate;
        for (std::size_t n = 0; n < frames; ++n) {
            x[n] += tone.amplitude * std::sin(w * static_cast<double>(n));
        }
    }
    return x;
}

void put16(std::FILE *f, std::uint32_t v) {
    std::fputc(v & 0xFF, f);
    std::fputc((v >> 8) & 0xFF, f);
}
void put32(std::FILE *f, std::uint32_t v) {
    put16(f, v & 0xFFFF);
    put16(f, v >> 16);
}

// Stereo, both channels alike, so every tool takes its usual path.
void write_wave(const std::string &path, const std::vector<double> &x, std::uint32_t rate,
                bool float32) {
    File f{std::fopen(path.c_str(), "wb")};
    if (!f) {
        die("cannot create " + path);
    }
    const std::uint32_t bytes = float32 ? 4 : 3, channels = 2;
    const std::uint32_t data = static_cast<std::uint32_t>(x.size()) * bytes * channels;
    std::fwrite("RIFF", 1, 4, f.get());
    put32(f.get(), 36 + data);
    std::fwrite("WAVEfmt ", 1, 8, f.get());
    put32(f.get(), 16);
    put16(f.get(), float32 ? 3 : 1);
    put16(f.get(), channels);
    put32(f.get(), rate);
    put32(f.get(), rate * bytes * channels);
    put16(f.get(), static_cast<std::uint16_t>(bytes * channels));
    put16(f.get(), static_cast<std::uint16_t>(bytes * 8));
    std::fwrite("data", 1, 4, f.get());
    put32(f.get(), data);
    for (const double v : x) {
        for (std::uint32_t c = 0; c < channels; ++c) {
            if (float32) {
                const float s = static_cast<float>(v);
                std::uint32_t u;
                std::memcpy(&u, &s, 4);
                put32(f.get(), u);
            } else {
                const auto s =
                    static_cast<std::int32_t>(std::lround(std::clamp(v, -1.0, 1.0) * 8388607));
                const auto u = static_cast<std::uint32_t>(s);
                put16(f.get(), u & 0xFFFF);
                std::fputc((u >> 16) & 0xFF, f.get());
            }
        }
    }
}

std::uint32_t le(const unsigned char *p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = v << 8 | p[i];
    }
    return v;
}

// Channel 0 of a 44.1 kHz PCM or float WAV, in full-scale units.
std::vector<double> read_wave(const std::string &path) {
    File f{std::fopen(path.c_str(), "rb")};
    if (!f) {
        die("cannot open " + path);
    }
    unsigned char h[12];
    if (std::fread(h, 1, 12, f.get()) != 12 || std::memcmp(h, "RIFF", 4) ||
        std::memcmp(h + 8, "WAVE", 4)) {
        die(path + " is not a RIFF wave");
    }
    unsigned format = 0, channels = 0, bits = 0, rate = 0;
    for (;;) {
        unsigned char c[8];
        if (std::fread(c, 1, 8, f.get()) != 8) {
            die(path + " has no data chunk");
        }
        const std::uint32_t size = le(c + 4, 4);
        if (std::memcmp(c, "fmt ", 4) == 0) {
            std::vector<unsigned char> b(size);
            if (std::fread(b.data(), 1, size, f.get()) != size || size < 16) {
                die(path + ": short fmt chunk");
            }
            format = le(b.data(), 2);
            channels = le(b.data() + 2, 2);
            rate = le(b.data() + 4, 4);
            bits = le(b.data() + 14, 2);
            if (format == 0xFFFE && size >= 26) {
                format = le(b.data() + 24, 2); // the sub-format's first two bytes
            }
            if (size & 1) {
                std::fgetc(f.get());
            }
        } else if (std::memcmp(c, "data", 4) == 0) {
            if (rate != 44100 || channels == 0 ||
                !((format == 1 && (bits == 16 || bits == 24)) || (format == 3 && bits == 32))) {
                die(path + ": not 44.1 kHz 16/24-bit PCM or 32-bit float");
            }
            const unsigned bytes = bits / 8, frame = bytes * channels;
            std::vector<unsigned char> raw;
            unsigned char block[65536];
            std::size_t got;
            // Sizes of 0 or all ones (a tool writing to a pipe) mean "to the end".
            const std::uint64_t want = size == 0 || size == 0xFFFFFFFF ? UINT64_MAX : size;
            while (raw.size() < want && (got = std::fread(block, 1, sizeof block, f.get())) > 0) {
                raw.insert(raw.end(), block,
                           block + std::min<std::uint64_t>(got, want - raw.size()));
            }
            std::vector<double> x(raw.size() / frame);
            for (std::size_t n = 0; n < x.size(); ++n) {
                const unsigned char *p = raw.data() + n * frame;
                if (format == 3) {
                    float s;
                    const std::uint32_t u = le(p, 4);
                    std::memcpy(&s, &u, 4);
                    x[n] = s;
                } else {
                    const std::uint32_t u = le(p, static_cast<int>(bytes)) << (32 - bits);
                    x[n] = static_cast<std::int32_t>(u) / 2147483648.0;
                }
            }
            return x;
        } else {
            std::fseek(f.get(), static_cast<long>(size + (size & 1)), SEEK_CUR);
        }
    }
}

double bessel_i0(double x) {
    double sum = 1, term = 1;
    for (int k = 1; k < 200 && term > 1e-20 * sum; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
    }
    return sum;
}

std::vector<double> kaiser(std::size_t n, double beta = 20) {
    std::vector<double> w(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double r = 2.0 * i / (n - 1) - 1;
        w[i] = bessel_i0(beta * std::sqrt(std::max(0.0, 1 - r * r))) / bessel_i0(beta);
    }
    return w;
}

// The amplitude and phase of the line at `freq` in x[start, start + w.size()),
// the phase referred to sample 0 of the file.
std::complex<double> line_at(const std::vector<double> &x, std::size_t start,
                             const std::vector<double> &w, double freq) {
    std::complex<double> sum = 0;
    double gain = 0;
    const double dw = 2 * kPi * freq / kOutRate;
    for (std::size_t i = 0; i < w.size(); ++i) {
        const double n = static_cast<double>(start + i);
        sum += w[i] * x[start + i] * std::complex<double>(std::cos(dw * n), -std::sin(dw * n));
        gain += w[i];
    }
    return sum * (2.0 / gain); // sin(wn + p) gives magnitude 1, arg p - pi/2
}

void fft(std::vector<std::complex<double>> &a) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(a[i], a[j]);
        }
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2 * kPi / len);
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> r = 1;
            for (std::size_t k = 0; k < len / 2; ++k, r *= step) {
                const auto u = a[i + k], v = a[i + k + len / 2] * r;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

// The middle of the file, clear of the filters' run-in at both ends.
struct Stretch {
    std::size_t start, length;
};
Stretch middle(const std::vector<double> &x) {
    const std::size_t skip = static_cast<std::size_t>(0.1 * kOutRate);
    if (x.size() < 3 * skip) {
        die("the file is too short to measure");
    }
    return {skip, std::min<std::size_t>(x.size() - 2 * skip, 1 << 18)};
}

void analyse_sweep(const std::vector<double> &x, double rate, double seconds) {
    constexpr std::size_t kBlock = 4096;
    const std::vector<double> w = kaiser(kBlock);
    double gain = 0;
    for (double v : w) {
        gain += v;
    }
    double worst = 0, worst_at = 0;
    for (std::size_t start = 0; start + kBlock <= x.size(); start += kBlock / 4) {
        const double t0 = start / kOutRate, t1 = (start + kBlock) / kOutRate;
        // Only blocks wholly above 22.05 kHz, with a margin for the filters' delay.
        if (sweep_freq(t0 - 0.01, seconds, rate) < 22100 || t1 + 0.01 > seconds) {
            continue;
        }
        std::vector<std::complex<double>> a(kBlock);
        for (std::size_t i = 0; i < kBlock; ++i) {
            a[i] = w[i] * x[start + i];
        }
        fft(a);
        for (std::size_t k = 1; k < kBlock / 2; ++k) {
            const double level = std::abs(a[k]) * 2 / gain / kSweepAmplitude;
            if (level > worst) {
                worst = level;
                worst_at = k * kOutRate / kBlock;
            }
        }
    }
    std::printf("sweep_alias_db=%.1f sweep_alias_hz=%.0f", db(worst), worst_at);
}

void analyse_tones(const std::string &signal, const std::vector<double> &x, double rate) {
    const Stretch s = middle(x);
    const std::vector<double> w = kaiser(s.length);
    const auto level = [&](double f) { return std::abs(line_at(x, s.start, w, f)); };
    const std::vector<Tone> tones = tones_of(signal, rate);
    if (signal == "high") {
        double worst = 0, worst_at = 0;
        for (const Tone &t : tones) {
            const double fold = t.freq < kOutRate ? kOutRate - t.freq : t.freq - kOutRate;
            const double l = level(fold) / t.amplitude;
            if (l > worst) {
                worst = l;
                worst_at = t.freq;
            }
        }
        std::printf("high_alias_db=%.1f high_alias_tone_hz=%.0f", db(worst), worst_at);
    } else if (signal == "passband") {
        double deviation = 0, at = 0;
        for (const Tone &t : tones) {
            if (t.freq <= 20000) {
                const double d = db(level(t.freq) / t.amplitude);
                if (std::abs(d) > std::abs(deviation)) {
                    deviation = d;
                    at = t.freq;
                }
            }
        }
        const auto p100 = line_at(x, s.start, w, 100), p110 = line_at(x, s.start, w, 110);
        // A delay d turns sin(wn) into sin(w(n - d)): the phase falls by w d.
        double dphi = std::arg(p110) - std::arg(p100);
        dphi = std::remainder(dphi, 2 * kPi);
        const double delay = -dphi / (2 * kPi * 10);
        std::printf("passband_dev_db=%.4f passband_dev_hz=%.0f level_21k_db=%.2f "
                    "level_22k_db=%.2f delay_us=%.1f",
                    deviation, at, db(level(21000) / tones[11].amplitude),
                    db(level(22000) / tones[12].amplitude), delay * 1e6);
    } else {
        const double fundamental = level(1000);
        double harmonics = 0;
        for (int k = 2; k <= 20 && k * 1000 < kOutRate / 2; ++k) {
            harmonics += std::pow(level(k * 1000.0), 2);
        }
        std::printf("thd_db=%.1f", db(std::sqrt(harmonics) / fundamental));
    }
}

struct Options {
    double rate = 0, seconds = 8;
    bool float32 = false;
};

Options options_from(int argc, char **argv, int first) {
    Options o;
    for (int i = first; i < argc; ++i) {
        const std::string_view a = argv[i];
        const char *value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!value) {
            die("option " + std::string(a) + " needs a value");
        }
        if (a == "--rate") {
            o.rate = std::atof(value);
        } else if (a == "--seconds") {
            o.seconds = std::atof(value);
        } else if (a == "--format") {
            o.float32 = std::string_view(value) == "f32";
        } else {
            die("unknown option " + std::string(a));
        }
        ++i;
    }
    if (o.rate <= 0) {
        die("--rate is needed");
    }
    return o;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 4) {
        die("usage: make|analyse SIGNAL FILE --rate R [--format f32|s24] [--seconds S]");
    }
    const std::string verb = argv[1], signal = argv[2], path = argv[3];
    const Options o = options_from(argc, argv, 4);
    if (verb == "make") {
        write_wave(path, make_signal(signal, o.rate, o.seconds), static_cast<std::uint32_t>(o.rate),
                   o.float32);
        return 0;
    }
    if (verb != "analyse") {
        die("unknown verb " + verb);
    }
    const std::vector<double> x = read_wave(path);
    const auto expected =
        static_cast<long long>(std::llround(std::floor(o.rate * o.seconds) * kOutRate / o.rate));
    if (signal == "sweep") {
        analyse_sweep(x, o.rate, o.seconds);
    } else {
        analyse_tones(signal, x, o.rate);
    }
    std::printf(" length_error=%lld\n", static_cast<long long>(x.size()) - expected);
    return 0;
}
