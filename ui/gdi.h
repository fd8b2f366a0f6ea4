// The controls' drawing helpers: the scoped GDI handles, and texts and fonts from the stored settings.
#pragma once

#include <windows.h>

#include "runtime/gdi_scope.h"
#include "runtime/wide_text.h"
#include "ui/form.h"

namespace ui {

using rt::BufferedDC;
using rt::FillSolid;
using rt::GdiObject;
using rt::PaintScope;
using rt::Selection;

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
