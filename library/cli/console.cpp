// The converter's arguments and output as UTF-8 on every platform. Windows
// hands a console program its arguments in the ANSI code page and shows bytes
// written to a console in the console's code page; both lose any name outside
// them ("♪.wav", Greek, CJK), so there the wide command line is read and a
// console is written in UTF-16.
#include "library/cli/cli.h"

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <iostream>
#include <memory>
#include <streambuf>
#endif

namespace tf::cli {

#ifdef _WIN32

namespace {

struct LocalFreer {
    void operator()(LPWSTR *p) const noexcept { LocalFree(p); }
};

// Text written to a console: whole UTF-8 sequences go out as UTF-16, a
// sequence cut by the end of the buffer waits for its remaining bytes.
class ConsoleBuffer final : public std::streambuf {
  public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {
        setp(bytes_, bytes_ + sizeof bytes_);
    }
    ~ConsoleBuffer() override { sync(); }

  protected:
    int_type overflow(int_type c) override {
        if (!write_out()) {
            return traits_type::eof();
        }
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override { return write_out() ? 0 : -1; }

  private:
    // The length of the buffer's start that holds only whole sequences.
    static std::size_t whole_sequences(const char *text, std::size_t size) {
        for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
            const auto c = static_cast<unsigned char>(text[size - back]);
            if ((c & 0xC0) == 0x80) {
                continue; // a continuation byte: look further back for its lead
            }
            const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            return length > back ? size - back : size;
        }
        return size;
    }

    bool write_out() {
        const std::size_t size = static_cast<std::size_t>(pptr() - pbase());
        const std::size_t whole = whole_sequences(pbase(), size);
        bool ok = true;
        if (whole > 0) {
            // Malformed bytes become U+FFFD: the names were escaped by shown() already.
            wchar_t wide[sizeof bytes_];
            const int n = MultiByteToWideChar(CP_UTF8, 0, pbase(), static_cast<int>(whole), wide,
                                              static_cast<int>(sizeof bytes_));
            DWORD written = 0;
            ok = n > 0 && WriteConsoleW(console_, wide, static_cast<DWORD>(n), &written, nullptr);
        }
        std::memmove(bytes_, pbase() + whole, size - whole);
        setp(bytes_, bytes_ + sizeof bytes_);
        pbump(static_cast<int>(size - whole));
        return ok;
    }

    HANDLE console_;
    char bytes_[4096];
};

// A stream whose handle is a console gets a ConsoleBuffer; a file or pipe
// keeps its own, which writes the UTF-8 bytes as they are.
std::unique_ptr<ConsoleBuffer> console_buffer_for(DWORD which) {
    const HANDLE h = GetStdHandle(which);
    DWORD mode = 0;
    if (h == nullptr || h == INVALID_HANDLE_VALUE || !GetConsoleMode(h, &mode)) {
        return nullptr;
    }
    return std::make_unique<ConsoleBuffer>(h);
}

std::unique_ptr<ConsoleBuffer> out_buffer, error_buffer;
std::streambuf *out_before = nullptr, *error_before = nullptr;

} // namespace

std::optional<std::vector<std::string>> utf8_command_line(int, char **) {
    int count = 0;
    const std::unique_ptr<LPWSTR, LocalFreer> wide{CommandLineToArgvW(GetCommandLineW(), &count)};
    if (!wide) {
        return std::nullopt;
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        const wchar_t *arg = wide.get()[i];
        // A name may hold a lone surrogate, which no UTF-8 can carry: such an
        // argument is refused rather than turned into another name.
        const int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, arg, -1, nullptr, 0,
                                          nullptr, nullptr);
        if (n <= 0) {
            return std::nullopt;
        }
        std::string utf8(static_cast<std::size_t>(n), '\0');
        WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, arg, -1, utf8.data(), n, nullptr,
                            nullptr);
        utf8.pop_back();
        arguments.push_back(std::move(utf8));
    }
    return arguments;
}

ConsoleText::ConsoleText() {
    std::cout.flush();
    std::cerr.flush();
    if ((out_buffer = console_buffer_for(STD_OUTPUT_HANDLE))) {
        out_before = std::cout.rdbuf(out_buffer.get());
    }
    if ((error_buffer = console_buffer_for(STD_ERROR_HANDLE))) {
        error_before = std::cerr.rdbuf(error_buffer.get());
    }
}

// The streams are flushed at exit after this is gone, so they get their own
// buffers back first.
ConsoleText::~ConsoleText() {
    if (out_buffer) {
        std::cout.flush();
        std::cout.rdbuf(out_before);
        out_buffer.reset();
    }
    if (error_buffer) {
        std::cerr.flush();
        std::cerr.rdbuf(error_before);
        error_buffer.reset();
    }
}

#else

std::optional<std::vector<std::string>> utf8_command_line(int argc, char **argv) {
    return std::vector<std::string>(argv, argv + argc);
}

ConsoleText::ConsoleText() = default;
ConsoleText::~ConsoleText() = default;

#endif

} // namespace tf::cli
