// Room for a file on a drive, emptiness of the card, and the coupling of the
// card's folder list and file list. Failing size queries pass to the caller.

#include "app/card/common.h"
#include "app/shell/projekt.h"

#include <cstdint>

namespace tf {

bool Projekt::Speicherplatz(const std::string &Drive_Pfad, const std::string &File_Pfad) {
    const std::int32_t available = ShowSpaceInfoDrive(Drive_Pfad);
    const std::int32_t needed = ShowFolderSize(File_Pfad);
    if (available >= needed)
        return true;
    s_.msg.Show(Text(Msg::NotEnoughSpace), MsgButtons::Ok, MsgIcon::None, kTitleCard);
    return false;
}

bool Projekt::Ist_Datenträger_Leer(const std::string &Pfad) {
    const std::int64_t available = ShowSpaceInfoDrive(Pfad);
    const std::int64_t total = ShowTotalSpace(Pfad);
    // Up to 2 kB in use is what a freshly formatted card may report; a drive
    // claiming more room than its size has nothing on it worth asking about.
    if (available >= total - 2)
        return true;
    const MsgAnswer answer =
        s_.msg.Show(Text(Msg::CardNotEmpty), MsgButtons::YesNoCancel, MsgIcon::None, kTitleCard);
    return answer == MsgAnswer::Yes;
}

void Projekt::Dir1_Change() {
    File1.set_path(Dir1.path());
}

void Projekt::Dir1_Click() {
    File1.set_path(Dir1.path());
}

} // namespace tf
