// The small Win32 services that can run unattended under Wine.
#include "platform/win32/services_win32.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>

namespace {

TEST(Win32Services, ClockGivesLocalSecondsSinceMidnight) {
    auto clock = tf::win32::MakeClock();
    SYSTEMTIME t;
    GetLocalTime(&t);
    const double expected =
        t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0;
    const double got = clock->SecondsSinceMidnight();
    // Allow for a midnight between the two reads.
    EXPECT_LT(std::fmod(got - expected + 86400.0, 86400.0), 1.0);
    EXPECT_GE(got, 0.0);
    EXPECT_LT(got, 86400.0);
}

TEST(Win32Services, EventPumpDispatchesWhatIsPending) {
    auto pump = tf::win32::MakeEventPump();
    PostThreadMessageW(GetCurrentThreadId(), WM_USER + 7, 0, 0);
    pump->DoEvents();
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_USER + 7, WM_USER + 7, PM_NOREMOVE));
}

TEST(Win32Services, ConversionLibraryIsNotTakenFromTheCurrentFolder) {
    // A file of that name in the current folder must not be loaded.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"tf-cwd-probe";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring decoy = folder + L"\\Sonwerk_Projekt.dll";
    {
        HANDLE h = CreateFileW(decoy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD n = 0;
        WriteFile(h, "not a library", 13, &n, nullptr);
        CloseHandle(h);
    }
    wchar_t old[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, old);
    SetCurrentDirectoryW(folder.c_str());
    auto lib = tf::win32::MakeConversionLibrary();
    const auto result = lib->Load();
    SetCurrentDirectoryW(old);
    DeleteFileW(decoy.c_str());
    RemoveDirectoryW(folder.c_str());
    // Next to this test program there is no library, so nothing is found at all.
    EXPECT_EQ(result, tf::ConversionLibrary::LoadResult::NotFound);
}

TEST(Win32Services, LocaleGroupsWithoutDecimals) {
    auto locale = tf::win32::MakeLocale();
    const std::string s = locale->GroupDigits(1234567);
    EXPECT_EQ(s.find_first_not_of("0123456789"), 1u) << s; // "1" then the separator
    EXPECT_EQ(s.substr(s.size() - 3), "567") << s;
    EXPECT_EQ(locale->GroupDigits(999), "999");
}

TEST(Win32Services, ProgramFolderHoldsTheRunningProgram) {
    auto paths = tf::win32::MakeAppPaths();
    const std::string folder = paths->ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring w(exe);
    EXPECT_EQ(folder.size(), w.substr(0, w.find_last_of(L'\\')).size());
    EXPECT_FALSE(paths->UserDataFolder().empty());
}

TEST(Win32Services, ShortcutIsWrittenAndSpecialFolderResolved) {
    auto shell = tf::win32::MakeShellApi();
    const std::string desktop = shell->SpecialFolderPath(0x10); // desktop folder
    ASSERT_FALSE(desktop.empty());
    EXPECT_NE(desktop.back(), '\\');
    EXPECT_EQ(shell->SpecialFolderPath(0x7777), "");

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring link = std::wstring(temp) + L"tf-test.lnk";
    DeleteFileW(link.c_str());
    std::string link_utf8(link.begin(), link.end());
    ASSERT_TRUE(shell->CreateShortcut("C:\\windows\\notepad.exe", link_utf8, "", "Trackforge",
                                      "C:\\windows"));
    EXPECT_NE(GetFileAttributesW(link.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(link.c_str());
    EXPECT_FALSE(shell->CreateShortcut("C:\\windows\\notepad.exe", "C:\\no\\such\\folder\\x.lnk",
                                       "", "", ""));
}

} // namespace
