#include "app/shell/progress.h"

#include <cmath>
#include <cstdio>

namespace tf {

namespace {

constexpr double kBytesPerMb = 1e6;
// Below this the speed is a guess from the first block or two.
constexpr double kSecondsBeforeSpeed = 0.5;
constexpr double kSecondsBetweenUpdates = 0.1;

std::string Mb(std::uint64_t bytes) {
    return std::to_string(static_cast<std::uint64_t>(std::llround(bytes / kBytesPerMb)));
}

} // namespace

std::string Decimal(double value, Language language) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", value);
    std::string out = buffer;
    if (language == Language::German)
        for (char &c : out)
            if (c == '.')
                c = ',';
    return out;
}

std::string ProgressText(Language language, const std::string &caption, std::uint64_t done,
                         std::uint64_t total, double seconds) {
    if (total == 0) // a length nobody could tell beforehand
        return caption + " \u2026 " + Mb(done) + " MB";
    if (done > total)
        done = total;
    // Whole percent, rounded down: 100 % only when the last byte is done.
    const std::uint64_t percent = done * 100 / total;
    std::string text = caption + " \u2026 " + std::to_string(percent) + " % (" + Mb(done) + " " +
                       Text(Msg::ProgressOf, language) + " " + Mb(total) + " MB";
    if (seconds >= kSecondsBeforeSpeed && done > 0) {
        const double speed = done / seconds;
        const auto left = static_cast<std::uint64_t>(std::ceil((total - done) / speed));
        text += ", " + Decimal(speed / kBytesPerMb, language) + " MB/s, " +
                Text(Msg::ProgressLeft, language, std::to_string(left));
    }
    return text + ")";
}

// On the clock that only runs forward: a wall clock set back by a time sync
// would otherwise hold the window still for as long as it was set back.
StepProgress::StepProgress(Projekt &window, ui::TextBox &status, Msg caption)
    : window_(window), status_(status), caption_(caption),
      start_(window.services().clock.Seconds()) {}

double StepProgress::Elapsed() {
    return window_.services().clock.Seconds() - start_;
}

void StepProgress::operator()(std::uint64_t done, std::uint64_t total) {
    const double elapsed = Elapsed();
    if (last_ >= 0 && elapsed - last_ < kSecondsBetweenUpdates && done < total)
        return;
    last_ = elapsed;
    Show(done, total);
}

void StepProgress::Show(std::uint64_t done, std::uint64_t total) {
    status_.set_text(
        ProgressText(window_.Sprache(), window_.Text(caption_), done, total, Elapsed()));
    window_.services().windows.DropPendingInput();
    window_.services().events.DoEvents();
}

} // namespace tf
