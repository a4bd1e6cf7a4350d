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

} // namespace
