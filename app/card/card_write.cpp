// Choosing the project file for the card and copying it into the card's root.

#include "app/card/common.h"
#include "app/shell/progress.h"
#include "app/shell/projekt.h"
#include "platform/steps.h"

#include <functional>
#include <string>

namespace tf {

namespace {

std::string FileNameOf(const std::string &path) {
    const auto cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool ExistsQuietly(FileSystem &fs, const std::string &path) {
    bool exists = false;
    steps::Skippable("Karte_schreiben: FileExists", [&] { exists = fs.FileExists(path); });
    return exists;
}

void DeleteQuietly(FileSystem &fs, const std::string &path) {
    steps::Skippable("Karte_schreiben: delete", [&] {
        if (fs.FileExists(path))
            fs.DeleteFile(path);
    });
}

// The name the copy has on the card until it reads back equal. It is the
// program's own beyond doubt, so a leftover of a copy cut short (a card
// pulled) can be removed at the next write without touching a user's file.
constexpr const char *kCopyTempName = "~Trackforge-Kopie.tmp";

// A link of that name stays: the file system never deletes nor follows one.
void RemoveLeftoverCopy(FileSystem &fs, const std::string &card) {
    DeleteQuietly(fs, card + "\\" + kCopyTempName);
}

// Why a copy onto the card did not end as the project file in place.
enum class CopyFault { None, Other, Gone, Full, ReadBackFailed, ReadBackDifferent };

struct CopyOutcome {
    CopyFault fault = CopyFault::None;
    bool leftover = false; // a part of the copy may still be on the card
};

bool StillThere(FileSystem &fs, const std::string &card) {
    bool ready = false;
    steps::Skippable("Karte_schreiben: IsReady", [&] { ready = fs.IsReady(card); });
    return ready;
}

// A card that no longer answers was pulled, whatever error the call gave.
CopyFault FaultOf(FileSystem &fs, const std::string &card, const FsError &e, CopyFault otherwise) {
    if (e.fault == FsFault::Gone || !StillThere(fs, card))
        return CopyFault::Gone;
    return e.fault == FsFault::Full ? CopyFault::Full : otherwise;
}

// The temporary copy is removed; only a card that answers can say it is gone.
CopyOutcome Failed(FileSystem &fs, const std::string &card, const std::string &temp,
                   CopyFault fault) {
    DeleteQuietly(fs, temp);
    bool removed = false;
    steps::Skippable("Karte_schreiben: leftover",
                     [&] { removed = fs.IsReady(card) && !fs.FileExists(temp); });
    return {fault, !removed};
}

// The copy goes to the temporary name first and takes the final name only
// once it reads back equal, so the device never meets a half-written project
// file and an older file of that name is replaced only by a good one. The
// temporary file is made new: whatever already holds its name fails the copy.
// Both the copy and the read-back run in blocks, and between blocks the
// window shows how far they are and takes its messages.
CopyOutcome CopyOntoCard(Projekt &window, const std::string &source, const std::string &card) {
    FileSystem &fs = window.services().fs;
    const std::string root = card + "\\";
    const std::string temp = root + kCopyTempName;
    try {
        StepProgress writing(window, window.Status2_txt, Msg::WritingProjectFile);
        fs.CopyToNewFile(source, temp, std::ref(writing));
    } catch (const FsError &e) {
        trace::Swallowed("Karte_schreiben: copy", e.what());
        return Failed(fs, card, temp, FaultOf(fs, card, e, CopyFault::Other));
    }
    bool equal = false;
    try {
        StepProgress verifying(window, window.Status2_txt, Msg::VerifyingProjectFile);
        equal = fs.FilesEqual(source, temp, std::ref(verifying));
    } catch (const FsError &e) {
        trace::Swallowed("Karte_schreiben: read-back", e.what());
        return Failed(fs, card, temp, FaultOf(fs, card, e, CopyFault::ReadBackFailed));
    }
    if (!equal)
        return Failed(fs, card, temp, CopyFault::ReadBackDifferent);
    try {
        fs.MoveFile(temp, root + FileNameOf(source));
    } catch (const FsError &e) {
        trace::Swallowed("Karte_schreiben: place", e.what());
        return Failed(fs, card, temp, FaultOf(fs, card, e, CopyFault::Other));
    }
    return {};
}

Msg CauseText(CopyFault fault) {
    switch (fault) {
    case CopyFault::Gone:
        return Msg::CardGone;
    case CopyFault::Full:
        return Msg::CardFull;
    case CopyFault::ReadBackFailed:
        return Msg::CardReadBackFailed;
    default:
        return Msg::CardReadBackDifferent;
    }
}

} // namespace

void Projekt::Ziel_Projekt_Button_2_Click() {
    CommonDialog2.Filter = Text(Msg::OpenProjectFilter);
    CommonDialog2.Flags = 4;
    CommonDialog2.CancelError = true;
    // A cancel or any failure ends the handler without a word; what was set stays.
    steps::UntilFailure("Ziel_Projekt_Button_2_Click", [this] {
        CommonDialog2.ShowOpen();
        Projektdatei_übernehmen(CommonDialog2.FileName);
    });
}

void Projekt::Projektdatei_übernehmen(const std::string &Pfad) {
    Ziel_Projekt_Pfad = Pfad;
    Ziel_Projekt_txt_2.set_text(Ziel_Projekt_Pfad);
    Projekt_Größe_txt.set_text(KbText(ShowFolderSize(Ziel_Projekt_Pfad)));
}

void Projekt::Karte_schreiben_Click() {
    // Every failure the tests below do not report themselves ends here: the
    // user is told what went wrong and the status says so.
    auto fail = [this](Msg why) {
        Status2_txt.set_text(Text(Msg::Error));
        s_.msg.Show(Text(why), MsgButtons::Ok, MsgIcon::None, kTitleCard);
    };
    const std::string card = CF_Laufwerk;
    const std::string source = Ziel_Projekt_txt_2.text();
    if (!texts::IsDriveName(card))
        return fail(Msg::ChooseDriveFirst);
    if (source.empty())
        return fail(Msg::ChooseProjectFile);
    if (!ExistsQuietly(s_.fs, source))
        return fail(Msg::ProjectFileMissing);
    RemoveLeftoverCopy(s_.fs, card);

    try {
        if (!texts::CardSizeFits(ShowTotalSpace(card))) {
            s_.msg.Show(Text(Msg::CardSizeUnsuitableOnWrite, texts::CardSizeFigures(*this)),
                        MsgButtons::Ok, MsgIcon::None, kTitleCard);
            return;
        }
        if (!Ist_Datenträger_Leer(card))
            return;
    } catch (const FsError &e) {
        trace::Swallowed("Karte_schreiben_Click: size and contents", e.what());
        return fail(Msg::NotReady);
    }
    if (!Laufwerk_bereit(card))
        return;
    try {
        if (!Speicherplatz(card, source))
            return;
    } catch (const FsError &e) {
        trace::Swallowed("Karte_schreiben_Click: Speicherplatz", e.what());
        return fail(Msg::NotReady);
    }

    Status2_txt.set_text(Text(Msg::WritingProjectFile));
    s_.events.DoEvents();
    InitAniCursor(&Status2_txt);
    const CopyOutcome outcome = CopyOntoCard(*this, source, card);
    if (outcome.fault == CopyFault::None) {
        // The wait shows the writing text as it always has; the figures were
        // the copy's and the read-back's.
        Status2_txt.set_text(Text(Msg::WritingProjectFile));
        WaitProcessingEvents(20);
    }
    ExitAniCursor();
    // The card's free space changed with the write (or with what a failed one left).
    steps::Skippable("Karte_schreiben_Click: free space",
                     [&] { CF_Größe_txt.set_text(KbText(ShowSpaceInfoDrive(card))); });
    if (outcome.fault == CopyFault::None) {
        Status2_txt.set_text(Text(Msg::Completed));
    } else {
        std::string text = Text(Msg::CopyFailed);
        if (outcome.fault != CopyFault::Other)
            text += std::string("\r\n") + Text(CauseText(outcome.fault));
        if (outcome.leftover)
            text += std::string("\r\n") + Text(Msg::PartialCopyLeft, kCopyTempName);
        Status2_txt.set_text(Text(Msg::Error));
        s_.msg.Show(text, MsgButtons::Ok, MsgIcon::None, kTitleCard);
    }

    steps::Skippable("Karte_schreiben_Click: Refresh", [this] {
        File1.Refresh();
        Dir1.Refresh();
    });
    s_.events.DoEvents();
    if (outcome.fault == CopyFault::None && !close_asked_)
        Karte_auswerfen(card);
    AfterLongStep();
}

void Projekt::Karte_auswerfen(const std::string &card) {
    if (s_.msg.Show(Text(Msg::EjectQuestion), MsgButtons::YesNo, MsgIcon::None, kTitleCard) !=
        MsgAnswer::Yes)
        return;
    FileSystem::EjectResult result = FileSystem::EjectResult::Failed;
    steps::Skippable("Karte_auswerfen", [&] { result = s_.fs.EjectMedium(card); });
    const Msg told = result == FileSystem::EjectResult::Ejected ? Msg::Ejected
                     : result == FileSystem::EjectResult::InUse ? Msg::EjectRefused
                                                                : Msg::EjectFailed;
    s_.msg.Show(Text(told), MsgButtons::Ok,
                told == Msg::Ejected ? MsgIcon::None : MsgIcon::Exclamation, kTitleCard);
}

} // namespace tf
