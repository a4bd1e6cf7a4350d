#include "platform/fake/fake_window_system.h"

#include "platform/trace_log.h"
#include "platform/ui/file_dialog.h"

#include <exception>

namespace tf::fake {

template <class F> void FakeWindowSystem::Guard(F &&handler) {
    try {
        handler();
    } catch (const ui::DialogCancelled &) {
    } catch (const std::exception &e) {
        trace::Swallowed("window handler", e.what());
        if (handler_error_text)
            shown_errors.push_back(handler_error_text());
    }
}

void FakeWindowSystem::LoadAndActivate(ui::Form &form) {
    handles_[&form] = next_handle_;
    next_handle_ += 0x10;
    events.push_back("Load " + form.name());
    Guard([&] { form.Form_Load(); });
    if (!IsLoaded(form) || ended)
        return; // unloaded while loading
    events.push_back("Activate " + form.name());
    Guard([&] { form.Form_Activate(); });
}

void FakeWindowSystem::Show(ui::Form &form) {
    events.push_back("Show " + form.name());
    // A shown window only comes to the front again.
    if (!IsLoaded(form))
        LoadAndActivate(form);
}

void FakeWindowSystem::ShowModal(ui::Form &form, ui::Form &owner) {
    events.push_back("ShowModal " + form.name());
    if (IsLoaded(form))
        return;
    LoadAndActivate(form);
    if (on_modal && IsLoaded(form) && !ended)
        on_modal(form);
    // A modal window closed by its own button has already been unloaded.
    if (IsLoaded(form))
        Unload(form);
    if (ended || !IsLoaded(owner))
        return;
    events.push_back("Activate " + owner.name());
    Guard([&] { owner.Form_Activate(); });
}

void FakeWindowSystem::Unload(ui::Form &form) {
    if (!IsLoaded(form) || unloading_[&form])
        return;
    events.push_back("Unload " + form.name());
    // The window is still there while its unload handler runs.
    unloading_[&form] = true;
    Guard([&] { form.Form_Unload(); });
    unloading_.erase(&form);
    handles_.erase(&form);
}

void FakeWindowSystem::CloseBox(ui::Form &form) {
    events.push_back("CloseBox " + form.name());
    bool agreed = true;
    Guard([&] { agreed = form.Form_QueryUnload(); });
    if (agreed)
        Unload(form);
}

void FakeWindowSystem::EndProgram(int code) {
    events.push_back("EndProgram " + std::to_string(code));
    ended = true;
    exit_code = code;
    handles_.clear();
}

std::uintptr_t FakeWindowSystem::Handle(ui::Form &form) {
    auto it = handles_.find(&form);
    return it == handles_.end() ? 0 : it->second;
}

} // namespace tf::fake
