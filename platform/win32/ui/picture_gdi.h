#pragma once
// Draws a program's pictures with GDI, at any size.

#include "platform/ui/picture.h"

#include <windows.h>

namespace tf::win32 {

// Draws the picture into r as its fit says (nothing for nullptr).
void DrawPicture(HDC dc, const ui::Picture *picture, const RECT &r);
// Draws the picture at its designed size scaled by dpi, centred in r, shrunk
// to fit when r is smaller.
void DrawPictureCentered(HDC dc, const ui::Picture *picture, const RECT &r, UINT dpi);
// The designed size scaled by dpi.
SIZE PictureSize(const ui::Picture *picture, UINT dpi);
// An icon of size x size pixels, nullptr without a picture; the caller destroys it.
HICON CreatePictureIcon(const ui::Picture *picture, int size);

} // namespace tf::win32
