// trackforge-convert: converts wave files into project files for the playback
// device without the desktop program, and checks project files.
#include "library/cli/cli.h"

#include "library/file_system.h"

#include <iostream>
#include <string_view>

#ifdef _WIN32
#include <io.h>
#else
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
    return path_kind(path.c_str()) == PathKind::Folder;
}

std::string not_a_file(const std::string &path, std::string_view wanted) {
    switch (path_kind(path.c_str())) {
    case PathKind::Folder:
        return say(Msg::IsFolder, {shown(path), wanted});
    case PathKind::Pipe:
        return say(Msg::IsPipe, {shown(path)});
    case PathKind::Socket:
        return say(Msg::IsSocket, {shown(path)});
    case PathKind::Device:
        return say(Msg::IsDevice, {shown(path)});
    case PathKind::Regular:
    case PathKind::Missing:
        break;
    }
    return {};
}

} // namespace tf::cli

namespace {

using tf::cli::Msg;
using tf::cli::say;

int usage(const std::string &problem) {
    std::cerr << say(Msg::TryHelp, {problem});
    return tf::cli::kUsage;
}

// Walks the arguments after the command. Anything that starts with "-" is an
// option, so that a mistyped one is never taken for a file name; "--" lets a
// file name start with "-". `take` is given each option and the index (to
// take a value from the next argument) and returns a problem, "" when taken.
template <class TakeOption>
std::string split_arguments(int argc, char **argv, std::vector<std::string> &paths,
                            TakeOption take) {
    bool options_ended = false;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (options_ended || arg.size() < 2 || arg.front() != '-') {
            paths.emplace_back(arg);
        } else if (arg == "--") {
            options_ended = true;
        } else if (std::string problem = take(arg, i); !problem.empty()) {
            return problem;
        }
    }
    return {};
}

std::string unknown_option(std::string_view arg) {
    return say(Msg::UnknownOption, {tf::cli::shown(arg)});
}

int convert_command(int argc, char **argv) {
    tf::cli::ConvertOptions options;
    std::vector<std::string> paths;
    const std::string problem =
        split_arguments(argc, argv, paths, [&](std::string_view arg, int &i) -> std::string {
            if (arg == "--prepare") {
                options.prepare = true;
            } else if (arg == "--headroom") {
                options.headroom = true;
            } else if (arg == "--name" || arg == "--code") {
                if (i + 1 >= argc) {
                    return say(Msg::NeedsValue, {arg});
                }
                (arg == "--name" ? options.name : options.code) = argv[++i];
                options.name_given = options.name_given || arg == "--name";
            } else {
                return unknown_option(arg);
            }
            return {};
        });
    if (!problem.empty()) {
        return usage(problem);
    }
    if (paths.size() < 2) {
        return usage(say(Msg::ConvertNeedsPaths));
    }
    if (options.headroom && !options.prepare) {
        return usage(say(Msg::HeadroomNeedsPrepare));
    }
    options.output = paths.back();
    paths.pop_back();
    options.inputs = std::move(paths);
    return tf::cli::run_convert(options);
}

// prepare IN OUT.wav [--headroom]
int prepare_command(int argc, char **argv) {
    std::vector<std::string> paths;
    bool headroom = false;
    const std::string problem =
        split_arguments(argc, argv, paths, [&headroom](std::string_view arg, int &) {
            headroom = headroom || arg == "--headroom";
            return arg == "--headroom" ? std::string() : unknown_option(arg);
        });
    if (!problem.empty()) {
        return usage(problem);
    }
    return paths.size() == 2 ? tf::cli::run_prepare(paths[0], paths[1], headroom)
                             : usage(say(Msg::PrepareNeedsPaths));
}

} // namespace

int main(int raw_argc, char **raw_argv) {
    const tf::cli::ConsoleText console;
    tf::use_utf8_paths();
    const auto arguments = tf::cli::utf8_command_line(raw_argc, raw_argv);
    if (!arguments) {
        return usage(say(Msg::ArgumentNotUnicode));
    }
    std::vector<char *> pointers;
    for (const std::string &argument : *arguments) {
        pointers.push_back(const_cast<char *>(argument.c_str()));
    }
    pointers.push_back(nullptr);
    const int argc = static_cast<int>(arguments->size());
    char **argv = pointers.data();
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << say(Msg::Help);
        return tf::cli::kOk;
    }
    if (command == "convert") {
        return convert_command(argc, argv);
    }
    if (command == "prepare") {
        return prepare_command(argc, argv);
    }
    if (command == "info") {
        return argc == 3 ? tf::cli::run_info(argv[2]) : usage(say(Msg::InfoNeedsOne));
    }
    return usage(command.empty() ? say(Msg::NoCommand)
                                 : say(Msg::UnknownCommand, {tf::cli::shown(command)}));
}
