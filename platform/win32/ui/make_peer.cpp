#include "platform/win32/ui/peers.h"

namespace tf::win32 {

namespace {
template <class C> C *As(ui::Control &c) {
    return dynamic_cast<C *>(&c);
}
} // namespace

std::unique_ptr<ControlPeer> MakePeer(FormWindow &f, ui::Control &c, int id) {
    if (auto *x = As<ui::Frame>(c)) // a frame is also a label: ask first
        return MakeFramePeer(f, *x, id);
    if (auto *x = As<ui::Label>(c))
        return MakeLabelPeer(f, *x, id);
    if (auto *x = As<ui::TextBox>(c))
        return MakeTextBoxPeer(f, *x, id);
    if (auto *x = As<ui::Button>(c))
        return MakeButtonPeer(f, *x, id);
    if (auto *x = As<ui::OptionButton>(c))
        return MakeOptionPeer(f, *x, id);
    if (auto *x = As<ui::PictureBox>(c))
        return MakePicturePeer(f, *x, id);
    if (auto *x = As<ui::Line>(c))
        return MakeLinePeer(f, *x, id);
    if (auto *x = As<ui::Timer>(c))
        return MakeTimerPeer(f, *x, id);
    if (auto *x = As<ui::DriveListBox>(c))
        return MakeDriveListPeer(f, *x, id);
    if (auto *x = As<ui::DirListBox>(c))
        return MakeDirListPeer(f, *x, id);
    if (auto *x = As<ui::FileListBox>(c))
        return MakeFileListPeer(f, *x, id);
    return nullptr;
}

} // namespace tf::win32
