// Decodes a file through the platform's backend, optionally converts its rate,
// and prints what came out: the format, the length against the exact rate
// ratio, and the signal-to-noise of a test tone, so a test script can judge a
// backend on the real system (under Wine for Media Foundation).
//   audio_probe FILE [--rate HZ] [--tone HZ] [--line CH:HZ]... [--write OUT.wav]
// --write keeps what came out as a 32-bit float wave, for the quality bench.
// --line gives the level (dBFS) of channel CH at exactly HZ through a Kaiser
// window whose side lobes lie near -190 dB: a pass band's droop and an alias
// far below the tones beside it both show.
// Exit status: 0 done, 2 usage, 3 not opened, 4 not decodable, 5 read
// failure, 6 no resampler, 7 resampler failure, 8 the output not written.
#include "library/prepare/audio_backend.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

namespace {

const char *kind_name(tf::audio::SampleKind kind) {
    using tf::audio::SampleKind;
    switch (kind) {
    case SampleKind::Pcm8:
        return "pcm8";
    case SampleKind::Pcm16:
        return "pcm16";
    case SampleKind::Pcm24:
        return "pcm24";
    case SampleKind::Pcm32:
        return "pcm32";
    case SampleKind::Float:
        return "float";
    default:
        return "compressed";
    }
}

struct ToneFit {
    double snr_db = 0;
    double phase = 0; // of sin(w n + phase) at the first frame of the stretch
};

// Least-squares fit of a sin + b cos + c at the known frequency over the
// middle of channel 0 (the ends hold the filters' run-in); all else is noise.
ToneFit fit_tone(const std::vector<float> &x, std::size_t channels, double rate, double tone) {
    const std::size_t frames = x.size() / channels, skip = frames / 10;
    const double w = 2 * std::numbers::pi * tone / rate;
    double m[3][3] = {}, v[3] = {};
    for (std::size_t n = skip; n + skip < frames; ++n) {
        const double b[3] = {std::sin(w * n), std::cos(w * n), 1.0}, y = x[n * channels];
        for (int i = 0; i < 3; ++i) {
            v[i] += b[i] * y;
            for (int j = 0; j < 3; ++j) {
                m[i][j] += b[i] * b[j];
            }
        }
    }
    const auto det = [](double a[3][3]) {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
               a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    };
    double c[3];
    for (int k = 0; k < 3; ++k) { // Cramer's rule
        double t[3][3];
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                t[i][j] = j == k ? v[i] : m[i][j];
            }
        }
        c[k] = det(t) / det(m);
    }
    double signal = 0, noise = 0;
    for (std::size_t n = skip; n + skip < frames; ++n) {
        const double s = c[0] * std::sin(w * n) + c[1] * std::cos(w * n);
        signal += s * s;
        noise += (x[n * channels] - s - c[2]) * (x[n * channels] - s - c[2]);
    }
    return {10 * std::log10(signal / std::max(noise, 1e-30)), std::atan2(c[1], c[0])};
}

double bessel_i0(double x) {
    double sum = 1, term = 1;
    for (int k = 1; k < 200 && term > 1e-20 * sum; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
    }
    return sum;
}

// Over the middle 80 % of the channel, clear of the filters' run-in.
double line_dbfs(const std::vector<float> &x, std::size_t channels, std::size_t channel,
                 double rate, double freq) {
    const std::size_t frames = x.size() / channels, skip = frames / 10, n = frames - 2 * skip;
    constexpr double kBeta = 20;
    const double w = 2 * std::numbers::pi * freq / rate, i0 = bessel_i0(kBeta);
    double re = 0, im = 0, gain = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double r = 2.0 * i / (n - 1) - 1;
        const double win = bessel_i0(kBeta * std::sqrt(std::max(0.0, 1 - r * r))) / i0;
        const double y = x[(skip + i) * channels + channel], t = w * static_cast<double>(skip + i);
        re += win * y * std::cos(t);
        im -= win * y * std::sin(t);
        gain += win;
    }
    return 20 * std::log10(std::max(2 * std::hypot(re, im) / gain, 1e-30));
}

void put(std::FILE *f, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        std::fputc(static_cast<int>((v >> (8 * i)) & 0xFF), f);
    }
}

bool write_float_wave(const char *path, const std::vector<float> &x, std::uint32_t channels,
                      std::uint32_t rate) {
    std::FILE *f = std::fopen(path, "wb");
    if (!f) {
        return false;
    }
    const auto data = static_cast<std::uint32_t>(x.size() * 4);
    std::fwrite("RIFF", 1, 4, f);
    put(f, 36 + data, 4);
    std::fwrite("WAVEfmt ", 1, 8, f);
    put(f, 16, 4);
    put(f, 3, 2); // IEEE float
    put(f, channels, 2);
    put(f, rate, 4);
    put(f, rate * channels * 4, 4);
    put(f, channels * 4, 2);
    put(f, 32, 2);
    std::fwrite("data", 1, 4, f);
    put(f, data, 4);
    const bool written = std::fwrite(x.data(), 4, x.size(), f) == x.size();
    return std::fclose(f) == 0 && written;
}

int usage() {
    std::fprintf(stderr, "usage: audio_probe FILE [--rate HZ] [--tone HZ] [--line CH:HZ]...\n");
    return 2;
}

// Decodes to the end, through the resampler when there is one; the exit
// status of a failure, or 0.
int decode_all(tf::audio::Decoder &decoder, tf::audio::Resampler *resampler,
               std::vector<float> &all, std::size_t &decoded) {
    const std::size_t channels = decoder.format().channels;
    std::vector<float> block(4096 * channels);
    bool resampled = true;
    while (std::size_t got = decoder.read(block.data(), 4096)) {
        decoded += got;
        if (resampler) {
            resampled = resampled && resampler->process(block.data(), got, all);
        } else {
            all.insert(all.end(), block.begin(), block.begin() + got * channels);
        }
    }
    if (resampler) {
        resampled = resampled && resampler->finish(all);
    }
    std::printf("decoded=%zu\n", decoded);
    if (decoder.failed()) {
        std::printf("read failed\n");
        return 5;
    }
    if (!resampled) {
        std::printf("resampler failed\n");
        return 7;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        return usage();
    }
    unsigned rate = 0;
    double tone = 0;
    std::vector<std::pair<unsigned, double>> lines;
    const char *write_to = nullptr;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--rate") {
            rate = static_cast<unsigned>(std::atoi(argv[i + 1]));
        } else if (option == "--tone") {
            tone = std::atof(argv[i + 1]);
        } else if (option == "--write") {
            write_to = argv[i + 1];
        } else if (option == "--line") {
            char *hz = nullptr;
            const unsigned channel = static_cast<unsigned>(std::strtoul(argv[i + 1], &hz, 10));
            lines.emplace_back(channel, *hz == ':' ? std::atof(hz + 1) : 0.0);
        } else {
            return usage();
        }
    }
    auto opened = tf::audio::open_decoder(argv[1]);
    if (opened.failure != tf::audio::OpenFailure::None) {
        const bool not_opened = opened.failure == tf::audio::OpenFailure::NotOpened;
        std::printf("%s: %s\n", not_opened ? "not opened" : "not decodable", opened.detail.c_str());
        return not_opened ? 3 : 4;
    }
    const auto format = opened.decoder->format();
    std::printf("rate=%u channels=%u kind=%s declared=%lld\n", format.rate, format.channels,
                kind_name(format.kind),
                format.frames ? static_cast<long long>(*format.frames) : -1LL);
    std::unique_ptr<tf::audio::Resampler> resampler;
    if (rate && !(resampler = tf::audio::make_resampler(format.rate, rate, format.channels))) {
        std::printf("no resampler\n");
        return 6;
    }
    std::vector<float> all;
    std::size_t decoded = 0;
    if (const int status = decode_all(*opened.decoder, resampler.get(), all, decoded)) {
        return status;
    }
    const double out_rate = rate ? rate : format.rate;
    const long long expected = std::llround(static_cast<double>(decoded) * out_rate / format.rate);
    const long long produced = static_cast<long long>(all.size() / format.channels);
    std::printf("out=%lld expected=%lld error=%lld\n", produced, expected, produced - expected);
    if (tone > 0 && produced > 0) {
        const ToneFit fit = fit_tone(all, format.channels, out_rate, tone);
        std::printf("snr_db=%.2f phase=%.4f\n", fit.snr_db, fit.phase);
    }
    if (write_to &&
        !write_float_wave(write_to, all, format.channels, static_cast<std::uint32_t>(out_rate))) {
        std::printf("cannot write %s\n", write_to);
        return 8;
    }
    for (const auto &[channel, freq] : lines) {
        if (channel >= format.channels || freq <= 0 || produced < 100) {
            return usage();
        }
        std::printf("line_%u_%.0f=%.2f\n", channel, freq,
                    line_dbfs(all, format.channels, channel, out_rate, freq));
    }
    return 0;
}
