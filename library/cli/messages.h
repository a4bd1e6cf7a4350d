// Every text trackforge-convert shows, in one table keyed by message id. A
// text may hold {1}, {2}, ... for the words given with it.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace tf::cli {

enum class Msg {
    Help,
    TryHelp,
    NoCommand,
    UnknownCommand,
    ArgumentNotUnicode,
    UnknownOption,
    NeedsValue,
    ConvertNeedsPaths,
    InfoNeedsOne,
    PrepareNeedsPaths,
    CodeNotFourBytes,
    SeveralNeedFolder,
    SameTarget,
    SourceNotOpened,
    IsFolder,
    IsPipe,
    IsSocket,
    IsDevice,
    RefusedInvalidFormat,
    RefusedNotStereo,
    RefusedNot44100Hz,
    RefusedNot16Bit,
    RefusedHintPrepare,
    TargetIsWave,
    TargetNotCreated,
    SourceCloseFailed,
    IoErrorRemoved,
    IoErrorLinkLeft,
    IoErrorNotRemoved,
    IoErrorNotAFile,
    IoErrorNothingWritten,
    Wrote,
    WroteThroughLink,
    Prepared,
    PreparedOnTheWay,
    PreparedCopied,
    PreparedConverted,
    PrepareSourceNotOpened,
    PrepareNotDecodable,
    PrepareTooManyChannels,
    PrepareSameFile,
    PrepareTargetExists,
    PrepareTargetNotCreated,
    PrepareReadError,
    PrepareWriteError,
    PrepareTooLong,
    PrepareNoResampler,
    PrepareRateUnsupported,
    PrepareDamagedEnds,
    PrepareDamagedDecoder,
    PrepareDamagedNoAudio,
    PrepareDamagedChecksum,
    PreparedLowered,
    HeadroomNeedsPrepare,
    InfoCannotOpen,
    InfoShort,
    InfoMagic,
    InfoHeaderByte,
    InfoSize,
    InfoLeadIn,
    InfoTail,
    InfoReport,
    InfoHolds,
    InfoBroken,
    InfoProblem,
    Count // not a message: how many there are
};

// The text of `id` with {1}, {2}, ... replaced by `words` in order.
std::string say(Msg id, std::initializer_list<std::string_view> words = {});

// A path or name as it may be shown on a terminal: control characters, and on
// Linux bytes that are not UTF-8, as \xNN, so no escape sequence reaches it.
std::string shown(std::string_view text);

} // namespace tf::cli
