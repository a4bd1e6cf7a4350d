#pragma once
// The figures a long step (a card copy, its read-back, a preparation, a
// conversion) adds to its status text while it runs, and the rhythm in which
// the window takes its messages meanwhile.

#include "app/shell/projekt.h"

#include <cstdint>
#include <string>

namespace tf {

// One decimal with the decimal sign of `language`: "9,8" / "9.8".
std::string Decimal(double value, Language language);

// "Project-Datei wird geschrieben … 41 % (260 von 635 MB, 9,8 MB/s, noch 38 s)";
// speed and time left only once a moment has passed and something is done.
// MB are millions of bytes, as card sizes are sold.
std::string ProgressText(Language language, const std::string &caption, std::uint64_t done,
                         std::uint64_t total, double seconds);

// Called after each block of a long step on the window's own thread: shows the
// figures in `status` and lets the window take its messages, both at most
// every tenth of a second, so neither costs the step its speed. Input queued
// meanwhile is dropped first: the busy cursor holds the mouse, and a key press
// must not start another step inside this one.
class StepProgress {
  public:
    StepProgress(Projekt &window, ui::TextBox &status, Msg caption);
    void operator()(std::uint64_t done, std::uint64_t total);
    // Shows the figures of a step whose blocks it does not see (the
    // conversion's one call), then lets the window take its messages.
    void Show(std::uint64_t done, std::uint64_t total);

  private:
    double Elapsed();
    Projekt &window_;
    ui::TextBox &status_;
    Msg caption_;
    double start_;
    double last_ = -1;
};

} // namespace tf
