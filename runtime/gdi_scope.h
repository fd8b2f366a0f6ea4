// Scoped GDI objects, selections, paints and off-screen drawing, so that every object is
// released and every selection undone on every path. Used by the window's controls and by
// the XP-style look alike.
#pragma once

#include <windows.h>

#include <algorithm>

#include "runtime/unique_resource.h"

namespace rt {

inline void DeleteGdiObject(void* object) { DeleteObject(static_cast<HGDIOBJ>(object)); }
inline void DeleteMemoryDC(void* dc) { DeleteDC(static_cast<HDC>(dc)); }

// An owned GDI object (font, brush, pen, bitmap), deleted with the scope.
template <typename Handle>
using GdiObject = UniqueResource<Handle, PointerResource<DeleteGdiObject>>;

// Selects an object into a DC for the length of the scope.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~Selection() { SelectObject(dc_, previous_); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// BeginPaint ... EndPaint.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
  ~PaintScope() { EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return dc_; }
  // The part of the window that is to be painted.
  const RECT& area() const { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// An off-screen copy of an area: drawn into in the target's coordinates, then copied to the
// target in one blit, so that a control repainted after every downloaded chunk does not flicker.
class BufferedDC {
 public:
  BufferedDC(HDC target, int width, int height) : BufferedDC(target, RECT{0, 0, width, height}) {}
  BufferedDC(HDC target, const RECT& area)
      : target_(target),
        area_(area),
        dc_(CreateCompatibleDC(target)),
        bitmap_(CreateCompatibleBitmap(target, std::max<int>(area.right - area.left, 1),
                                       std::max<int>(area.bottom - area.top, 1))),
        selection_(dc_.get(), bitmap_.get()) {
    SetViewportOrgEx(dc_.get(), -area.left, -area.top, nullptr);
  }
  // The members then go in reverse order: the bitmap is selected out, deleted, and the DC last.
  ~BufferedDC() {
    BitBlt(target_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, dc_.get(), area_.left,
           area_.top, SRCCOPY);
  }
  BufferedDC(const BufferedDC&) = delete;
  BufferedDC& operator=(const BufferedDC&) = delete;
  HDC dc() const { return dc_.get(); }

 private:
  HDC target_;
  RECT area_;
  UniqueResource<HDC, PointerResource<DeleteMemoryDC>> dc_;
  GdiObject<HBITMAP> bitmap_;
  Selection selection_;
};

inline void FillSolid(HDC dc, const RECT& area, COLORREF color) {
  GdiObject<HBRUSH> brush(CreateSolidBrush(color));
  FillRect(dc, &area, brush.get());
}

}  // namespace rt
