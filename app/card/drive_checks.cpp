// The card drive test and the drive and file queries the card handlers and the
// conversion run rest on. The size queries report a failing drive by throwing
// FsError; each caller decides what that means to the user.

#include "app/card/common.h"
#include "app/shell/projekt.h"
#include "platform/trace_log.h"

#include <cstdint>
#include <limits>

namespace tf {

namespace {

// Bytes to kB, nearest integer with halves to even. A drive beyond the 32-bit
// kB range (about 2 TiB) is no failure: it counts as the largest value.
std::int32_t ToKb(std::uint64_t bytes) {
    std::uint64_t q = bytes / 1024;
    const std::uint64_t r = bytes % 1024;
    if (r > 512 || (r == 512 && (q & 1) != 0))
        ++q;
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(q > kMax ? kMax : q);
}

// The drive list names an entry "e: [LABEL]"; the queries want "e:".
std::string DriveOfEntry(const std::string &entry) {
    return entry.substr(0, 2);
}

const char *DriveTypeText(const Projekt &w, int code) {
    switch (code) {
    case kDriveUnknown:
        return w.Text(Msg::DriveUnknown);
    case kDriveRemovable:
        return w.Text(Msg::DriveRemovable);
    case kDriveFixed:
        return w.Text(Msg::DriveFixed);
    case kDriveNetwork:
        return w.Text(Msg::DriveNetwork);
    case kDriveCdRom:
        return w.Text(Msg::DriveCdRom);
    case kDriveRamDisk:
        return w.Text(Msg::DriveRamDisk);
    default:
        return "";
    }
}

} // namespace

void Projekt::ShowDriveType() {
    // No drive chosen yet is the normal state at start, not a failing query:
    // the timer asks every five seconds, and the trace is for real failures.
    const std::string entry = Drive1.drive();
    if (entry.empty())
        return;
    int code = 0;
    try {
        code = s_.fs.DriveType(DriveOfEntry(entry));
    } catch (const FsError &e) {
        trace::Swallowed("ShowDriveType", e.what());
        return; // the box keeps what it showed
    }
    Drive_txt.set_text(DriveTypeText(*this, code));
    s_.events.DoEvents();
}

bool Projekt::ShowFileSystemType() {
    return s_.fs.FileSystemName(DriveOfEntry(Drive1.drive())) == "FAT";
}

bool Projekt::Laufwerk_bereit(const std::string &Pfad) {
    const std::string drive = Pfad.substr(0, 2);
    bool ready = false;
    try {
        // Anything but a drive letter cannot be asked; that is a silent no.
        if (!texts::IsDriveName(drive))
            return false;
        ready = s_.fs.IsReady(drive);
    } catch (const FsError &e) {
        trace::Swallowed("Laufwerk_bereit", e.what());
        return false;
    }
    if (!ready)
        s_.msg.Show(Text(Msg::NotReady), MsgButtons::Ok, MsgIcon::None, kTitleCard);
    return ready;
}

std::int32_t Projekt::ShowTotalSpace(const std::string &Pfad) {
    return ToKb(s_.fs.TotalSize(s_.fs.GetDriveName(s_.fs.GetAbsolutePathName(Pfad))));
}

std::int32_t Projekt::ShowSpaceInfoDrive(const std::string &Pfad) {
    return ToKb(s_.fs.AvailableSpace(s_.fs.GetDriveName(s_.fs.GetAbsolutePathName(Pfad))));
}

std::int32_t Projekt::ShowFolderSize(const std::string &Pfad) {
    if (Pfad.empty())
        return 0;
    return ToKb(s_.fs.FileSize(Pfad));
}

void Projekt::Drive1_Change() {
    ShowDriveType();
    const std::string entry = Drive1.drive();
    CF_Laufwerk = DriveOfEntry(entry);
    // The first failing query or list update ends the test with the
    // not-ready message; the warnings before it do not stop it.
    try {
        if (s_.fs.DriveType(CF_Laufwerk) != kDriveRemovable) {
            const std::string refusal = Text(Msg::NotRemovableDrive, entry);
            s_.msg.Show(refusal, MsgButtons::Ok, MsgIcon::None, kTitleCard);
            CF_Laufwerk = kNoCardDrive;
            Dir1.set_visible(false);
            File1.set_visible(false);
            return;
        }
        if (!texts::CardSizeFits(ShowTotalSpace(CF_Laufwerk)))
            s_.msg.Show(Text(Msg::CardSizeUnsuitable, texts::CardSizeFigures(*this)),
                        MsgButtons::Ok, MsgIcon::None, kTitleCard);
        if (!ShowFileSystemType())
            s_.msg.Show(Text(Msg::CardNotFat), MsgButtons::Ok, MsgIcon::Exclamation, kTitleCard);
        CF_Größe_txt.set_text(KbText(ShowSpaceInfoDrive(CF_Laufwerk)));
        File1.set_path(CF_Laufwerk);
        File1.set_visible(true);
        File1.Refresh();
        Dir1.set_path(CF_Laufwerk);
        Dir1.set_visible(true);
        Dir1.Refresh();
    } catch (const FsError &e) {
        trace::Swallowed("Drive1_Change", e.what());
        s_.msg.Show(Text(Msg::NotReady), MsgButtons::Ok, MsgIcon::None, kTitleCard);
        CF_Größe_txt.set_text("");
    }
}

} // namespace tf
