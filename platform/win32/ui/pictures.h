#pragma once
// The program's pictures, drawn in code at any size.

#include "platform/ui/controls.h"

#include <windows.h>

namespace tf::win32 {

// The size a picture is designed for at 96 dpi.
SIZE PictureDesignSize(ui::Picture picture);
// Draws the picture stretched into r (nothing for Picture::None).
void DrawPicture(HDC dc, ui::Picture picture, const RECT& r);
// Draws the picture into r at its design size scaled by dpi, centred, shrunk
// to fit when r is smaller.
void DrawPictureCentered(HDC dc, ui::Picture picture, const RECT& r, UINT dpi);
// Fills r as well as the picture allows: the backdrop stretches, the
// loudspeaker sends its waves across a wide box, others keep their aspect.
void DrawPictureFit(HDC dc, ui::Picture picture, const RECT& r);
// An icon of size x size pixels; the caller destroys it. `picture` None gives
// the program's own icon.
HICON CreatePictureIcon(ui::Picture picture, int size);

} // namespace tf::win32
