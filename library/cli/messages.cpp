#include "library/cli/messages.h"

#include "library/name_rule.h"
#include "library/text_catalog.h"

#include <cstddef>
#include <cstdio>

namespace tf::cli {

namespace {

// English only: one column.
using Text = catalog::Row<Msg, 1>;

constexpr Text kTexts[] = {
    {Msg::Help,
     R"(trackforge-convert - wave files to project files (.kpf) for the playback device

Usage:
  trackforge-convert convert IN.wav OUT.kpf [--name NAME] [--code CODE] [--prepare]
                     [--headroom]
  trackforge-convert convert IN1.wav IN2.wav ... OUTFOLDER [--name NAME] [--code CODE]
                     [--prepare] [--headroom]
  trackforge-convert prepare IN OUT.wav [--headroom]
  trackforge-convert info FILE.kpf
  trackforge-convert --help

convert  Checks each wave file first (PCM, 2 channels, 44100 Hz, 16 bit, as the
         desktop program does) and writes its project file. An existing project
         file is replaced; an existing wave file never is (exit status 4). With
         several wave files, or when OUT is a folder, each project file goes
         into that folder as <wave name>.kpf; two wave files of the same name
         are refused (exit status 2) before anything is written.
           --name NAME  project name shown on the device; the first 30
                        characters, letters, digits and most punctuation kept,
                        anything else (umlauts, !, ~) becomes a blank. Default:
                        the wave file's name without extension.
           --code CODE  the code field, exactly 4 bytes (default 0120).
           --prepare    takes any audio file (as prepare does) instead of
                        refusing it; the wave made on the way is removed.
           --headroom   with --prepare: as prepare --headroom.
           --           ends the options: later arguments are file names.
         Wave files must be regular files: a pipe, device or folder is refused.
         Long files show a progress bar when run in a terminal. When the
         project file is not a regular file (/dev/stdout, NUL), what was written
         is told on standard error, never mixed into the data.
prepare  Writes a wave file the device plays (PCM, 2 channels, 44100 Hz, 16 bit)
         from any audio file that can be decoded (WAV in any form, FLAC, Ogg,
         MP3, ...): resampled at the highest quality, mono to both channels,
         reduced to 16 bits with dither; samples beyond full scale are clipped
         and counted. A file that is already right is copied unchanged. More
         than two channels are refused; an existing OUT is never replaced, and
         after a failure nothing is left behind. A file that is damaged (it
         ends before the length its header gives, its decoder fails midway, it
         holds no audio, or a FLAC's samples differ from its stored checksum)
         is refused (exit status 27), as is a rate below 1 kHz or above
         1.536 MHz (exit status 28), which only a broken header gives.
           --headroom   measures the level after resampling first and lowers
                        it just enough that nothing clips (two passes).
info     Prints a project file's magic word, code, name, length count and audio
         length, and whether its structure holds.

Exit status:
   0 done                          7 info: project file structure broken
   2 wrong usage                  10 refused: invalid wave format (not PCM)
   3 wave or audio file cannot    11 refused: not stereo
     be opened (missing, or not   12 refused: not 44.1 kHz
     a file)                      13 refused: not 16 bit
   4 project or wave file cannot  20 audio file cannot be decoded
     be created (folder missing,  21 more than two channels
     no permission, the wave      22 prepare: OUT exists (never replaced)
     file itself, or a wave file) 23 prepare: OUT is the audio file itself
   5 project file complete, but   24 reading the audio file failed midway
     closing the wave file failed 25 too long for a wave file (over 6 h 45 min)
   6 read or write failure midway 26 the resampler could not be made
     (disk full?); the incomplete 27 the audio file is damaged (cut
     file was removed                short, undecodable midway, no
                                     audio, or a wrong checksum)
                                  28 a rate below 1 kHz or above
                                     1.536 MHz
With several wave files the status is that of the first one that failed.
)"},
    {Msg::TryHelp, "trackforge-convert: {1}\nTry: trackforge-convert --help\n"},
    {Msg::NoCommand, "no command given"},
    {Msg::UnknownCommand, "unknown command {1}"},
    {Msg::ArgumentNotUnicode,
     "an argument is not valid Unicode (a file name of that kind cannot be given)"},
    {Msg::UnknownOption, "unknown option {1}"},
    {Msg::NeedsValue, "{1} needs a value"},
    {Msg::ConvertNeedsPaths, "convert needs a wave file and a project file (or folder)"},
    {Msg::InfoNeedsOne, "info needs exactly one project file"},
    {Msg::PrepareNeedsPaths, "prepare needs an audio file and the wave file to write"},
    {Msg::CodeNotFourBytes,
     "--code takes exactly 4 bytes, e.g. --code 0120 (\"{1}\" is {2} bytes)\n"},
    {Msg::SeveralNeedFolder,
     "with several wave files the last argument must be an existing folder: {1}\n"},
    {Msg::SameTarget,
     "two wave files would both be written to {1}; convert them into different folders\n"},
    {Msg::SourceNotOpened, "{1}: the wave file could not be opened or read (result -1)\n"},
    {Msg::IsFolder, "{1}: cannot be opened: is a folder, not a {2}\n"},
    {Msg::IsPipe, "{1}: cannot be opened: is a pipe, not a file\n"},
    {Msg::IsSocket, "{1}: cannot be opened: is a socket, not a file\n"},
    {Msg::IsDevice, "{1}: cannot be opened: is a device, not a file\n"},
    {Msg::RefusedInvalidFormat, "{1}: refused: Invalid wave format\n"},
    {Msg::RefusedNotStereo, "{1}: refused: Mono waves cannot be used.\n"},
    {Msg::RefusedNot44100Hz, "{1}: refused: Only waves with 44.1 kHz can be used.\n"},
    {Msg::RefusedNot16Bit, "{1}: refused: Only waves with 16 Bit can be used.\n"},
    {Msg::RefusedHintPrepare,
     "{1}: --prepare converts it all the same, through a device-ready copy that is removed "
     "afterwards\n"},
    {Msg::TargetIsWave,
     "{1} -> {2}: refused: {2} is a wave file, not a project file; it was left as it is. "
     "Name a .kpf file or a folder as the target\n"},
    {Msg::TargetNotCreated,
     "{1} -> {2}: the project file could not be created: missing folder, no write permission, "
     "or it names the wave file itself (result -2)\n"},
    {Msg::SourceCloseFailed,
     "{1} -> {2}: the project file is complete, but closing the wave file reported an error "
     "(result -3)\n"},
    {Msg::IoErrorRemoved,
     "{1} -> {2}: reading the wave file or writing the project file failed midway (disk full "
     "or medium removed?); the incomplete project file was removed (result -5)\n"},
    {Msg::IoErrorLinkLeft,
     "{1} -> {2}: reading the wave file or writing the project file failed midway (disk full "
     "or medium removed?); the incomplete project file {3}, where the link {2} leads, was "
     "removed; the link itself was left (result -5)\n"},
    {Msg::IoErrorNotRemoved,
     "{1} -> {2}: reading the wave file or writing the project file failed midway (disk full "
     "or medium removed?); the incomplete project file {3} could not be removed: delete it "
     "(result -5)\n"},
    {Msg::IoErrorNotAFile,
     "{1} -> {2}: reading the wave file or writing to {2} failed midway; {2} is not a regular "
     "file and was left as it is (result -5)\n"},
    {Msg::IoErrorNothingWritten,
     "{1} -> {2}: the conversion failed before anything was written (result -5)\n"},
    {Msg::Wrote,
     "wrote {1}: {2} bytes, name \"{3}\", code {4}, audio {5} bytes ({6} sample frames)\n"},
    {Msg::WroteThroughLink,
     "wrote {1} (where the link {7} leads): {2} bytes, name \"{3}\", code {4}, audio {5} bytes "
     "({6} sample frames)\n"},
    {Msg::Prepared, "wrote {1}: {2}\n"},
    {Msg::PreparedOnTheWay, "prepared {1}: {2}\n"},
    {Msg::PreparedCopied,
     "already right for the device, audio copied unchanged ({1} sample frames)"},
    {Msg::PreparedConverted,
     "{1} sample frames at 44.1 kHz, 16 bit, stereo from {2} Hz, {3} channel(s), {4}; {5}, {6}, "
     "{7} samples clipped"},
    {Msg::PrepareSourceNotOpened, "{1}: the audio file could not be opened or read\n"},
    {Msg::PrepareNotDecodable, "{1}: refused: not an audio file that can be decoded here\n"},
    {Msg::PrepareTooManyChannels,
     "{1}: refused: it has {3} channels; only mono and stereo can be prepared, a downmix is "
     "never guessed\n"},
    {Msg::PrepareSameFile, "{1} -> {2}: refused: {2} is the audio file itself\n"},
    {Msg::PrepareTargetExists, "{1} -> {2}: refused: {2} exists and is never replaced\n"},
    {Msg::PrepareTargetNotCreated,
     "{1} -> {2}: the wave file could not be created: missing folder or no write permission\n"},
    {Msg::PrepareReadError, "{1}: reading the audio file failed midway; nothing was written\n"},
    {Msg::PrepareWriteError,
     "{1} -> {2}: writing the wave file failed (disk full or medium removed?); nothing was "
     "left behind\n"},
    {Msg::PrepareTooLong,
     "{1}: refused: longer than a wave file can hold (about 6 hours 45 minutes at 44.1 kHz "
     "stereo)\n"},
    {Msg::PrepareNoResampler, "{1}: the resampler from {4} Hz could not be made\n"},
    {Msg::PrepareRateUnsupported,
     "{1}: refused: its header gives a rate of {4} Hz; audio lies between 1000 Hz and "
     "1536000 Hz, so the header seems damaged; nothing was written\n"},
    {Msg::PrepareDamagedEnds,
     "{1}: the file ends after {5} of the {6} its header gives; it seems damaged; nothing was "
     "written\n"},
    {Msg::PrepareDamagedDecoder,
     "{1}: the audio cannot be decoded past {5}; the file seems damaged; nothing was written\n"},
    {Msg::PrepareDamagedNoAudio,
     "{1}: the file holds no audio at all; it seems damaged; nothing was written\n"},
    {Msg::PrepareDamagedChecksum,
     "{1}: the decoded audio differs from the checksum the file stores; it seems damaged; "
     "nothing was written\n"},
    {Msg::PreparedLowered, ", level lowered by {1} dB so that nothing clips"},
    {Msg::HeadroomNeedsPrepare, "--headroom needs --prepare"},
    {Msg::InfoCannotOpen, "{1}: cannot be opened\n"},
    {Msg::InfoShort, "shorter than the 7680-byte header"},
    {Msg::InfoMagic, "magic word is not KORVANT"},
    {Msg::InfoHeaderByte, "header byte {1} is not zero"},
    {Msg::InfoSize, "size is not 1402188 + an even audio length"},
    {Msg::InfoLeadIn, "lead-in is not silence"},
    {Msg::InfoTail, "tail is not silence"},
    {Msg::InfoReport, "File:          {1}\n"
                      "Magic:         {2}\n"
                      "Code:          {3}\n"
                      "Name:          \"{4}\"\n"
                      "Length count:  {5}\n"
                      "Audio:         {6} bytes ({7} sample frames, {8} s at 44.1 kHz stereo)\n"
                      "Size:          {9} bytes (1402188 + {6})\n"},
    {Msg::InfoHolds, "Structure:     holds (header zeros, lead-in and tail silence, size)\n"},
    {Msg::InfoBroken, "Structure:     broken\n"},
    {Msg::InfoProblem, "  - {1}\n"},
};

TF_CATALOG_CHECK(kTexts, Msg::Count);

void append_escaped(std::string &out, unsigned char c) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", c);
    out += hex;
}

} // namespace

std::string say(Msg id, std::initializer_list<std::string_view> words) {
    return catalog::Fill(kTexts[static_cast<std::size_t>(id)].text[0], words);
}

std::string shown(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const Utf8Piece piece = utf8_piece(text, i);
        // C1 controls arrive as C2 80..C2 9F; some terminals obey them too.
        const bool c1 =
            piece.length == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if (c < 0x20 || c == 0x7F || !piece.well_formed || c1) {
            for (std::size_t k = 0; k < piece.length; ++k) {
                append_escaped(out, static_cast<unsigned char>(text[i + k]));
            }
        } else {
            out.append(text.substr(i, piece.length));
        }
        i += piece.length;
    }
    return out;
}

} // namespace tf::cli
