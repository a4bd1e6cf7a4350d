// Choosing the project file for the card and copying it into the card's root.

#include "app/card/common.h"
#include "app/shell/projekt.h"
#include "app/shell/steps.h"

#include <string>

namespace tf {

namespace {

std::string FileNameOf(const std::string &path) {
    const auto cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool ExistsQuietly(FileSystem &fs, const std::string &path) {
    try {
        return fs.FileExists(path);
    } catch (const FsError &) {
        return false;
    }
}

void DeleteQuietly(FileSystem &fs, const std::string &path) {
    try {
        if (fs.FileExists(path))
            fs.DeleteFile(path);
    } catch (const FsError &) {
    }
}

// The copy goes to a temporary name first and takes the final name only once
// it reads back equal, so the device never meets a half-written project file
// and an older file of that name is replaced only by a good one.
bool CopyOntoCard(FileSystem &fs, const std::string &source, const std::string &card) {
    const std::string root = card + "\\";
    std::string temp;
    for (int n = 0; n < 1000 && temp.empty(); ++n) {
        const std::string candidate = root + "~tf" + std::to_string(n) + ".tmp";
        if (!ExistsQuietly(fs, candidate))
            temp = candidate;
    }
    if (temp.empty())
        return false;
    bool done = false;
    try {
        fs.CopyFileFlushed(source, temp);
        if (fs.FilesEqual(source, temp)) {
            fs.MoveFile(temp, root + FileNameOf(source));
            done = true;
        }
    } catch (const FsError &) {
    }
    if (!done)
        DeleteQuietly(fs, temp);
    return done;
}

} // namespace

void Projekt::Ziel_Projekt_Button_2_Click() {
    CommonDialog2.Filter = Text(Msg::OpenProjectFilter);
    CommonDialog2.Flags = 4;
    CommonDialog2.CancelError = true;
    // A cancel or any failure ends the handler without a word; what was set stays.
    steps::UntilFailure([this] {
        CommonDialog2.ShowOpen();
        Ziel_Projekt_Pfad = CommonDialog2.FileName;
        Ziel_Projekt_txt_2.set_text(Ziel_Projekt_Pfad);
        Projekt_Größe_txt.set_text(KbText(ShowFolderSize(Ziel_Projekt_Pfad)));
    });
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

    try {
        if (!texts::CardSizeFits(ShowTotalSpace(card))) {
            s_.msg.Show(Text(Msg::CardSizeUnsuitableOnWrite), MsgButtons::Ok, MsgIcon::None,
                        kTitleCard);
            return;
        }
        if (!Ist_Datenträger_Leer(card))
            return;
    } catch (const FsError &) {
        return fail(Msg::NotReady);
    }
    if (!Laufwerk_bereit(card))
        return;
    try {
        if (!Speicherplatz(card, source))
            return;
    } catch (const FsError &) {
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

    steps::Skippable([this] {
        File1.Refresh();
        Dir1.Refresh();
    });
    s_.events.DoEvents();
}

} // namespace tf
