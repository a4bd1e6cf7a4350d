#include "setup/setup_kontext.h"

namespace tf::setup {

namespace {
constexpr double kSekundenProTag = 86400.0;

// Time since `start`, counted on across midnight, when the clock starts at 0 again.
double Vergangen(double start, double jetzt) {
    double d = jetzt - start;
    return d < 0 ? d + kSekundenProTag : d;
}
} // namespace

std::string Ordner_von(const std::string &pfad) {
    const auto cut = pfad.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : pfad.substr(0, cut);
}

void Pause(SetupKontext &kontext, double sekunden) {
    auto &s = kontext.services;
    const double start = s.clock.SecondsSinceMidnight();
    while (!kontext.beendet() && Vergangen(start, s.clock.SecondsSinceMidnight()) < sekunden)
        s.events.DoEvents();
}

} // namespace tf::setup
