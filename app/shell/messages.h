#pragma once
// Every text of the main program that a user reads in one language or the
// other, by message id; the words themselves live in one table in messages.cpp,
// one column per language. Call sites name the message, never the words.

#include "platform/language.h"

#include <string>

namespace tf {

enum class Msg {
    // Captions and tooltips of the main window, in the order they are set.
    Title,
    SizeLabel,
    ConvertFrame,
    WaveButton,
    ProjectButton,
    CardFrame,
    CardDriveLabel,
    FreeSpaceLabel,
    CardContentsLabel,
    ClearCardButton,
    WriteCardButton,
    CloseButton,
    DefaultName,
    WaveButtonTip,
    PlayTip,
    PauseTip,
    StopTip,
    WaveSizeTip,
    WavePathTip,
    ProjectPathTip,
    ProjectNameTip,
    StatusTip,
    StartTip,
    OpenProjectTip,
    CardProjectPathTip,
    DriveListTip,
    CardContentsTip,
    ClearCardTip,
    WriteCardTip,
    CloseTip,
    InfoTip,
    DriveTypeTip,
    // The about window.
    AboutCaption,
    AboutFor,
    AboutDescription,
    // File dialogs.
    WaveFilter,
    SaveProjectFilter,
    OpenProjectFilter,
    // The wave header check.
    WaveInvalidFormat,
    WaveNotStereo,
    WaveNot44100Hz,
    WaveNot16Bit,
    // The conversion run.
    ChooseTarget,
    Converting,
    Completed,
    Error,
    LibraryMissing,
    PathNotRepresentable,
    WaveGone,
    // Drive types.
    DriveUnknown,
    DriveRemovable,
    DriveFixed,
    DriveNetwork,
    DriveCdRom,
    DriveRamDisk,
    // The card.
    NotReady,
    ChooseDriveFirst,
    NotRemovableDrive, // %1: the drive list's entry
    CardSizeUnsuitable,
    CardNotFat,
    NotEnoughSpace,
    CardNotEmpty,
    ChooseProjectFile,
    ProjectFileMissing,
    CopyFailed,
    CardSizeUnsuitableOnWrite,
    WritingProjectFile,
    ClearCardQuestion, // %1: the drive in upper case
    ClearNotRemovable,
    Count
};

// The text of `id` in `language`; byte for byte what the user is shown.
const char *Text(Msg id, Language language);

// The text with its one placeholder "%1" replaced by `argument`.
std::string Text(Msg id, Language language, const std::string &argument);

} // namespace tf
