// What every window system promises the programs' windows, run against the
// double natively and, under Wine, against the Win32 window system too: the
// order of the life-cycle handlers, a second Show, the handle during unload,
// modal windows, and what becomes of an error that escapes a handler.
#include "platform/fake/fake_window_system.h"
#include "platform/trace_log.h"
#include "platform/ui/file_dialog.h"
#ifdef _WIN32
#include "platform/win32/ui/window_system_win32.h"
#endif

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tf {
namespace {

std::vector<std::string> g_trace;
void Record(std::string_view line) noexcept {
    g_trace.emplace_back(line);
}

constexpr const char *kSentence = "Das hat leider nicht geklappt.";

struct FakeSide {
    fake::FakeWindowSystem ws;
    std::vector<int> exits;
    FakeSide() {
        ws.handler_error_text = [] { return std::string(kSentence); };
    }
    const std::vector<std::string> &Shown() const { return ws.shown_errors; }
    const std::vector<int> &Exits() {
        exits.clear();
        if (ws.ended)
            exits.push_back(ws.exit_code);
        return exits;
    }
};

#ifdef _WIN32
struct Win32Side {
    std::vector<std::string> shown;
    std::vector<int> exits;
    win32::Win32WindowSystem ws{win32::WindowSystemOptions{
        [this](int code) { exits.push_back(code); },
        [this](const std::string &text) { shown.push_back(text); },
        [] { return std::string(kSentence); }, "TfContractForm", "Prüfung"}};
    const std::vector<std::string> &Shown() const { return shown; }
    const std::vector<int> &Exits() { return exits; }
};
#endif

class Recorder : public ui::Form {
  public:
    Recorder(std::string name, std::vector<std::string> &log) : Form(name), log_(log) {}
    void Form_Load() override { Run("Load", on_load); }
    void Form_Activate() override { Run("Activate", on_activate); }
    void Form_Unload() override { Run("Unload", on_unload); }
    std::function<void()> on_load, on_activate, on_unload;

  private:
    void Run(const std::string &what, const std::function<void()> &action) {
        log_.push_back(name() + "." + what);
        if (action)
            action();
    }
    std::vector<std::string> &log_;
};

template <class Side> class WindowContract : public ::testing::Test {
  protected:
    WindowContract() {
        g_trace.clear();
        previous_ = trace::SetSink(Record);
        main.client_width = child.client_width = 2880;
        main.client_height = child.client_height = 1440;
    }
    ~WindowContract() override {
        side.ws.Unload(child);
        side.ws.Unload(main);
        trace::SetSink(previous_);
    }
    ui::WindowSystem &ws() { return side.ws; }

    Side side;
    std::vector<std::string> log;
    Recorder main{"Main", log}, child{"Child", log};
    trace::Sink previous_ = nullptr;
};

#ifdef _WIN32
using Sides = ::testing::Types<FakeSide, Win32Side>;
#else
using Sides = ::testing::Types<FakeSide>;
#endif
TYPED_TEST_SUITE(WindowContract, Sides);

TYPED_TEST(WindowContract, ShowLoadsOnceAndASecondShowNeitherLoadsNorActivates) {
    this->ws().Show(this->main);
    EXPECT_NE(this->ws().Handle(this->main), 0u);
    this->ws().Show(this->main);
    EXPECT_EQ(this->log, (std::vector<std::string>{"Main.Load", "Main.Activate"}));
}

TYPED_TEST(WindowContract, HandleLastsThroughUnloadAndIsGoneAfter) {
    std::uintptr_t during = 0;
    this->main.on_unload = [&] { during = this->ws().Handle(this->main); };
    this->ws().Show(this->main);
    const std::uintptr_t shown = this->ws().Handle(this->main);
    this->ws().Unload(this->main);
    this->ws().Unload(this->main); // a second unload does nothing
    EXPECT_EQ(during, shown);
    EXPECT_EQ(this->ws().Handle(this->main), 0u);
    EXPECT_EQ(this->log.back(), "Main.Unload");
    EXPECT_EQ(this->log.size(), 3u);
}

TYPED_TEST(WindowContract, UnloadDuringLoadLeavesNoWindowAndNoActivation) {
    this->main.on_load = [&] { this->ws().Unload(this->main); };
    this->ws().Show(this->main);
    EXPECT_EQ(this->log, (std::vector<std::string>{"Main.Load", "Main.Unload"}));
    EXPECT_EQ(this->ws().Handle(this->main), 0u);
}

TYPED_TEST(WindowContract, ModalWindowClosedByItselfReactivatesItsOwner) {
    this->ws().Show(this->main);
    this->child.on_activate = [&] { this->ws().Unload(this->child); };
    this->ws().ShowModal(this->child, this->main);
    EXPECT_EQ(this->log,
              (std::vector<std::string>{"Main.Load", "Main.Activate", "Child.Load",
                                        "Child.Activate", "Child.Unload", "Main.Activate"}));
    EXPECT_EQ(this->ws().Handle(this->child), 0u);
    EXPECT_NE(this->ws().Handle(this->main), 0u);
}

TYPED_TEST(WindowContract, AnEscapingErrorShowsTheProgramsSentenceAndTracesTheDetail) {
    this->main.on_load = [] { throw std::runtime_error("ListFolders 'g:\\x': error 3"); };
    this->ws().Show(this->main);
    // The window comes up regardless, and its activation still runs.
    EXPECT_EQ(this->log, (std::vector<std::string>{"Main.Load", "Main.Activate"}));
    EXPECT_EQ(this->side.Shown(), (std::vector<std::string>{kSentence}));
    ASSERT_EQ(g_trace.size(), 1u);
    EXPECT_NE(g_trace[0].find("ListFolders 'g:\\x': error 3"), std::string::npos);
}

TYPED_TEST(WindowContract, ACancelledDialogEndsTheHandlerSilently) {
    this->main.on_activate = [] { throw ui::DialogCancelled(); };
    this->ws().Show(this->main);
    this->main.on_activate = nullptr;
    EXPECT_TRUE(this->side.Shown().empty());
    EXPECT_TRUE(g_trace.empty());
    EXPECT_NE(this->ws().Handle(this->main), 0u);
}

TYPED_TEST(WindowContract, EndProgramClosesEverythingWithoutFurtherHandlers) {
    this->ws().Show(this->main);
    this->child.on_activate = [&] { this->ws().EndProgram(3); };
    this->ws().ShowModal(this->child, this->main);
    EXPECT_EQ(this->side.Exits(), (std::vector<int>{3}));
    EXPECT_EQ(this->ws().Handle(this->main), 0u);
    EXPECT_EQ(this->ws().Handle(this->child), 0u);
    EXPECT_EQ(this->log.back(), "Child.Activate"); // no unload, no reactivation
}

} // namespace
} // namespace tf
