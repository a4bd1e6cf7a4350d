#pragma once
// Small owners for GDI and user handles. Only for the Win32 window layer's
// own sources.

#include "platform/win32/wide.h"

#include <windows.h>

#include <string>
#include <utility>

namespace tf::win32 {

// Owns one GDI object (font, brush, pen, bitmap).
template <class H> class GdiObject {
  public:
    GdiObject() = default;
    explicit GdiObject(H h) : h_(h) {}
    ~GdiObject() { reset(); }
    GdiObject(GdiObject &&o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    GdiObject &operator=(GdiObject &&o) noexcept {
        if (this != &o) {
            reset();
            h_ = std::exchange(o.h_, nullptr);
        }
        return *this;
    }
    GdiObject(const GdiObject &) = delete;
    GdiObject &operator=(const GdiObject &) = delete;
    H get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void reset(H h = nullptr) {
        if (h_)
            DeleteObject(h_);
        h_ = h;
    }

  private:
    H h_ = nullptr;
};

class IconHandle {
  public:
    IconHandle() = default;
    explicit IconHandle(HICON h) : h_(h) {}
    ~IconHandle() {
        if (h_)
            DestroyIcon(h_);
    }
    IconHandle(IconHandle &&o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    IconHandle &operator=(IconHandle &&o) noexcept {
        std::swap(h_, o.h_);
        return *this;
    }
    IconHandle(const IconHandle &) = delete;
    IconHandle &operator=(const IconHandle &) = delete;
    HICON get() const { return h_; }

  private:
    HICON h_ = nullptr;
};

// Selects an object into a DC for the life of the scope.
class Selected {
  public:
    Selected(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
    ~Selected() { SelectObject(dc_, old_); }
    Selected(const Selected &) = delete;
    Selected &operator=(const Selected &) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// Saves the DC's state (clip region, mapping) and restores it at scope end.
class SavedDc {
  public:
    explicit SavedDc(HDC dc) : dc_(dc), id_(SaveDC(dc)) {}
    ~SavedDc() { RestoreDC(dc_, id_); }
    SavedDc(const SavedDc &) = delete;
    SavedDc &operator=(const SavedDc &) = delete;

  private:
    HDC dc_;
    int id_;
};

} // namespace tf::win32
