// Long steps through the real window under Wine: a card as slow as a real one
// (the strict layer's slow-card rule), a probe on another thread that asks the
// window for an answer every 100 ms, and what the window shows meanwhile.
#include "app/shell/projekt.h"
#include "library/library_test_support.h"
#include "platform/audio_preparation.h"
#include "platform/fake/fake_services.h"
#include "platform/win32/services_win32.h"
#include "platform/win32/single_instance.h"
#include "platform/win32/ui/window_system_win32.h"
#include "platform/win32/wide.h"
#include "support/strict/slow_card.h"
#include "support/strict/wall_clock.h"
#include "support/wine_drive.h"
#include "wine_ui/real_projekt.h"
#include "wine_ui/win32_probe.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tf {
namespace {

namespace fs = std::filesystem;
constexpr wchar_t kCard = L'k';

double Seconds() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// A window on a thread that does nothing but answer: how long an answer takes
// on this machine right now, so a stall of the whole machine (two cores
// shared by many builds) is not blamed on the window under test.
class Control {
  public:
    Control() {
        thread_ = std::thread([this] {
            hwnd_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    nullptr, nullptr);
            id_ = GetCurrentThreadId();
            ready_ = true;
            MSG m;
            while (GetMessageW(&m, nullptr, 0, 0) > 0)
                DispatchMessageW(&m);
            DestroyWindow(hwnd_);
        });
        while (!ready_)
            Sleep(1);
    }
    ~Control() {
        PostThreadMessageW(id_, WM_QUIT, 0, 0);
        thread_.join();
    }
    HWND hwnd() const { return hwnd_; }

  private:
    std::thread thread_;
    std::atomic<bool> ready_{false};
    HWND hwnd_ = nullptr;
    DWORD id_ = 0;
};

// Asks the window for an answer every 100 ms from its own thread and reads
// the status box the same way (WM_GETTEXT is answered by the window's thread
// too). The wait counted is the window's beyond the control window's.
class Probe {
  public:
    Probe(HWND window, HWND status) : window_(window), status_(status) {
        thread_ = std::thread([this] { Run(); });
    }
    ~Probe() { Stop(); }
    void Stop() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    double longest() const { return longest_; }
    // A text seen whose last character lay outside the box.
    std::string end_hidden() {
        std::lock_guard<std::mutex> g(lock_);
        return end_hidden_;
    }
    int probes() const { return probes_; }
    // Where the longest wait fell: when, and the status texts around it.
    std::string worst() {
        std::lock_guard<std::mutex> g(lock_);
        return std::to_string(probes_) + " probes; the longest " + worst_;
    }
    std::vector<std::string> texts() {
        std::lock_guard<std::mutex> g(lock_);
        return texts_;
    }
    // When exactly `text` was first seen after `after`, on Seconds(); 0 when never.
    double SeenAfter(double after, const std::string &text) {
        std::lock_guard<std::mutex> g(lock_);
        for (std::size_t i = 0; i < texts_.size(); ++i)
            if (times_[i] > after && texts_[i] == text)
                return times_[i];
        return 0;
    }
    // When a text starting with `prefix` was first seen, on Seconds(); 0 when never.
    double FirstSeen(const std::string &prefix) {
        std::lock_guard<std::mutex> g(lock_);
        for (std::size_t i = 0; i < texts_.size(); ++i)
            if (texts_[i].rfind(prefix, 0) == 0)
                return times_[i];
        return 0;
    }

  private:
    static double Ask(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        DWORD_PTR result = 0;
        const double t0 = Seconds();
        SendMessageTimeoutW(h, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &result);
        return Seconds() - t0;
    }
    void Run() {
        Control control;
        while (!stop_) {
            const double base = Ask(control.hwnd(), WM_NULL, 0, 0);
            const double asked = Seconds();
            const double wait = Ask(window_, WM_NULL, 0, 0);
            const bool worst = wait - base > longest_;
            longest_ = std::max(longest_.load(), wait - base);
            ++probes_;
            wchar_t buffer[512] = {};
            Ask(status_, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer));
            if (worst) {
                std::lock_guard<std::mutex> g(lock_);
                worst_ = "from " + std::to_string(asked - started_) + " s, between \"" +
                         (texts_.empty() ? std::string() : texts_.back()) + "\" and \"" +
                         win32::Narrow(buffer) + "\"";
            }
            const int length = static_cast<int>(wcslen(buffer));
            DWORD_PTR where = 0;
            RECT box{};
            GetClientRect(status_, &box);
            // The window may take a new text between two asks: the place is
            // judged only for a text that was still there after it.
            const bool placed =
                length > 0 && SendMessageTimeoutW(status_, EM_POSFROMCHAR, length - 1, 0,
                                                  SMTO_ABORTIFHUNG, 5000, &where);
            wchar_t again[512] = {};
            if (placed)
                Ask(status_, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(again));
            if (placed && wcscmp(again, buffer) == 0) {
                const int x = static_cast<short>(LOWORD(where));
                if ((x < 0 || x >= box.right) && end_hidden_.empty()) {
                    std::lock_guard<std::mutex> g(lock_);
                    end_hidden_ = win32::Narrow(buffer);
                }
            }
            {
                std::lock_guard<std::mutex> g(lock_);
                const std::string text = win32::Narrow(buffer);
                if (texts_.empty() || texts_.back() != text) {
                    texts_.push_back(text);
                    times_.push_back(Seconds());
                }
            }
            Sleep(100);
        }
    }
    HWND window_, status_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<double> longest_{0};
    std::atomic<int> probes_{0};
    std::mutex lock_;
    std::vector<std::string> texts_;
    std::vector<double> times_;
    std::string end_hidden_;
    std::string worst_;
    const double started_ = Seconds();
};

// The percentages of the texts that start with `caption`, in order.
std::vector<int> Percentages(const std::vector<std::string> &texts, const std::string &caption) {
    std::vector<int> out;
    for (const std::string &t : texts) {
        if (t.rfind(caption + " \u2026 ", 0) != 0)
            continue;
        out.push_back(std::atoi(t.c_str() + caption.size() + std::string(" \u2026 ").size()));
    }
    return out;
}

// Block by block: a one-hour show is 636 MB.
bool SameBytes(const fs::path &a, const fs::path &b) {
    std::ifstream ia(a, std::ios::binary), ib(b, std::ios::binary);
    std::vector<char> ba(1 << 20), bb(1 << 20);
    while (ia && ib) {
        ia.read(ba.data(), static_cast<std::streamsize>(ba.size()));
        ib.read(bb.data(), static_cast<std::streamsize>(bb.size()));
        if (ia.gcount() != ib.gcount() ||
            !std::equal(ba.begin(), ba.begin() + ia.gcount(), bb.begin()))
            return false;
    }
    return ia.eof() && ib.eof();
}

class LongSteps : public ::testing::Test, protected test::RealProjekt {
  protected:
    LongSteps() : RealProjekt("tf_long_") {}
    void SetUp() override {
        const char *drives = std::getenv("TF_WINE_DRIVES");
        std::ifstream status(std::string("Z:") + (drives ? drives : "") + "/status");
        std::string line;
        std::getline(status, line);
        if (!drives || line.rfind("tmpfs=yes", 0) != 0)
            GTEST_SKIP() << "no tmpfs card (run through CTest as root): " << line;
        ASSERT_TRUE(
            testing::DefineWineDrive(kCard, std::string(drives) + "/card", DRIVE_REMOVABLE));
        ASSERT_TRUE(testing::strict::InstallSlowCard(kCard));
        testing::strict::SetCardVolume({});
        ClearCard();
        ws.Show(projekt);
    }
    void TearDown() override {
        testing::strict::InsertSlowCard();
        ws.Unload(projekt); // before the card goes
        ClearCard();
        testing::DefineWineDrive(kCard, "", DRIVE_NO_ROOT_DIR);
    }
    HWND H(const ui::Control &c) { return reinterpret_cast<HWND>(ws.ControlHandle(c)); }
    HWND Main() { return reinterpret_cast<HWND>(ws.Handle(projekt)); }

    // A project file of `bytes` (its content does not matter to the card).
    std::string Project(std::size_t bytes) {
        const std::string path = (folder / "show.kpf").string();
        std::ofstream out(path, std::ios::binary);
        const test::Bytes block = test::pattern(1 << 20, 7);
        for (std::size_t done = 0; done < bytes;) {
            const std::size_t n = std::min(block.size(), bytes - done);
            out.write(reinterpret_cast<const char *>(block.data()),
                      static_cast<std::streamsize>(n));
            done += n;
        }
        out.close();
        projekt.CF_Laufwerk = "K:";
        projekt.Projektdatei_übernehmen(path);
        return path;
    }
    // The card's root through Win32 (libstdc++'s directory iterator does not
    // open a drive's root under Wine); the tests leave no folders there.
    std::vector<std::string> CardFiles() {
        std::vector<std::string> names;
        WIN32_FIND_DATAW d;
        HANDLE h = FindFirstFileW(L"K:\\*", &d);
        if (h == INVALID_HANDLE_VALUE)
            return names;
        do {
            const std::string name = win32::Narrow(d.cFileName);
            if (name != "." && name != "..")
                names.push_back(name);
        } while (FindNextFileW(h, &d));
        FindClose(h);
        return names;
    }
    void ClearCard() {
        for (const std::string &name : CardFiles())
            DeleteFileW(win32::Widen("K:\\" + name).c_str());
    }
};

// The bench (bench/card_write.sh) runs this with TF_CARD_BYTES set to a
// one-hour show on a card big enough for it.
TEST_F(LongSteps, TheWindowAnswersWhileTheSlowCardIsWrittenAndVerified) {
    const char *bytes_env = std::getenv("TF_CARD_BYTES");
    const std::size_t bytes = bytes_env ? std::strtoull(bytes_env, nullptr, 10) : 50'000'000;
    const std::string source = Project(bytes);
    msg.answers = {MsgAnswer::Yes}; // the offer to eject
    testing::strict::SetCardVolume({true});
    const std::uint64_t written_before = testing::strict::SlowCardBytesWritten();
    const double t0 = Seconds();
    Probe probe(Main(), H(projekt.Status2_txt));
    // A shutdown asked for during the copy is held up with the step's words,
    // and one that comes anyway does not take the window from under the step.
    // A later start hands over another project file meanwhile, as it does
    // through WM_COPYDATA: it waits for the copy's end.
    DWORD_PTR query = 1;
    const std::string next = (folder / "next.kpf").string();
    test::write_bytes(next, test::Bytes(4000, 1));
    std::wstring during;
    std::thread session([&] {
        Sleep(1000);
        SendMessageTimeoutW(Main(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &query);
        SendMessageTimeoutW(Main(), WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
        std::wstring block = win32::Widen(next) + L'\0';
        COPYDATASTRUCT cd{win32::kArgumentsTag, static_cast<DWORD>(block.size() * sizeof(wchar_t)),
                          block.data()};
        SendMessageTimeoutW(Main(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cd), SMTO_ABORTIFHUNG,
                            5000, nullptr);
        Sleep(500);
        wchar_t text[512] = {};
        SendMessageTimeoutW(H(projekt.Ziel_Projekt_txt_2), WM_GETTEXT, 512,
                            reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
        during = text;
    });
    test::Click(reinterpret_cast<std::uintptr_t>(H(projekt.Karte_schreiben)));
    session.join();
    EXPECT_EQ(win32::Narrow(during), source) << "the handed-over file was taken inside the copy";
    EXPECT_EQ(projekt.Ziel_Projekt_txt_2.text(), next) << "and not after it";
    probe.Stop();
    const double seconds = Seconds() - t0;
    EXPECT_EQ(query, 0u) << "the session was let go in the middle of the copy";
    EXPECT_TRUE(IsWindow(Main()));
    DWORD_PTR after = 0;
    SendMessageTimeoutW(Main(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &after);
    EXPECT_EQ(after, 1u) << "nothing runs any more";

    EXPECT_EQ(projekt.Status2_txt.text(), "Fertig");
    ASSERT_EQ(msg.calls.size(), 2u) << msg.calls.front().text;
    EXPECT_EQ(msg.calls[0].text,
              "Die Karte kann jetzt sicher entfernt werden. Soll Trackforge sie auswerfen?");
    EXPECT_EQ(msg.calls[1].text, "Die Karte wurde ausgeworfen und kann jetzt entnommen werden.");
    EXPECT_EQ(testing::strict::CardVolumeCalls(),
              (std::vector<std::string>{"open", "lock", "dismount", "removal", "eject"}))
        << "the write left a file of the card open, or the eject went another way";
    EXPECT_EQ(CardFiles(), std::vector<std::string>{"show.kpf"});
    EXPECT_TRUE(SameBytes("K:\\show.kpf", source)) << "the card holds other bytes";
    EXPECT_GE(testing::strict::SlowCardBytesWritten() - written_before, bytes)
        << "the copy went around the slow card";

    const auto texts = probe.texts();
    const auto writing = Percentages(texts, "Project-Datei wird geschrieben");
    const auto verifying = Percentages(texts, "Project-Datei wird geprüft");
    // 5 s of writing and 2.5 s of reading seen every 100 ms or so.
    EXPECT_GE(writing.size(), 10u);
    EXPECT_GE(verifying.size(), 5u);
    EXPECT_TRUE(std::is_sorted(writing.begin(), writing.end()));
    EXPECT_TRUE(std::is_sorted(verifying.begin(), verifying.end()));
    EXPECT_LT(probe.longest(), 0.25) << probe.worst();
    EXPECT_EQ(probe.end_hidden(), "") << "the figures ran off the box's right edge";
    // The copy ends where the read-back's text first shows, the read-back
    // where the wait's plain text does (both within a probe's 100 ms).
    const double verify_start = probe.FirstSeen("Project-Datei wird geprüft");
    const double wait_start = probe.SeenAfter(verify_start, "Project-Datei wird geschrieben");
    std::printf("card write of %zu bytes: copy %.1f s, read-back %.1f s, all with the 20 s wait "
                "%.1f s; floor %.1f s + %.1f s; longest unanswered %.0f ms over %d probes\n",
                bytes, verify_start - t0, (wait_start ? wait_start : verify_start) - verify_start,
                seconds, bytes / 10e6, bytes / 20e6, probe.longest() * 1000, probe.probes());
}

TEST_F(LongSteps, ACardPulledMidCopyEndsInTheFailurePathAndTheWindowStaysUsable) {
    Project(30 * 1000 * 1000);
    std::thread puller([] {
        Sleep(1000);
        testing::strict::PullSlowCard();
    });
    Probe probe(Main(), H(projekt.Status2_txt));
    test::Click(reinterpret_cast<std::uintptr_t>(H(projekt.Karte_schreiben)));
    probe.Stop();
    puller.join();

    EXPECT_EQ(projekt.Status2_txt.text(), "Fehler");
    ASSERT_EQ(msg.calls.size(), 1u);
    EXPECT_EQ(msg.calls[0].text.rfind("Die Project-Datei konnte nicht auf die Compact-Flash "
                                      "Karte geschrieben werden.\r\nDie Karte wurde während des "
                                      "Schreibens entfernt.",
                                      0),
              0u)
        << msg.calls[0].text;
    EXPECT_LT(probe.longest(), 0.25) << probe.worst();
    // Usable: the language still switches, and a card put back takes the file.
    test::Click(reinterpret_cast<std::uintptr_t>(H(projekt.Englisch)));
    EXPECT_EQ(test::WindowText(reinterpret_cast<std::uintptr_t>(H(projekt.Frame1))),
              "Save Project-file to CF card");
    testing::strict::InsertSlowCard();
    msg.calls.clear();
    msg.answers = {MsgAnswer::No};
    test::Click(reinterpret_cast<std::uintptr_t>(H(projekt.Karte_schreiben)));
    EXPECT_EQ(projekt.Status2_txt.text(), "Completed");
    EXPECT_EQ(CardFiles(), std::vector<std::string>{"show.kpf"}) << "the leftover went first";
}

// The eject's calls on the card's volume, as Wine answers them and as Windows
// does for a program run as the user.
TEST_F(LongSteps, EjectSaysWhatHoldsTheCardAndLeavesItUsableWhenItCannot) {
    using testing::strict::CardVolume;
    using testing::strict::CardVolumeCalls;
    using testing::strict::SetCardVolume;
    auto open_on_card = [] {
        return CreateFileW(L"K:\\show.kpf", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           OPEN_ALWAYS, 0, nullptr);
    };
    HANDLE held = open_on_card();
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(held, "show", 4, &written, nullptr));

    // Wine: the lock is a stub, the dismount of a folder is not supported.
    CloseHandle(held);
    EXPECT_EQ(files->EjectMedium("K:"), FileSystem::EjectResult::Failed);
    EXPECT_EQ(CardFiles(), std::vector<std::string>{"show.kpf"});

    SetCardVolume(CardVolume{true});
    held = open_on_card();
    EXPECT_EQ(files->EjectMedium("K:"), FileSystem::EjectResult::InUse);
    CloseHandle(held);
    EXPECT_EQ(CardVolumeCalls(),
              (std::vector<std::string>{"open", "lock refused", "lock refused", "lock refused",
                                        "lock refused", "lock refused"}))
        << "five tries a moment apart, and nothing dismounted";

    SetCardVolume(CardVolume{true, false});
    EXPECT_EQ(files->EjectMedium("K:"), FileSystem::EjectResult::Failed);
    EXPECT_EQ(CardVolumeCalls(),
              (std::vector<std::string>{"open", "lock", "dismount", "removal", "eject refused"}));
    held = open_on_card();
    EXPECT_NE(held, INVALID_HANDLE_VALUE) << "the lock went with the volume's handle";
    CloseHandle(held);

    SetCardVolume(CardVolume{true});
    EXPECT_EQ(files->EjectMedium("K:"), FileSystem::EjectResult::Ejected);
    EXPECT_EQ(open_on_card(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_READY)) << "the card is out";
}

TEST_F(LongSteps, TheWindowAnswersWhileALong48kHzFileIsPrepared) {
    // Three minutes of 48 kHz 24-bit stereo noise: seconds of resampling.
    const std::uint32_t frames = 48000 * 180;
    test::Bytes wave;
    test::put_id(wave, "RIFF");
    test::put32(wave, 36 + frames * 6);
    test::put_id(wave, "WAVE");
    test::put_chunk(wave, "fmt ", test::fmt_body(1, 2, 48000, 24));
    test::put_id(wave, "data");
    test::put32(wave, frames * 6);
    const test::Bytes noise = test::pattern(frames * 6, 3);
    wave.insert(wave.end(), noise.begin(), noise.end());
    const std::string path = (folder / "show48.wav").string();
    test::write_bytes(path, wave);
    msg.default_answer = MsgAnswer::Yes; // the refusal, then: make the copy

    Probe probe(Main(), H(projekt.Status_txt));
    // Once the first figure shows, a time sync sets the wall clock back a
    // minute: the window must answer on regardless.
    ASSERT_TRUE(testing::strict::SetWallClockBack(0));
    std::atomic<bool> ended{false};
    std::thread sync([&] {
        while (!ended && !probe.FirstSeen("Kopie wird erstellt"))
            Sleep(10);
        testing::strict::SetWallClockBack(60);
    });
    std::vector<std::string> files{path};
    projekt.Form_OLEDragDrop(files);
    ended = true;
    sync.join();
    probe.Stop();
    testing::strict::SetWallClockBack(0);

    EXPECT_TRUE(fs::exists(folder / "show48 (Tarvolin Audio).wav"));
    EXPECT_EQ(projekt.Quell_Wave_txt.text(), (folder / "show48 (Tarvolin Audio).wav").string());
    const auto preparing = Percentages(probe.texts(), "Kopie wird erstellt");
    EXPECT_GE(preparing.size(), 2u) << "at least two figures, rising";
    EXPECT_TRUE(std::is_sorted(preparing.begin(), preparing.end()));
    EXPECT_EQ(projekt.Status_txt.text(), "") << "the status box has its own text back";
    EXPECT_LT(probe.longest(), 0.25) << probe.worst();
}

} // namespace
} // namespace tf
