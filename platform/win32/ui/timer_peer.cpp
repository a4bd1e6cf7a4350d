// Timers: a Win32 timer on the form's window, ticking the control's handler.
#include "platform/win32/ui/peers.h"

namespace tf::win32 {
namespace {

constexpr UINT_PTR kFirstTimerId = 1000;

class TimerPeer : public ControlPeer {
  public:
    TimerPeer(FormWindow &f, ui::Timer &c, int id) : ControlPeer(f, c, id), timer_(c) {}

    void Create() override { Sync(); }
    void Update(ui::Prop) override { Sync(); }
    void Place() override {}
    bool Timer(UINT_PTR id) override {
        if (!running_ || id != running_)
            return false;
        form_.sys->Guard([&] { timer_.Tick(); });
        return true;
    }
    void Detach() override {
        if (running_ && form_.hwnd)
            KillTimer(form_.hwnd, running_);
        running_ = 0;
    }

  private:
    void Sync() {
        const UINT_PTR id = kFirstTimerId + static_cast<UINT_PTR>(id_);
        if (timer_.timer_enabled && timer_.enabled() && timer_.interval_ms > 0) {
            running_ = SetTimer(form_.hwnd, id, static_cast<UINT>(timer_.interval_ms), nullptr);
        } else if (running_) {
            KillTimer(form_.hwnd, running_);
            running_ = 0;
        }
    }
    ui::Timer &timer_;
    UINT_PTR running_ = 0;
};

} // namespace

std::unique_ptr<ControlPeer> MakeTimerPeer(FormWindow &f, ui::Timer &c, int id) {
    return std::make_unique<TimerPeer>(f, c, id);
}

} // namespace tf::win32
