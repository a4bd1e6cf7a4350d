#pragma once
// UTF-8 <-> UTF-16 at the Win32 boundary, and small handle helpers shared by
// the Win32 implementations. Only included from platform/win32/*.cpp.

#include <windows.h>

// The interfaces have members of these names; the A/W functions are called
// by their full names here.
#undef CopyFile
#undef MoveFile
#undef DeleteFile
#undef LoadCursorFromFile

#include <memory>
#include <string>
#include <type_traits>

namespace tf::win32 {

std::wstring Widen(const std::string &utf8);
std::string Narrow(const std::wstring &wide);
std::string Narrow(const wchar_t *wide);

// The system's text for an error code, for the messages of thrown failures.
std::string ErrorText(DWORD code);

struct HandleCloser {
    void operator()(HANDLE h) const {
        if (h && h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

inline UniqueHandle Own(HANDLE h) {
    return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

struct FindCloser {
    void operator()(HANDLE h) const {
        if (h && h != INVALID_HANDLE_VALUE)
            FindClose(h);
    }
};
using UniqueFind = std::unique_ptr<std::remove_pointer_t<HANDLE>, FindCloser>;

// Media errors come back as failures instead of "insert a disk" boxes.
class QuietMediaErrors {
  public:
    QuietMediaErrors() {
        SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_);
    }
    ~QuietMediaErrors() { SetThreadErrorMode(old_, nullptr); }
    QuietMediaErrors(const QuietMediaErrors &) = delete;
    QuietMediaErrors &operator=(const QuietMediaErrors &) = delete;

  private:
    DWORD old_ = 0;
};

} // namespace tf::win32
