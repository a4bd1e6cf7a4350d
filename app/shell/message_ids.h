#pragma once
// The ids of the main program's texts, apart from the words, for code that must
// not see the Language type of other headers.

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
    PlayName,
    PauseName,
    StopName,
    CardFoldersName,
    CardFilesName,
    // The about window.
    AboutCaption,
    AboutFor,
    AboutDescription,
    // File dialogs.
    WaveFilter,
    SaveProjectFilter,
    OpenProjectFilter,
    AudioFilter,
    // The wave header check.
    WaveInvalidFormat,
    WaveNotStereo,
    WaveNot44100Hz,
    WaveNot16Bit,
    // A copy of a refused file in the device's format.
    PrepareQuestion,
    PrepareTooManyChannels,
    PrepareFailed,           // {1}: the copy's path
    PrepareClipped,          // {1}: the number of samples clipped
    PrepareHeadroomQuestion, // {1}: samples that would clip, {2}: the dB to lower by
    PrepareEndsEarly,        // {1}: the time the file holds, {2}: the time its header gives
    PrepareDamaged,
    PrepareRateUnsupported, // {1}: the rate its header gives
    // The conversion run.
    ChooseTarget,
    Converting,
    Completed,
    Error,
    LibraryMissing,
    PathNotRepresentable,
    WaveGone,
    // Why a conversion ended in "Fehler".
    NoWaveChosen,
    TargetNotCreated,
    TargetDiskFull,
    ConversionBroken,
    LibraryFailed, // {1}: the library's result code
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
    NotRemovableDrive, // {1}: the drive list's entry
    CardSizeUnsuitable,
    SizeListOr,
    CardNotFat,
    NotEnoughSpace,
    CardNotEmpty,
    ChooseProjectFile,
    ProjectFileMissing,
    CopyFailed,
    CardSizeUnsuitableOnWrite,
    WritingProjectFile,
    // What a long step adds to its status text while it runs.
    VerifyingProjectFile,
    PreparingCopy,
    ProgressOf,
    ProgressLeft, // {1}: whole seconds
    // Why a copy onto the card failed, after CopyFailed.
    CardGone,
    CardFull,
    CardReadBackFailed,
    CardReadBackDifferent,
    PartialCopyLeft, // {1}: the leftover's name on the card
    // Ejecting the card after a verified write.
    EjectQuestion,
    Ejected,
    EjectRefused,
    EjectFailed,
    ClearCardQuestion, // {1}: the drive in upper case
    ClearNotRemovable,
    UnexpectedError, // a failure no handler expected; the detail goes to the trace
    Count
};

} // namespace tf
