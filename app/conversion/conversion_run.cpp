// The upper frame of the window: choosing the wave file and the target,
// preparing the name, and running the conversion library.

#include "app/card/common.h"
#include "app/shell/progress.h"
#include "app/shell/projekt.h"
#include "library/name_rule.h"
#include "library/project_format.h"
#include "library/project_writer.h"
#include "platform/codepage.h"
#include "platform/steps.h"

#include <algorithm>
#include <optional>
#include <string>

namespace tf {

namespace {

constexpr const char *kProjectCode = "0120";

std::optional<std::string> ShortPathInAnsi(FileSystem &fs, const std::string &path) {
    try {
        const std::string short_path = fs.ShortPathName(path);
        bool lossless = false;
        std::string ansi = Utf8ToAnsi(short_path, &lossless);
        if (!short_path.empty() && lossless)
            return ansi;
    } catch (const FsError &e) {
        trace::Swallowed("ShortPathInAnsi", e.what());
    }
    return std::nullopt;
}

// The library takes 8-bit paths. A path the ANSI code page cannot spell must
// never reach it as some other path: the short form of the file stands in, and
// for a target not made yet the short form of its folder with the file's name.
std::optional<std::string> PathForLibrary(FileSystem &fs, const std::string &path) {
    bool lossless = false;
    std::string ansi = Utf8ToAnsi(path, &lossless);
    if (lossless)
        return ansi;
    if (auto short_path = ShortPathInAnsi(fs, path))
        return short_path;
    const auto cut = path.find_last_of("\\/");
    if (cut == std::string::npos)
        return std::nullopt;
    const std::string name = Utf8ToAnsi(path.substr(cut + 1), &lossless);
    if (!lossless)
        return std::nullopt;
    const std::string folder = path.substr(0, cut);
    std::optional<std::string> folder_ansi = Utf8ToAnsi(folder, &lossless);
    if (!lossless)
        folder_ansi = ShortPathInAnsi(fs, folder);
    if (!folder_ansi)
        return std::nullopt;
    return *folder_ansi + "\\" + name;
}

enum class RunOutcome { Completed, Failed, LibraryMissing, PathNotRepresentable };

// The size the project file will have: the wave's audio between the fixed
// header, lead-in and tail.
std::uint64_t ExpectedProjectSize(FileSystem &fs, const std::string &wave) {
    std::uint64_t size = 0;
    steps::Skippable("OK_Button_Click: wave size", [&] { size = fs.FileSize(wave); });
    return kFixedBytes + (size > kSourceHeaderSize ? size - kSourceHeaderSize : 0);
}

// How far the library is, from the target's growing size; never the whole
// before the call has returned.
std::uint64_t WrittenSoFar(FileSystem &fs, const std::string &target, std::uint64_t expected) {
    std::uint64_t size = 0;
    if (fs.FileExists(target))
        steps::Skippable("OK_Button_Click: target size", [&] { size = fs.FileSize(target); });
    return std::min(size, expected - 1);
}

} // namespace

Msg Projekt::Conversion_Fehlergrund(std::int32_t result, const std::string &source,
                                    const std::string &target) {
    switch (static_cast<Result>(result)) {
    case Result::SourceNotOpened:
        return source.empty() ? Msg::NoWaveChosen : Msg::WaveGone;
    case Result::TargetNotCreated:
        return Msg::TargetNotCreated;
    case Result::IoError: {
        // The library removed what it had written, so the drive shows the room
        // the run had: too little for the whole project file means it filled up.
        bool full = false;
        steps::UntilFailure("OK_Button_Click: room after a failure", [&] {
            const std::int64_t needed_kb =
                ShowFolderSize(source) + static_cast<std::int64_t>(kFixedBytes / 1024);
            full = ShowSpaceInfoDrive(target) < needed_kb;
        });
        return full ? Msg::TargetDiskFull : Msg::ConversionBroken;
    }
    default:
        return Msg::LibraryFailed;
    }
}

std::string Projekt::Real_Spaces(const std::string &name) const {
    return prepare_name(name, NameEncoding::Utf8);
}

void Projekt::Quell_Wave_Button_Click() {
    CommonDialog1.Filter = std::string(Text(Msg::WaveFilter)) + Text(Msg::AudioFilter);
    CommonDialog1.Flags = 4;
    CommonDialog1.CancelError = true;
    // A cancel or any failure ends the handler without a word.
    steps::UntilFailure("Quell_Wave_Button_Click", [this] {
        CommonDialog1.ShowOpen();
        Wave_übernehmen(CommonDialog1.FileName);
    });
}

void Projekt::Ziel_Projekt_Button_Click() {
    CommonDialog2.Filter = Text(Msg::SaveProjectFilter);
    CommonDialog2.Flags = 4;
    CommonDialog2.CancelError = true;
    // A cancel or any failure ends the handler without a word.
    steps::UntilFailure("Ziel_Projekt_Button_Click", [this] {
        CommonDialog2.ShowSave();
        Ziel_Projekt_Pfad = CommonDialog2.FileName;
        Ziel_Projekt_txt.set_text(Ziel_Projekt_Pfad);
        Freier_Speicherplatz_txt.set_text(KbText(ShowSpaceInfoDrive(Ziel_Projekt_Pfad)));
    });
}

void Projekt::OK_Button_Click() {
    const std::string target = Ziel_Projekt_txt.text();
    if (target.empty()) {
        s_.msg.Show(Text(Msg::ChooseTarget), MsgButtons::Ok, MsgIcon::Exclamation, kTitleApp);
        return;
    }
    player.mmStop();
    player.mmClose();
    if (!Laufwerk_bereit(target))
        return;
    const std::string source = Quell_Wave_txt.text();
    // A wave file gone since it was chosen is told, rather than ending in a
    // bare "Fehler"; a target drive that cannot be measured stops silently,
    // like too little room after its own message.
    if (!source.empty() && !s_.fs.FileExists(source)) {
        s_.msg.Show(Text(Msg::WaveGone), MsgButtons::Ok, MsgIcon::Exclamation, kTitleApp);
        return;
    }
    bool room = false;
    steps::UntilFailure("OK_Button_Click: Speicherplatz",
                        [&] { room = Speicherplatz(target, source); });
    if (!room)
        return;
    std::string name = Real_Spaces(Projektname_txt.text());
    Status_txt.set_text(Text(Msg::Converting));
    s_.events.DoEvents();

    InitAniCursor(&Status_txt);
    RunOutcome outcome = RunOutcome::Failed;
    std::int32_t result = 0;
    const auto source_ansi = PathForLibrary(s_.fs, source);
    const auto target_ansi = PathForLibrary(s_.fs, target);
    if (!source_ansi || !target_ansi) {
        outcome = RunOutcome::PathNotRepresentable;
    } else if (s_.library.Load() != ConversionLibrary::LoadResult::Ok) {
        outcome = RunOutcome::LibraryMissing;
    } else {
        // The library's one call runs on a worker thread; meanwhile the
        // window shows the target's growth and takes its messages.
        const std::uint64_t expected = ExpectedProjectSize(s_.fs, source);
        StepProgress progress(*this, Status_txt, Msg::Converting);
        const auto meanwhile = [&] { progress(WrittenSoFar(s_.fs, target, expected), expected); };
        result = s_.library.Projektdatei_erstellen(*source_ansi, *target_ansi, name, kProjectCode,
                                                   meanwhile);
        if (result == static_cast<std::int32_t>(Result::Done))
            outcome = RunOutcome::Completed;
    }
    ExitAniCursor();

    Status_txt.set_text(Text(outcome == RunOutcome::Completed ? Msg::Completed : Msg::Error));
    // "Fehler" alone leaves the user guessing; the message says why.
    std::string why;
    if (outcome == RunOutcome::LibraryMissing)
        why = Text(Msg::LibraryMissing);
    else if (outcome == RunOutcome::PathNotRepresentable)
        why = Text(Msg::PathNotRepresentable);
    else if (outcome == RunOutcome::Failed)
        why = Text(Conversion_Fehlergrund(result, source, target), std::to_string(result));
    if (!why.empty())
        s_.msg.Show(why, MsgButtons::Ok, MsgIcon::Exclamation, kTitleApp);
    s_.events.DoEvents();
    AfterLongStep();
}

} // namespace tf
