// The trace's Win32 sink on the real file system: the per-user log file and
// its size limit, and a log that cannot be written changing nothing.

#include "platform/trace_log.h"
#include "platform/win32/trace_sink_win32.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace {

namespace stdfs = std::filesystem;

std::string ReadAll(const stdfs::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class TraceSink : public ::testing::Test {
  protected:
    void SetUp() override {
        base_ =
            stdfs::temp_directory_path() / ("tf-trace-" + std::to_string(GetCurrentProcessId()));
        stdfs::remove_all(base_);
        stdfs::create_directories(base_);
    }
    void TearDown() override {
        tf::trace::SetSink(nullptr);
        SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
        stdfs::remove_all(base_);
    }
    void InstallAt(const stdfs::path &local_app_data) {
        SetEnvironmentVariableW(L"LOCALAPPDATA", local_app_data.wstring().c_str());
        tf::win32::InstallTraceSink("Test");
    }
    stdfs::path base_;
};

TEST_F(TraceSink, AppendsStampedLinesAndStaysUnderItsLimit) {
    InstallAt(base_);
    const stdfs::path log = base_ / "Trackforge" / "Trackforge.log";
    EXPECT_EQ(stdfs::path(tf::win32::TraceLogPath()), log);
    tf::win32::SwallowedError("Kopieren", "CopyFile", ERROR_DISK_FULL);
    const std::string first = ReadAll(log);
    EXPECT_TRUE(std::regex_match(
        first,
        std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} Test\[\d+\] Kopieren: CopyFile: )"
                   R"(error 112: [^\r\n]+\r\n)")))
        << first;

    const std::string detail(1000, 'x');
    for (int i = 0; i < 1500; ++i) // about 1.5 MB of lines
        tf::trace::Swallowed("step", detail);
    const auto size = stdfs::file_size(log);
    const auto older = stdfs::file_size(log.string() + ".1");
    EXPECT_LE(size, tf::win32::kTraceLogLimit);
    EXPECT_LE(older, tf::win32::kTraceLogLimit);
    EXPECT_GT(older, tf::win32::kTraceLogLimit - 2000);
    EXPECT_TRUE(ReadAll(log).ends_with(detail + "\r\n"));
}

TEST_F(TraceSink, ALogThatCannotBeWrittenChangesNothing) {
    // The log's folder is taken by a file: nothing can be created there.
    std::ofstream(base_ / "Trackforge") << "a file, not a folder";
    InstallAt(base_);
    SetLastError(ERROR_ACCESS_DENIED);
    tf::trace::Swallowed("step", "detail");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadAll(base_ / "Trackforge"), "a file, not a folder");
}

// The build as the registry has it, apart from any version call.
std::string RegistryBuild() {
    wchar_t build[32] = {};
    DWORD size = sizeof build;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                     L"CurrentBuildNumber", RRF_RT_REG_SZ, nullptr, build, &size) != ERROR_SUCCESS)
        return "";
    return std::string(build, build + wcslen(build));
}

TEST_F(TraceSink, EachStartBeginsWithWhatTheMachineIs) {
    InstallAt(base_);
    tf::win32::TraceStart("9.8.7");
    const std::string line = ReadAll(base_ / "Trackforge" / "Trackforge.log");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(
        line, m,
        std::regex(R"(\S+ \S+ Test\[\d+\] start: Test 9\.8\.7, Windows \d+\.\d+ build (\d+)[^,]*, )"
                   R"(ANSI code page (\d+), ([1-9]\d*) DPI, drives (.+)\r\n)")))
        << line;
    // Without a manifest GetVersionEx would say 6.2 build 9200 here.
    EXPECT_EQ(m[1].str(), RegistryBuild());
    EXPECT_EQ(m[2].str(), std::to_string(GetACP()));
    EXPECT_NE(m[4].str().find("C: fixed"), std::string::npos) << m[4].str();
}

} // namespace
