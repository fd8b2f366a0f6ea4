// Scoped GDI handles, so that every object, selection and paint is released on every path.
#pragma once

#include <windows.h>

#include <utility>

#include "runtime/wide_text.h"
#include "ui/form.h"

namespace ui {

// An owned GDI object (font, brush, pen, bitmap), deleted with the scope.
template <typename Handle>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(Handle handle) : handle_(handle) {}
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  ~GdiObject() { reset(); }
  Handle get() const { return handle_; }
  void reset(Handle handle = nullptr) {
    if (handle_ != nullptr) DeleteObject(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

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

// An off-screen copy of a client area: drawn into, then copied to the target in one blit, so
// that a control repainted after every downloaded chunk does not flicker.
class BufferedDC {
 public:
  BufferedDC(HDC target, int width, int height)
      : target_(target),
        width_(width),
        height_(height),
        dc_(CreateCompatibleDC(target)),
        bitmap_(CreateCompatibleBitmap(target, width > 0 ? width : 1, height > 0 ? height : 1)),
        selection_(dc_, bitmap_.get()) {}
  ~BufferedDC() {
    BitBlt(target_, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
    selection_.reset();
    DeleteDC(dc_);
  }
  BufferedDC(const BufferedDC&) = delete;
  BufferedDC& operator=(const BufferedDC&) = delete;
  HDC dc() const { return dc_; }

 private:
  class BitmapSelection {
   public:
    BitmapSelection(HDC dc, HBITMAP bitmap) : dc_(dc), previous_(SelectObject(dc, bitmap)) {}
    void reset() {
      if (dc_ != nullptr) SelectObject(dc_, previous_);
      dc_ = nullptr;
    }

   private:
    HDC dc_;
    HGDIOBJ previous_;
  };

  HDC target_;
  int width_, height_;
  HDC dc_;
  GdiObject<HBITMAP> bitmap_;
  BitmapSelection selection_;
};

inline void FillSolid(HDC dc, const RECT& area, COLORREF color) {
  GdiObject<HBRUSH> brush(CreateSolidBrush(color));
  FillRect(dc, &area, brush.get());
}

// Draws a stored (GBK) text with DrawTextW, so that it reads as written whatever the
// system's code page; the arguments are DrawTextA's.
inline int DrawStoredText(HDC dc, const char* text, size_t length, RECT* area, UINT format) {
  const rt::WideText wide(text, length);
  return DrawTextW(dc, wide.c_str(), wide.length(), area, format);
}

// A new font made from a stored font; null when none is stored (the caller then uses the
// system's default GUI font). The caller deletes it. The face name is GBK like every stored
// text: read in another code page it would name no font.
inline HFONT CreateStoredFont(const FontDef* font) {
  if (font == nullptr) return nullptr;
  const rt::WideText face(font->face);
  return CreateFontW(font->height, 0, 0, 0, font->weight, FALSE, FALSE, FALSE, font->charset, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, font->pitchAndFamily, face.c_str());
}

inline HFONT DefaultGuiFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

}  // namespace ui
