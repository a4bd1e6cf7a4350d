#pragma once
// Constructors of the peers, one per control kind; each kind lives in its own source.

#include "platform/win32/ui/window_core.h"

namespace tf::win32 {

std::unique_ptr<ControlPeer> MakeLabelPeer(FormWindow &f, ui::Label &c, int id);
std::unique_ptr<ControlPeer> MakeFramePeer(FormWindow &f, ui::Frame &c, int id);
std::unique_ptr<ControlPeer> MakeTextBoxPeer(FormWindow &f, ui::TextBox &c, int id);
std::unique_ptr<ControlPeer> MakeButtonPeer(FormWindow &f, ui::Button &c, int id);
std::unique_ptr<ControlPeer> MakeOptionPeer(FormWindow &f, ui::OptionButton &c, int id);
std::unique_ptr<ControlPeer> MakePicturePeer(FormWindow &f, ui::PictureBox &c, int id);
std::unique_ptr<ControlPeer> MakeLinePeer(FormWindow &f, ui::Line &c, int id);
std::unique_ptr<ControlPeer> MakeTimerPeer(FormWindow &f, ui::Timer &c, int id);
std::unique_ptr<ControlPeer> MakeDriveListPeer(FormWindow &f, ui::DriveListBox &c, int id);
std::unique_ptr<ControlPeer> MakeDirListPeer(FormWindow &f, ui::DirListBox &c, int id);
std::unique_ptr<ControlPeer> MakeFileListPeer(FormWindow &f, ui::FileListBox &c, int id);

// Button faces for the owner-drawn kinds.
void DrawButtonFace(HWND button, const DRAWITEMSTRUCT &di, bool pushed, UINT dpi, bool classic);

} // namespace tf::win32
