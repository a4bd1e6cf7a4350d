// tf-tone-snr: how clean a prepared test tone came out. Fits a sine per
// channel by least squares (amplitude, phase and a slightly refined frequency)
// and counts everything the sine does not explain as noise, so distortion,
// aliasing, dither and quantisation all lower the figure alike.
//   tf-tone-snr analyse IN.wav [--freq HZ] [--skip-ms MS]
//                              [--source-frames N --source-rate R]
//   tf-tone-snr make OUT.wav [--seconds S] [--freq HZ] [--noise-dbfs D] [--dither] [--seed N]
// `analyse` takes 16-bit stereo 44100 Hz PCM and prints one line of key=value
// pairs. `make` writes such a file with a known amount of noise and prints the
// signal-to-noise ratio theory expects, so the analysis can be checked.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::uint32_t kRate = 44100;
constexpr double kFullScale = 32768.0;
constexpr double kToneDbfs = -1.0;

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::uint32_t le32(const unsigned char *p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t le16(const unsigned char *p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

bool fail(const std::string &what) {
    std::fprintf(stderr, "tf-tone-snr: %s\n", what.c_str());
    return false;
}

// Checks the fmt chunk: only the device's own format is analysed, so a tool
// that wrote anything else shows up as a failure rather than a figure.
bool format_is_device_ready(const std::vector<unsigned char> &fmt) {
    if (fmt.size() < 16)
        return fail("fmt chunk too short");
    const std::uint16_t tag = le16(&fmt[0]), channels = le16(&fmt[2]), bits = le16(&fmt[14]);
    const std::uint32_t rate = le32(&fmt[4]);
    if ((tag != 1 && tag != 0xFFFE) || channels != 2 || rate != kRate || bits != 16)
        return fail("not 16-bit stereo 44100 Hz PCM (tag " + std::to_string(tag) + ", " +
                    std::to_string(channels) + " channels, " + std::to_string(rate) + " Hz, " +
                    std::to_string(bits) + " bits)");
    return true;
}

// Reads the interleaved samples of a RIFF wave, walking its chunks.
bool read_wave(const char *path, std::vector<std::int16_t> &samples) {
    File f(std::fopen(path, "rb"));
    if (!f)
        return fail(std::string("cannot open ") + path);
    unsigned char head[12];
    if (std::fread(head, 1, 12, f.get()) != 12 || std::memcmp(head, "RIFF", 4) != 0 ||
        std::memcmp(head + 8, "WAVE", 4) != 0)
        return fail("not a RIFF wave");
    bool have_fmt = false;
    unsigned char chunk[8];
    while (std::fread(chunk, 1, 8, f.get()) == 8) {
        const std::uint32_t size = le32(chunk + 4);
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            std::vector<unsigned char> fmt(size);
            if (std::fread(fmt.data(), 1, size, f.get()) != size || !format_is_device_ready(fmt))
                return false;
            have_fmt = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!have_fmt)
                return fail("data before fmt");
            samples.resize(size / 4 * 2);
            // A short read is kept: a writer that left a wrong size shows as a length error.
            samples.resize(std::fread(samples.data(), 4, size / 4, f.get()) * 2);
            return true;
        } else if (std::fseek(f.get(), size + (size & 1), SEEK_CUR) != 0) {
            return fail("broken chunk");
        }
    }
    return fail("no data chunk");
}

struct Fit {
    double a = 0, b = 0, omega = 0; // x ≈ a·cos(ω t) + b·sin(ω t)
    double signal = 0, residual = 0;
};

// cos/sin of ω t for consecutive t by rotation, re-anchored every block so the
// rounding of the recurrence never builds up over millions of samples.
constexpr std::size_t kBlock = 4096;

template <typename Visit>
void for_each_phase(std::size_t first, std::size_t last, double centre, double omega, Visit visit) {
    const double cd = std::cos(omega), sd = std::sin(omega);
    for (std::size_t start = first; start < last; start += kBlock) {
        const std::size_t end = std::min(last, start + kBlock);
        double c = std::cos(omega * (static_cast<double>(start) - centre));
        double s = std::sin(omega * (static_cast<double>(start) - centre));
        for (std::size_t n = start; n < end; ++n) {
            visit(n, static_cast<double>(n) - centre, c, s);
            const double nc = c * cd - s * sd;
            s = s * cd + c * sd;
            c = nc;
        }
    }
}

// Solves the symmetric 3x3 system m·x = v by Cramer's rule (well conditioned
// here: the three columns are nearly orthogonal over many periods).
bool solve3(const double m[3][3], const double v[3], double x[3]) {
    auto det = [](const double k[3][3]) {
        return k[0][0] * (k[1][1] * k[2][2] - k[1][2] * k[2][1]) -
               k[0][1] * (k[1][0] * k[2][2] - k[1][2] * k[2][0]) +
               k[0][2] * (k[1][0] * k[2][1] - k[1][1] * k[2][0]);
    };
    const double d = det(m);
    if (d == 0 || !std::isfinite(d))
        return false;
    for (int col = 0; col < 3; ++col) {
        double k[3][3];
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                k[r][c] = c == col ? v[r] : m[r][c];
        x[col] = det(k) / d;
    }
    return true;
}

// One Gauss-Newton step in (a, b, ω); the ω column uses the current a and b.
bool refine(const std::vector<std::int16_t> &x, int ch, std::size_t first, std::size_t last,
            double centre, Fit &fit) {
    double m[3][3] = {}, v[3] = {};
    for_each_phase(first, last, centre, fit.omega,
                   [&](std::size_t n, double t, double c, double s) {
                       const double col[3] = {c, s, t * (fit.b * c - fit.a * s)};
                       const double y = x[n * 2 + ch] / kFullScale;
                       for (int r = 0; r < 3; ++r) {
                           v[r] += col[r] * y;
                           for (int k = r; k < 3; ++k)
                               m[r][k] += col[r] * col[k];
                       }
                   });
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < r; ++k)
            m[r][k] = m[k][r];
    double sol[3];
    if (!solve3(m, v, sol))
        return false;
    // The ω coefficient is the step relative to the a, b the column was built with.
    fit.a = sol[0];
    fit.b = sol[1];
    fit.omega += sol[2];
    return true;
}

// Projected power of x onto the sine at ω: the periodogram, for the coarse search.
double projected(const std::vector<std::int16_t> &x, int ch, std::size_t first, std::size_t last,
                 double centre, double omega) {
    double sc = 0, ss = 0;
    for_each_phase(first, last, centre, omega, [&](std::size_t n, double, double c, double s) {
        sc += x[n * 2 + ch] * c;
        ss += x[n * 2 + ch] * s;
    });
    return sc * sc + ss * ss;
}

// Gauss-Newton needs ω within a fraction of a period's drift over the window,
// so the fit starts on about a second, found by a coarse search around the
// nominal tone, and widens the window fourfold at a time.
Fit fit_channel(const std::vector<std::int16_t> &x, int ch, std::size_t first, std::size_t last,
                double freq) {
    const double centre = 0.5 * static_cast<double>(first + last - 1);
    const std::size_t mid = (first + last) / 2, full = (last - first) / 2;
    std::size_t half = std::min<std::size_t>(full, kRate / 2);
    Fit fit;
    double best = -1;
    for (double f = freq - 3; f <= freq + 3; f += 0.02) {
        const double omega = 2 * std::numbers::pi * f / kRate;
        const double p = projected(x, ch, mid - half, mid + half, centre, omega);
        if (p > best)
            best = p, fit.omega = omega;
    }
    for (;;) {
        // The first step with a = 1, b = 0 only serves to find a and b.
        fit.a = 1, fit.b = 0;
        const double omega = fit.omega;
        if (!refine(x, ch, mid - half, mid + half, centre, fit))
            return fit;
        fit.omega = omega;
        for (int i = 0; i < 10; ++i) {
            const double before = fit.omega;
            if (!refine(x, ch, mid - half, mid + half, centre, fit))
                break;
            if (std::abs(fit.omega - before) * static_cast<double>(2 * half) < 1e-9)
                break;
        }
        if (half == full)
            break;
        half = std::min(full, half * 4);
    }
    double residual = 0;
    for_each_phase(first, last, centre, fit.omega, [&](std::size_t n, double, double c, double s) {
        const double e = x[n * 2 + ch] / kFullScale - fit.a * c - fit.b * s;
        residual += e * e;
    });
    fit.signal = 0.5 * (fit.a * fit.a + fit.b * fit.b);
    fit.residual = residual / static_cast<double>(last - first);
    return fit;
}

double snr_db(const Fit &f) {
    return 10 * std::log10(f.signal / f.residual);
}

struct Args {
    std::vector<std::string_view> positional;
    double freq = 1000, skip_ms = 50, seconds = 10, noise_dbfs = -200;
    long long source_frames = -1, source_rate = 0;
    unsigned seed = 1;
    bool dither = false;
};

bool parse(int argc, char **argv, Args &a) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view k = argv[i];
        const bool has_value = i + 1 < argc;
        auto num = [&] { return std::strtod(argv[++i], nullptr); };
        if (k == "--dither")
            a.dither = true;
        else if (!has_value && k.starts_with("--"))
            return false;
        else if (k == "--freq")
            a.freq = num();
        else if (k == "--skip-ms")
            a.skip_ms = num();
        else if (k == "--seconds")
            a.seconds = num();
        else if (k == "--noise-dbfs")
            a.noise_dbfs = num();
        else if (k == "--seed")
            a.seed = static_cast<unsigned>(num());
        else if (k == "--source-frames")
            a.source_frames = std::strtoll(argv[++i], nullptr, 10);
        else if (k == "--source-rate")
            a.source_rate = std::strtoll(argv[++i], nullptr, 10);
        else if (k.starts_with("--"))
            return false;
        else
            a.positional.push_back(k);
    }
    return a.positional.size() == 2;
}

int analyse(const Args &a) {
    std::vector<std::int16_t> x;
    if (!read_wave(std::string(a.positional[1]).c_str(), x))
        return 1;
    const std::size_t frames = x.size() / 2;
    const auto skip = static_cast<std::size_t>(a.skip_ms * kRate / 1000);
    if (frames <= 2 * skip + kRate / 10)
        return fail("too short to analyse"), 1;
    const Fit left = fit_channel(x, 0, skip, frames - skip, a.freq);
    const Fit right = fit_channel(x, 1, skip, frames - skip, a.freq);
    std::printf("frames=%zu snr_db=%.2f snr_left=%.2f snr_right=%.2f freq_hz=%.6f level_dbfs=%.3f",
                frames, std::min(snr_db(left), snr_db(right)), snr_db(left), snr_db(right),
                left.omega * kRate / (2 * std::numbers::pi), 10 * std::log10(2 * left.signal));
    if (a.source_frames >= 0 && a.source_rate > 0) {
        // round(frames·44100/rate) in integers, halves rounding up.
        const long long expected =
            (a.source_frames * 2 * kRate + a.source_rate) / (2 * a.source_rate);
        std::printf(" expected=%lld length_error=%lld", expected,
                    static_cast<long long>(frames) - expected);
    }
    std::printf("\n");
    return 0;
}

void put(std::FILE *f, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        std::fputc(static_cast<int>((v >> (8 * i)) & 0xFF), f);
}

int make(const Args &a) {
    File f(std::fopen(std::string(a.positional[1]).c_str(), "wb"));
    if (!f)
        return fail("cannot create the file"), 1;
    const auto frames = static_cast<std::uint32_t>(a.seconds * kRate);
    std::fwrite("RIFF", 1, 4, f.get());
    put(f.get(), 36 + frames * 4, 4);
    std::fwrite("WAVEfmt ", 1, 8, f.get());
    for (auto [v, n] :
         {std::pair{16u, 4}, {1u, 2}, {2u, 2}, {kRate, 4}, {kRate * 4, 4}, {4u, 2}, {16u, 2}})
        put(f.get(), v, n);
    std::fwrite("data", 1, 4, f.get());
    put(f.get(), frames * 4, 4);
    std::mt19937_64 rng(a.seed);
    std::normal_distribution<double> noise(0, std::pow(10, a.noise_dbfs / 20));
    std::uniform_real_distribution<double> uni(0, 1);
    const double amp = std::pow(10, kToneDbfs / 20), w = 2 * std::numbers::pi * a.freq / kRate;
    for (std::uint32_t n = 0; n < frames; ++n)
        for (int ch = 0; ch < 2; ++ch) {
            const double tpdf = a.dither ? uni(rng) - uni(rng) : 0;
            const double y = (amp * std::sin(w * n + 0.3 * ch) + noise(rng)) * kFullScale + tpdf;
            const double q = std::clamp(std::round(y), -32768.0, 32767.0);
            put(f.get(), static_cast<std::uint32_t>(static_cast<std::int32_t>(q)), 2);
        }
    // Rounding adds q²/12 of noise (q = one step); TPDF dither adds twice that again.
    const double step = 1 / kFullScale;
    const double noise_power =
        std::pow(10, a.noise_dbfs / 10) + step * step / 12 * (a.dither ? 3 : 1);
    std::printf("expected_snr_db=%.2f\n", 10 * std::log10(amp * amp / 2 / noise_power));
    return std::fflush(f.get()) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
    Args a;
    if (!parse(argc, argv, a) || (a.positional[0] != "analyse" && a.positional[0] != "make")) {
        std::fputs("usage: tf-tone-snr analyse IN.wav [--freq HZ] [--skip-ms MS]\n"
                   "                   [--source-frames N --source-rate R]\n"
                   "       tf-tone-snr make OUT.wav [--seconds S] [--freq HZ] [--noise-dbfs D]\n"
                   "                   [--dither] [--seed N]\n",
                   stderr);
        return 2;
    }
    return a.positional[0] == "analyse" ? analyse(a) : make(a);
}
