// Choosing the project file for the card and copying it into the card's root.

#include "app/card/common.h"
#include "app/shell/projekt.h"
#include "platform/steps.h"

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

// The copy goes to the temporary name first and takes the final name only
// once it reads back equal, so the device never meets a half-written project
// file and an older file of that name is replaced only by a good one. The
// temporary file is made new: whatever already holds its name fails the copy.
bool CopyOntoCard(FileSystem &fs, const std::string &source, const std::string &card) {
    const std::string root = card + "\\";
    const std::string temp = root + kCopyTempName;
    // Nothing of ours is there to remove when the new file cannot be made.
    if (!steps::Skippable("Karte_schreiben: copy", [&] { fs.CopyToNewFile(source, temp); }))
        return false;
    bool placed = false;
    steps::Skippable("Karte_schreiben: place", [&] {
        if (fs.FilesEqual(source, temp)) {
            fs.MoveFile(temp, root + FileNameOf(source));
            placed = true;
        }
    });
    if (!placed)
        DeleteQuietly(fs, temp);
    return placed;
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
    InitAniCursor();
    const bool copied = CopyOntoCard(s_.fs, source, card);
    if (copied)
        WaitProcessingEvents(20);
    ExitAniCursor();
    if (copied)
        Status2_txt.set_text(Text(Msg::Completed));
    else
        fail(Msg::CopyFailed);

    steps::Skippable("Karte_schreiben_Click: Refresh", [this] {
        File1.Refresh();
        Dir1.Refresh();
    });
    s_.events.DoEvents();
}

} // namespace tf
