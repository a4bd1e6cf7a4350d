#pragma once
// A system whose ANSI and OEM code pages are UTF-8 (Windows 10 and 11:
// "Use Unicode UTF-8 for worldwide language support"). GetACP and GetOEMCP
// answer 65001, and MultiByteToWideChar / WideCharToMultiByte take CP_ACP,
// CP_OEMCP and CP_THREAD_ACP as CP_UTF8, with UTF-8's documented limits:
// flags 0 or MB_ERR_INVALID_CHARS / WC_ERR_INVALID_CHARS only, else
// ERROR_INVALID_FLAGS; lpDefaultChar and lpUsedDefaultChar NULL, else
// ERROR_INVALID_PARAMETER. Wine's code page stays 1252 and takes any flags.
//
// The rule reaches what this program converts itself; ANSI calls into system
// DLLs (IShellLinkA, mciSendStringA) still convert with Wine's code page.

namespace tf::testing::strict {

// Switches the rule on for the rest of the program; true when every function
// it needs was found in the program's import table.
bool EnforceUtf8CodePage();

// Conversions the rule has refused so far.
int RefusedConversions();

} // namespace tf::testing::strict
