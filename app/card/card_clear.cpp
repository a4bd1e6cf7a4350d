// Emptying the card: after a confirmation, every file and folder in the root
// of the card drive goes, and only there.

#include "app/card/common.h"
#include "app/shell/projekt.h"
#include "platform/trace_log.h"

#include <cctype>
#include <string>

namespace tf {

namespace {

std::string Upper(std::string s) {
    for (char &c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Files first, then folders with their trees; the first deletion that fails
// skips the rest. A root with nothing of a kind to delete is no failure.
void DeleteRootContents(FileSystem &fs, const std::string &card) {
    const std::string root = card + "\\";
    try {
        if (!fs.ListFiles(root, "*.*").empty())
            fs.DeleteFile(card + "\\*.*");
        if (!fs.ListFolders(root).empty())
            fs.DeleteFolder(card + "\\*");
    } catch (const FsError &e) {
        trace::Swallowed("Karte_löschen_Click", e.what());
    }
}

} // namespace

void Projekt::Karte_löschen_Click() {
    const std::string card = CF_Laufwerk;
    if (card.empty()) {
        s_.msg.Show(Text(Msg::ChooseDriveFirst), MsgButtons::Ok, MsgIcon::None, kTitleCard);
        return;
    }
    if (!Laufwerk_bereit(card))
        return;
    // A drive value that is more than a letter and a colon (a settings file
    // can hold anything) would aim the patterns below at some folder.
    if (!texts::IsDriveName(card)) {
        s_.msg.Show(Text(Msg::ChooseDriveFirst), MsgButtons::Ok, MsgIcon::None, kTitleCard);
        return;
    }
    const std::string question = Text(Msg::ClearCardQuestion, Upper(card));
    // Yes destroys the card's contents: the warning sign, and Enter answers No.
    if (s_.msg.Show(question, MsgButtons::YesNo, MsgIcon::Exclamation, kTitleCard,
                    MsgDefault::Second) != MsgAnswer::Yes)
        return;

    // The type is asked again now: the drive may have changed since it was chosen.
    int type = kDriveUnknown;
    bool type_known = true;
    try {
        type = s_.fs.DriveType(card);
    } catch (const FsError &e) {
        trace::Swallowed("Karte_löschen_Click: DriveType", e.what());
        type_known = false;
    }
    if (type_known && type == kDriveRemovable)
        DeleteRootContents(s_.fs, card);
    else if (type_known)
        s_.msg.Show(Text(Msg::ClearNotRemovable), MsgButtons::Ok, MsgIcon::Exclamation, kTitleCard);

    try {
        CF_Größe_txt.set_text(KbText(ShowSpaceInfoDrive(card)));
        // A folder the clear took away gives way to the root in both lists.
        File1.Refresh();
        Dir1.Refresh();
    } catch (const FsError &e) {
        trace::Swallowed("Karte_löschen_Click: refresh", e.what());
        // The card went away after the deletion; the window carries on.
        s_.msg.Show(Text(Msg::NotReady), MsgButtons::Ok, MsgIcon::None, kTitleCard);
    }
}

} // namespace tf
