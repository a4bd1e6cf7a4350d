#include "platform/fake/fake_window_system.h"

namespace tf::fake {

void FakeWindowSystem::LoadIfNeeded(ui::Form& form) {
    if (IsLoaded(form))
        return;
    handles_[&form] = next_handle_;
    next_handle_ += 0x10;
    events.push_back("Load " + form.name());
    form.Form_Load();
}

void FakeWindowSystem::Show(ui::Form& form) {
    events.push_back("Show " + form.name());
    LoadIfNeeded(form);
    events.push_back("Activate " + form.name());
    form.Form_Activate();
}

void FakeWindowSystem::ShowModal(ui::Form& form, ui::Form& owner) {
    events.push_back("ShowModal " + form.name());
    LoadIfNeeded(form);
    events.push_back("Activate " + form.name());
    form.Form_Activate();
    if (on_modal)
        on_modal(form);
    // A modal window closed by its own button has already been unloaded.
    if (IsLoaded(form))
        Unload(form);
    if (ended)
        return;
    events.push_back("Activate " + owner.name());
    owner.Form_Activate();
}

void FakeWindowSystem::Unload(ui::Form& form) {
    if (!IsLoaded(form))
        return;
    events.push_back("Unload " + form.name());
    handles_.erase(&form);
    form.Form_Unload();
}

void FakeWindowSystem::EndProgram(int code) {
    events.push_back("EndProgram " + std::to_string(code));
    ended = true;
    exit_code = code;
}

std::uintptr_t FakeWindowSystem::Handle(ui::Form& form) {
    auto it = handles_.find(&form);
    return it == handles_.end() ? 0 : it->second;
}

} // namespace tf::fake
