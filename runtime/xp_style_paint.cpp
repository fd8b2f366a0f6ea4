#include "runtime/xp_style_paint.h"

#include <string>

#include "runtime/gdi_scope.h"

namespace rt {

namespace {

COLORREF Mix(COLORREF a, COLORREF b, int percentOfB) {
  auto channel = [&](int shift) {
    const int x = (a >> shift) & 0xFF, y = (b >> shift) & 0xFF;
    return (x * (100 - percentOfB) + y * percentOfB) / 100;
  };
  return RGB(channel(0), channel(8), channel(16));
}

const COLORREF kDisabledFrame = RGB(201, 199, 186);
const COLORREF kDisabledFill = RGB(245, 244, 234);

void VerticalGradient(HDC dc, const RECT& area, COLORREF top, COLORREF bottom) {
  const int height = area.bottom - area.top;
  for (int y = 0; y < height; ++y) {
    const int percent = height > 1 ? y * 100 / (height - 1) : 0;
    FillSolid(dc, RECT{area.left, area.top + y, area.right, area.top + y + 1}, Mix(top, bottom, percent));
  }
}

void RoundFrame(HDC dc, const RECT& area, COLORREF colour, int radius) {
  const GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, colour));
  const Selection penSelection(dc, pen.get());
  const Selection hollow(dc, GetStockObject(NULL_BRUSH));
  RoundRect(dc, area.left, area.top, area.right, area.bottom, radius, radius);
}

// The text the control itself holds and would draw, in UTF-16 as the system keeps it, so that
// it reads the same whatever the system's code page.
std::wstring WindowText(HWND window) {
  std::wstring text(256, L'\0');
  for (;;) {
    const int copied = InternalGetWindowText(window, text.data(), static_cast<int>(text.size()));
    if (copied < static_cast<int>(text.size()) - 1) {
      text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
      return text;
    }
    text.resize(text.size() * 2);
  }
}

// The font the control draws with, as it answers WM_GETFONT.
HGDIOBJ FontOf(HWND control) { return reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)); }

// Draws the control's text in its own font, centred or left-aligned, in one or more lines.
void DrawLabel(HWND control, HDC dc, RECT area, bool disabled, UINT horizontal) {
  const std::wstring text = WindowText(control);
  if (text.empty()) return;
  const Selection font(dc, FontOf(control));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : GetSysColor(COLOR_BTNTEXT));
  const bool multiline = (GetWindowLongA(control, GWL_STYLE) & BS_MULTILINE) != 0;
  if (multiline) {
    RECT measured = area;
    DrawTextW(dc, text.c_str(), -1, &measured, DT_WORDBREAK | DT_CALCRECT | horizontal);
    const int offset = ((area.bottom - area.top) - (measured.bottom - measured.top)) / 2;
    if (offset > 0) area.top += offset;
    DrawTextW(dc, text.c_str(), -1, &area, DT_WORDBREAK | horizontal);
  } else {
    DrawTextW(dc, text.c_str(), -1, &area, DT_SINGLELINE | DT_VCENTER | horizontal);
  }
}

// The empty square or circle of a check box or radio button.
void DrawBox(HDC dc, const RECT& box, COLORREF frame, bool radio) {
  const GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, frame));
  const Selection penSelection(dc, pen.get());
  const Selection hollow(dc, GetStockObject(NULL_BRUSH));
  if (radio) {
    Ellipse(dc, box.left, box.top, box.right, box.bottom);
  } else {
    Rectangle(dc, box.left, box.top, box.right, box.bottom);
  }
}

// What is inside a checked box: a dot, a filled square (indeterminate, check 2) or a tick.
void DrawMark(HDC dc, const RECT& box, COLORREF mark, bool radio, int check) {
  const GdiObject<HBRUSH> brush(CreateSolidBrush(mark));
  const GdiObject<HPEN> pen(CreatePen(PS_SOLID, 2, mark));
  const Selection penSelection(dc, pen.get());
  if (radio) {
    const Selection fill(dc, brush.get());
    Ellipse(dc, box.left + 4, box.top + 4, box.right - 4, box.bottom - 4);
  } else if (check == 2) {
    const RECT square{box.left + 3, box.top + 3, box.right - 3, box.bottom - 3};
    FillRect(dc, &square, brush.get());
  } else {
    const POINT tick[] = {{box.left + 3, box.top + 6}, {box.left + 5, box.top + 9}, {box.left + 10, box.top + 3}};
    Polyline(dc, tick, 3);
  }
}

}  // namespace

XpColours XpColoursFor(COLORREF frame) {
  return {frame, RGB(255, 255, 255), Mix(RGB(255, 255, 255), frame, 22), Mix(frame, RGB(255, 200, 60), 45)};
}

void PaintXpPushButton(HWND button, HDC dc, const XpColours& colours, const XpButtonState& state) {
  RECT client;
  GetClientRect(button, &client);
  if (state.disabled) {
    FillSolid(dc, client, kDisabledFill);
  } else if (state.pressed) {
    VerticalGradient(dc, client, colours.tint, colours.light);
  } else {
    VerticalGradient(dc, client, colours.light, colours.tint);
  }
  const COLORREF frame = state.disabled ? kDisabledFrame : colours.frame;
  RoundFrame(dc, client, frame, 5);
  if (!state.disabled && (state.hot || state.focused)) {
    RECT inner{client.left + 1, client.top + 1, client.right - 1, client.bottom - 1};
    RoundFrame(dc, inner, state.hot ? colours.hotFrame : Mix(colours.frame, RGB(255, 255, 255), 40), 4);
  }
  RECT text{client.left + 3, client.top + 2, client.right - 3, client.bottom - 2};
  if (state.pressed) OffsetRect(&text, 1, 1);
  DrawLabel(button, dc, text, state.disabled, DT_CENTER);
}

void PaintXpCheckOrRadio(HWND button, HDC dc, const XpColours& colours, const XpButtonState& state, bool radio) {
  RECT client;
  GetClientRect(button, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  const int size = 13;
  const int top = (client.bottom - client.top - size) / 2;
  RECT box{client.left, top, client.left + size, top + size};
  const COLORREF frame = state.disabled ? kDisabledFrame : (state.hot ? colours.hotFrame : colours.frame);
  VerticalGradient(dc, RECT{box.left + 1, box.top + 1, box.right - 1, box.bottom - 1}, colours.tint, colours.light);
  DrawBox(dc, box, frame, radio);
  if (state.check != 0) DrawMark(dc, box, state.disabled ? kDisabledFrame : RGB(33, 161, 33), radio, state.check);
  RECT text{box.right + 4, client.top, client.right, client.bottom};
  DrawLabel(button, dc, text, state.disabled, DT_LEFT);
}

void PaintXpGroupBox(HWND box, HDC dc, const XpColours& colours, bool disabled) {
  RECT client;
  GetClientRect(box, &client);
  const Selection font(dc, FontOf(box));
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  RECT frame{client.left, client.top + metrics.tmHeight / 2, client.right, client.bottom};
  RoundFrame(dc, frame, disabled ? kDisabledFrame : colours.frame, 5);
  const std::wstring text = WindowText(box);
  if (!text.empty()) {
    SIZE extent;
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    RECT label{client.left + 8, client.top, client.left + 12 + extent.cx, client.top + metrics.tmHeight};
    FillRect(dc, &label, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : Mix(colours.frame, RGB(0, 0, 0), 55));
    TextOutW(dc, label.left + 2, label.top, text.c_str(), static_cast<int>(text.size()));
  }
}

void PaintXpOuterFrame(HWND control, const XpColours& colours, bool hot) {
  // Only a control with a border has a frame to draw over; some controls take their border
  // style off and draw it themselves, so the sizes tell, not the style bits.
  RECT window, client;
  GetWindowRect(control, &window);
  GetClientRect(control, &client);
  const int border = ((window.right - window.left) - client.right) / 2;
  if (border <= 0) return;
  HDC dc = GetWindowDC(control);
  if (dc == nullptr) return;
  const LONG exStyle = GetWindowLongA(control, GWL_EXSTYLE);
  RECT outer{0, 0, window.right - window.left, window.bottom - window.top};
  const bool disabled = IsWindowEnabled(control) == 0;
  const GdiObject<HBRUSH> frame(CreateSolidBrush(disabled ? kDisabledFrame : (hot ? colours.hotFrame : colours.frame)));
  FrameRect(dc, &outer, frame.get());
  if (border >= 2 && (exStyle & WS_EX_CLIENTEDGE) != 0) {
    // The client edge is two pixels wide: its inner ring becomes plain white.
    RECT inner{1, 1, outer.right - 1, outer.bottom - 1};
    FrameRect(dc, &inner, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ReleaseDC(control, dc);
}

}  // namespace rt
