#include "support/strict/utf8_codepage.h"

#include "support/strict/import_patch.h"

#include <windows.h>

#include <atomic>

namespace tf::testing::strict {
namespace {

decltype(&::GetACP) real_acp = nullptr;
decltype(&::GetOEMCP) real_oemcp = nullptr;
decltype(&::MultiByteToWideChar) real_to_wide = nullptr;
decltype(&::WideCharToMultiByte) real_from_wide = nullptr;
std::atomic<int> refused{0};

UINT WINAPI Utf8Acp() {
    return CP_UTF8;
}

bool IsUtf8(UINT cp) {
    return cp == CP_UTF8 || cp == CP_ACP || cp == CP_OEMCP || cp == CP_THREAD_ACP;
}

int Refuse(DWORD error) {
    ++refused;
    SetLastError(error);
    return 0;
}

int WINAPI Utf8MultiByteToWideChar(UINT cp, DWORD flags, LPCCH in, int in_size, LPWSTR out,
                                   int out_size) {
    if (!IsUtf8(cp))
        return real_to_wide(cp, flags, in, in_size, out, out_size);
    if (flags & ~static_cast<DWORD>(MB_ERR_INVALID_CHARS))
        return Refuse(ERROR_INVALID_FLAGS);
    return real_to_wide(CP_UTF8, flags, in, in_size, out, out_size);
}

int WINAPI Utf8WideCharToMultiByte(UINT cp, DWORD flags, LPCWCH in, int in_size, LPSTR out,
                                   int out_size, LPCCH default_char, LPBOOL used_default) {
    if (!IsUtf8(cp))
        return real_from_wide(cp, flags, in, in_size, out, out_size, default_char, used_default);
    if (flags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS))
        return Refuse(ERROR_INVALID_FLAGS);
    if (default_char || used_default)
        return Refuse(ERROR_INVALID_PARAMETER);
    return real_from_wide(CP_UTF8, flags, in, in_size, out, out_size, nullptr, nullptr);
}

} // namespace

bool EnforceUtf8CodePage() {
    static const bool enforced = [] {
        // Code that never asks for the code page does not import GetACP or
        // GetOEMCP; the conversions are what every caller meets.
        Patch("KERNEL32.dll", "GetACP", &Utf8Acp, real_acp);
        Patch("KERNEL32.dll", "GetOEMCP", &Utf8Acp, real_oemcp);
        bool all =
            Patch("KERNEL32.dll", "MultiByteToWideChar", &Utf8MultiByteToWideChar, real_to_wide);
        all = Patch("KERNEL32.dll", "WideCharToMultiByte", &Utf8WideCharToMultiByte,
                    real_from_wide) &&
              all;
        return all;
    }();
    return enforced;
}

int RefusedConversions() {
    return refused.load();
}

} // namespace tf::testing::strict
