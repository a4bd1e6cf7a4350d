// trackforge-convert: converts wave files into project files for the playback
// device without the desktop program, and checks project files.
#include "library/cli/cli.h"

#include <iostream>
#include <string_view>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tf::cli {

bool stderr_is_terminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

bool is_folder(const std::string &path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace tf::cli

namespace {

constexpr std::string_view kHelp =
    R"(trackforge-convert - wave files to project files (.kpf) for the playback device

Usage:
  trackforge-convert convert IN.wav OUT.kpf [--name NAME] [--code CODE]
  trackforge-convert convert IN1.wav IN2.wav ... OUTFOLDER [--name NAME] [--code CODE]
  trackforge-convert info FILE.kpf
  trackforge-convert --help

convert  Checks each wave file first (PCM, 2 channels, 44100 Hz, 16 bit, as the
         desktop program does) and writes its project file. An existing project
         file is replaced. With several wave files, or when OUT is a folder, each
         project file goes into that folder as <wave name>.kpf; two wave files
         of the same name are refused (exit status 2) before anything is written.
           --name NAME  project name shown on the device; the first 30
                        characters, letters, digits and most punctuation kept,
                        anything else (umlauts, !, ~) becomes a blank. Default:
                        the wave file's name without extension.
           --code CODE  the 4-character code field (default 0120).
         Long files show a progress bar when run in a terminal.
info     Prints a project file's magic word, code, name, length count and audio
         length, and whether its structure holds.

Exit status:
   0 done                          6 read or write failure midway (disk full?);
   2 wrong usage                     the incomplete project file was removed
   3 wave file cannot be opened    7 info: project file structure broken
   4 project file cannot be       10 refused: invalid wave format (not PCM)
     created (folder missing, no  11 refused: not stereo
     permission, or the same      12 refused: not 44.1 kHz
     file as the wave file)       13 refused: not 16 bit
   5 project file complete, but closing the wave file failed
With several wave files the status is that of the first one that failed.
)";

int usage(std::string_view problem) {
    std::cerr << "trackforge-convert: " << problem << "\nTry: trackforge-convert --help\n";
    return tf::cli::kUsage;
}

int convert_command(int argc, char **argv) {
    tf::cli::ConvertOptions options;
    std::vector<std::string> paths;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--name" || arg == "--code") {
            if (i + 1 >= argc) {
                return usage(std::string(arg) + " needs a value");
            }
            if (arg == "--name") {
                options.name = argv[++i];
                options.name_given = true;
            } else {
                options.code = argv[++i];
            }
        } else if (arg.size() > 1 && arg.starts_with("--")) {
            return usage("unknown option " + std::string(arg));
        } else {
            paths.emplace_back(arg);
        }
    }
    if (paths.size() < 2) {
        return usage("convert needs a wave file and a project file (or folder)");
    }
    options.output = paths.back();
    paths.pop_back();
    options.inputs = std::move(paths);
    return tf::cli::run_convert(options);
}

} // namespace

int main(int argc, char **argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kHelp;
        return tf::cli::kOk;
    }
    if (command == "convert") {
        return convert_command(argc, argv);
    }
    if (command == "info") {
        return argc == 3 ? tf::cli::run_info(argv[2])
                         : usage("info needs exactly one project file");
    }
    return usage(command.empty() ? "no command given" : "unknown command " + std::string(command));
}
