// What the kinds of control share: the window procedures of each kind, the messages that all
// of them answer from their stored settings, and painting helpers.
#pragma once

#include <windows.h>

#include "ui/form_instance.h"

namespace ui {

// Class names of the kinds the program draws itself.
constexpr char kLabelClass[] = "CorvaneLabel";
constexpr char kTransLabelClass[] = "CorvaneTransLabel";
constexpr char kShapeBoxClass[] = "CorvaneShapeBox";
constexpr char kSuperBtnClass[] = "CorvaneSuperBtn";
constexpr char kHtmlViewerClass[] = "CorvaneHtmlViewer";

LRESULT CALLBACK LabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TransLabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ShapeBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK SuperBtnProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK HtmlViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Placed in front of the system's button, edit box and progress bar.
LRESULT CALLBACK SystemControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The state of one of our own windows; at WM_NCCREATE it is taken from the creation data and
// tied to the window.
ControlState* OwnControlState(HWND window, UINT message, LPARAM lParam);

// Answers from the stored settings what every control answers alike (its text, the end of its
// window). True when the message was handled.
bool HandleCommonMessage(HWND window, ControlState& state, UINT message, WPARAM wParam, LPARAM lParam,
                         LRESULT& result);

// Runs paint(dc, client) for WM_PAINT (buffered) and WM_PRINTCLIENT; true when the message was one of them.
template <typename Paint>
bool HandlePaintMessages(HWND window, UINT message, WPARAM wParam, Paint&& paint);

// The font the control draws with: its own or the system's default GUI font.
HFONT FontOf(const ControlState& state);

// Brings the live window's geometry, visibility and enabled state in line with the stored ones.
void ApplyCommonState(HWND window, ControlState& state);

}  // namespace ui

#include "ui/gdi.h"

namespace ui {

template <typename Paint>
bool HandlePaintMessages(HWND window, UINT message, WPARAM wParam, Paint&& paint) {
  RECT client;
  GetClientRect(window, &client);
  if (message == WM_PAINT) {
    PaintScope scope(window);
    BufferedDC buffer(scope.dc(), client.right, client.bottom);
    paint(buffer.dc(), client);
    return true;
  }
  if (message == WM_PRINTCLIENT) {
    paint(reinterpret_cast<HDC>(wParam), client);
    return true;
  }
  return false;
}

}  // namespace ui
