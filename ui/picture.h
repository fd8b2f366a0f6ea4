// The window's background picture: a JPEG embedded as a resource, decoded once with the
// platform's own picture decoder and kept as a bitmap.
#pragma once

#include <windows.h>

#include "ui/gdi.h"

namespace ui {

class Picture {
 public:
  // Decodes the RCDATA resource `name` of the running program; an empty picture when the
  // resource is missing or cannot be decoded (the window then shows its background colour).
  static Picture FromResource(const char* name);

  Picture() = default;
  Picture(Picture&&) = default;
  Picture& operator=(Picture&&) = default;

  bool empty() const { return bitmap_.get() == nullptr; }
  int width() const { return width_; }
  int height() const { return height_; }

  // Covers `area` of dc with copies of the picture laid from (0, 0) in steps of its size;
  // with no picture, fills it with `background`.
  void DrawTiled(HDC dc, const RECT& area, COLORREF background) const;

 private:
  GdiObject<HBITMAP> bitmap_;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace ui
