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

// The font of the controls that have none of their own: the system's default GUI font. Where the
// system's code page is not the texts' own, that font may lack their glyphs (a Western system's
// shows boxes), so its size and weight are asked for in the texts' character set instead, and
// the font mapper picks a face that has them. Made once, kept for the life of the program.
inline HFONT DefaultGuiFont() {
  static const HFONT font = [] {
    const auto stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW metrics{};
    if (GetACP() == rt::kTextCodePage || GetObjectW(stock, sizeof metrics, &metrics) == 0) return stock;
    metrics.lfCharSet = GB2312_CHARSET;
    const HFONT chinese = CreateFontIndirectW(&metrics);
    return chinese != nullptr ? chinese : stock;
  }();
  return font;
}

}  // namespace ui
