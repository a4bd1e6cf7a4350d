// Taking a wave file into the window, whichever way it came: the dialog, a
// drop on the window or the command line. A file the header check refuses is
// offered for a copy in the device's format, which is then taken instead.

#include "app/shell/progress.h"
#include "app/shell/projekt.h"
#include "platform/steps.h"

#include <cstdio>
#include <functional>
#include <string>

namespace tf {

namespace {

constexpr int kCsidlPersonal = 5; // the user's documents folder
// Beyond this many earlier copies of one file something else is wrong.
constexpr int kMostCopies = 99;

struct PathParts {
    std::string folder; // without trailing separator
    std::string stem;   // the file name without its extension
};

PathParts SplitPath(const std::string &path) {
    const auto cut = path.find_last_of("\\/");
    PathParts parts;
    parts.folder = cut == std::string::npos ? std::string() : path.substr(0, cut);
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    const auto dot = name.find_last_of('.');
    parts.stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    return parts;
}

// "Show (Tarvolin Audio).wav", then "Show (Tarvolin Audio) (2).wav" and on:
// the numbering Explorer gives a second file of one name, so an earlier copy
// (perhaps of an older version of the show) is never replaced nor taken.
std::string CopyName(const std::string &folder, const std::string &stem, int number) {
    std::string name = stem + " (Tarvolin Audio)";
    if (number > 1)
        name += " (" + std::to_string(number) + ")";
    return folder + "\\" + name + ".wav";
}

bool ExistsQuietly(FileSystem &fs, const std::string &path) {
    bool exists = false;
    steps::Skippable("Kopie_erstellen: FileExists", [&] { exists = fs.FileExists(path); });
    return exists;
}

// "1:23", "1:02:03": the time a player's display shows.
std::string ClockText(std::uint64_t seconds) {
    char text[32];
    if (seconds >= 3600)
        std::snprintf(
            text, sizeof text, "%llu:%02u:%02u", static_cast<unsigned long long>(seconds / 3600),
            static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
    else
        std::snprintf(text, sizeof text, "%u:%02u", static_cast<unsigned>(seconds / 60),
                      static_cast<unsigned>(seconds % 60));
    return text;
}

bool IsProjectFile(const std::string &path) {
    if (path.size() < 4)
        return false;
    std::string ext = path.substr(path.size() - 4);
    for (char &c : ext)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext == ".kpf";
}

} // namespace

void Projekt::Wave_übernehmen(const std::string &Pfad) {
    if (Wave_prüfen(Pfad))
        return;
    // The refusal has been shown; a copy in the device's format may take its place.
    const std::string copy = Kopie_erstellen(Pfad);
    if (!copy.empty())
        Wave_prüfen(copy);
    AfterLongStep();
}

// What the dialog has always done with the file chosen: shown, checked, and
// its size shown when accepted, emptied when refused.
bool Projekt::Wave_prüfen(const std::string &Pfad) {
    Quell_Wave_Pfad = Pfad;
    Quell_Wave_txt.set_text(Quell_Wave_Pfad);
    if (Header_auslesen() == 1) {
        Wave_Größe_txt.set_text(KbText(ShowFolderSize(Quell_Wave_Pfad)));
        return true;
    }
    // The size box keeps the previous file's size on purpose.
    Quell_Wave_Pfad.clear();
    Quell_Wave_txt.set_text("");
    return false;
}

// Asks, then writes the copy beside the original, or in the documents folder
// when the original's folder cannot be written. The copy's path, "" when
// there is none.
std::string Projekt::Kopie_erstellen(const std::string &Pfad) {
    auto tell = [this](const std::string &text, MsgIcon icon) {
        s_.msg.Show(text, MsgButtons::Ok, icon, kTitleApp);
    };
    const AudioPreparation::Verdict verdict = s_.audio.Probe(Pfad);
    if (verdict == AudioPreparation::Verdict::NotDecodable)
        return {};
    if (verdict == AudioPreparation::Verdict::TooManyChannels) {
        tell(Text(Msg::PrepareTooManyChannels), MsgIcon::Exclamation);
        return {};
    }
    if (s_.msg.Show(Text(Msg::PrepareQuestion), MsgButtons::YesNo, MsgIcon::None, kTitleApp) !=
        MsgAnswer::Yes)
        return {};
    // A damaged file is told before anything is written; the level measured
    // on the way tells whether the copy would clip, which is asked before
    // writing it, not regretted after.
    auto refused = [&](const AudioPreparation::Outcome &outcome, const std::string &target) {
        using Result = AudioPreparation::Result;
        if (outcome.result == Result::Damaged && outcome.ends_early)
            tell(Text(Msg::PrepareEndsEarly, ClockText(outcome.seconds_held),
                      ClockText(outcome.seconds_declared)),
                 MsgIcon::Exclamation);
        else if (outcome.result == Result::Damaged)
            tell(Text(Msg::PrepareDamaged), MsgIcon::Exclamation);
        else if (outcome.result == Result::RateUnsupported)
            tell(Text(Msg::PrepareRateUnsupported, s_.locale.GroupDigits(outcome.rate)),
                 MsgIcon::Exclamation);
        else if (outcome.result == Result::TooManyChannels)
            tell(Text(Msg::PrepareTooManyChannels), MsgIcon::Exclamation);
        else
            tell(Text(Msg::PrepareFailed, target), MsgIcon::Exclamation);
    };
    // The first pass reads the whole file: the window answers meanwhile and
    // shows how far it is, as for the copy itself.
    AudioPreparation::Level level;
    {
        const std::string status_before = Status_txt.text();
        StepProgress measuring(*this, Status_txt, Msg::PreparingCopy);
        InitAniCursor(&Status_txt);
        // Reading is the first half of the work, writing the second: the
        // percentage rises once over both.
        level = s_.audio.Measure(
            Pfad, [&](std::uint64_t done, std::uint64_t total) { measuring(done / 2, total); });
        ExitAniCursor();
        Status_txt.set_text(status_before);
    }
    if (level.outcome.result != AudioPreparation::Result::Done) {
        refused(level.outcome, Pfad);
        return {};
    }
    double lower_db = 0;
    if (level.over > 0 &&
        s_.msg.Show(Text(Msg::PrepareHeadroomQuestion,
                         s_.locale.GroupDigits(static_cast<long long>(level.over)),
                         Decimal(level.lower_db, Sprache())),
                    MsgButtons::YesNo, MsgIcon::None, kTitleApp) == MsgAnswer::Yes)
        lower_db = level.lower_db;

    const PathParts parts = SplitPath(Pfad);
    std::string folder = parts.folder;
    std::string target = CopyName(folder, parts.stem, 1);
    AudioPreparation::Outcome outcome;
    // Once only: a documents folder that refuses too (or is the wave's own
    // folder) must end the attempts, not start them over under the busy cursor.
    bool documents_tried = false;
    // The conversion's status box tells how far the copy is, and has its own
    // text back afterwards.
    const std::string status_before = Status_txt.text();
    StepProgress progress(*this, Status_txt, Msg::PreparingCopy);
    InitAniCursor(&Status_txt);
    for (int number = 1; number <= kMostCopies; ++number) {
        target = CopyName(folder, parts.stem, number);
        if (ExistsQuietly(s_.fs, target))
            continue;
        outcome =
            s_.audio.Prepare(Pfad, target, lower_db, [&](std::uint64_t done, std::uint64_t total) {
                progress(total / 2 + done / 2, total);
            });
        if (outcome.result == AudioPreparation::Result::TargetNotCreated && !documents_tried) {
            documents_tried = true;
            const std::string documents = s_.shell.SpecialFolderPath(kCsidlPersonal);
            if (documents.empty() || documents == parts.folder)
                break;
            folder = documents;
            number = 0; // the documents folder has its own earlier copies
            continue;
        }
        if (outcome.result != AudioPreparation::Result::TargetExists)
            break;
    }
    ExitAniCursor();
    Status_txt.set_text(status_before);

    if (outcome.result != AudioPreparation::Result::Done) {
        refused(outcome, target);
        return {};
    }
    if (outcome.clipped > 0)
        tell(Text(Msg::PrepareClipped,
                  s_.locale.GroupDigits(static_cast<long long>(outcome.clipped))),
             MsgIcon::None);
    return target;
}

void Projekt::Dateien_übernehmen(const std::vector<std::string> &Dateien) {
    // A long step lets the window take its messages, a drop or a later
    // start's hand-over among them: taken now, they would start a second step
    // inside the first (a copy being prepared while the card is written, the
    // busy bracket ended by the inner step). They wait for the step's end.
    if (busy_) {
        held_back_.push_back(Dateien);
        return;
    }
    bool wave_taken = false;
    bool project_taken = false;
    for (const std::string &path : Dateien) {
        if (IsProjectFile(path) && !project_taken) {
            project_taken = true;
            steps::UntilFailure("Dateien_übernehmen: Projektdatei",
                                [&] { Projektdatei_übernehmen(path); });
        } else if (!IsProjectFile(path) && !wave_taken) {
            wave_taken = true;
            steps::UntilFailure("Dateien_übernehmen: Wave", [&] { Wave_übernehmen(path); });
        }
    }
}

void Projekt::Form_OLEDragDrop(const std::vector<std::string> &Dateien) {
    Dateien_übernehmen(Dateien);
}

// "Open with" passes the file as the only argument; a name typed at a prompt
// may be relative to the folder the program was started in.
void Projekt::Befehlszeile(const std::vector<std::string> &Argumente) {
    std::vector<std::string> files;
    for (const std::string &argument : Argumente) {
        if (argument.empty() || argument[0] == '/')
            continue; // a switch of the program's own
        std::string path = argument;
        steps::Skippable("Befehlszeile: GetAbsolutePathName",
                         [&] { path = s_.fs.GetAbsolutePathName(argument); });
        files.push_back(path);
    }
    Dateien_übernehmen(files);
}

} // namespace tf
