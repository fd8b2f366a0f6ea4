// Scoped GDI objects, selections, paints and off-screen drawing, so that every object is
// released and every selection undone on every path. Used by the window's controls and by
// the XP-style look alike.
#pragma once

#include <windows.h>

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

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// An off-screen copy of an area: drawn into, then copied to the target's origin in one blit,
// so that a control repainted after every downloaded chunk does not flicker.
class BufferedDC {
 public:
  BufferedDC(HDC target, int width, int height)
      : target_(target),
        width_(width),
        height_(height),
        dc_(CreateCompatibleDC(target)),
        bitmap_(CreateCompatibleBitmap(target, width > 0 ? width : 1, height > 0 ? height : 1)),
        selection_(dc_.get(), bitmap_.get()) {}
  // The members then go in reverse order: the bitmap is selected out, deleted, and the DC last.
  ~BufferedDC() { BitBlt(target_, 0, 0, width_, height_, dc_.get(), 0, 0, SRCCOPY); }
  BufferedDC(const BufferedDC&) = delete;
  BufferedDC& operator=(const BufferedDC&) = delete;
  HDC dc() const { return dc_.get(); }

 private:
  HDC target_;
  int width_, height_;
  UniqueResource<HDC, PointerResource<DeleteMemoryDC>> dc_;
  GdiObject<HBITMAP> bitmap_;
  Selection selection_;
};

inline void FillSolid(HDC dc, const RECT& area, COLORREF color) {
  GdiObject<HBRUSH> brush(CreateSolidBrush(color));
  FillRect(dc, &area, brush.get());
}

}  // namespace rt
