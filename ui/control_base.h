// What the kinds of control share: the window procedures of each kind, the messages that all
// of them answer from their stored settings, and painting helpers.
#pragma once

#include <windows.h>

#include "ui/form_instance.h"
#include "ui/gdi.h"

namespace ui {

// Class names of the kinds the program draws itself.
constexpr char kLabelClass[] = "CorvaneLabel";
constexpr char kTransLabelClass[] = "CorvaneTransLabel";
constexpr char kShapeBoxClass[] = "CorvaneShapeBox";
constexpr char kSuperBtnClass[] = "CorvaneSuperBtn";
constexpr char kHtmlViewerClass[] = "CorvaneHtmlViewer";

// Draws a control of one of our kinds from its stored settings into dc.
using PaintFn = void (*)(HWND window, HDC dc, const RECT& client, const ControlState& state);

void PaintLabel(HWND window, HDC dc, const RECT& client, const ControlState& state);
void PaintTransLabel(HWND window, HDC dc, const RECT& client, const ControlState& state);
void PaintShapeBox(HWND window, HDC dc, const RECT& client, const ControlState& state);

// A label's text is not clipped to it: a container draws, after its own background, the part of
// its labels' texts that reaches beyond them to the right.
void PaintLabelOverflow(HWND container, HDC dc);
// After a change of a label: the strip to its right in the container is drawn again.
void InvalidateLabelOverflow(HWND label);

// Messages a kind answers beyond showing its stored settings. False leaves the message to the
// system's default.
using MessageFn = bool (*)(HWND window, ControlState& state, UINT message, WPARAM wParam, LPARAM lParam,
                           LRESULT& result);

// The procedure of a kind of our own: the messages every such control answers from its stored
// settings, painting with Paint, then the kind's own messages, if it has any.
template <PaintFn Paint, MessageFn KindMessage = nullptr>
LRESULT CALLBACK PaintedControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// SuperBtn: its colours by state, and the mouse, focus and keys that make a click.
void PaintSuperBtn(HWND window, HDC dc, const RECT& client, const ControlState& state);
bool HandleSuperBtnMessage(HWND window, ControlState& state, UINT message, WPARAM wParam, LPARAM lParam,
                           LRESULT& result);
// HtmlViewer: blank until its browser draws, and the browser's life and size.
void PaintHtmlViewer(HWND window, HDC dc, const RECT& client, const ControlState& state);
bool HandleHtmlViewerMessage(HWND window, ControlState& state, UINT message, WPARAM wParam, LPARAM lParam,
                             LRESULT& result);
// Placed in front of the system's button, edit box and progress bar.
LRESULT CALLBACK SystemControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The state of one of our own windows; at WM_NCCREATE it is taken from the creation data and
// tied to the window.
ControlState* OwnControlState(HWND window, UINT message, LPARAM lParam);

// WM_GETTEXT and WM_GETTEXTLENGTH, answered with the stored text's own bytes whatever the
// system's code page. True when the message was one of them.
bool AnswerTextRequest(const ControlState& state, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// Answers from the stored settings what every control answers alike (its text, the end of its
// window). True when the message was handled.
bool HandleCommonMessage(HWND window, ControlState& state, UINT message, WPARAM wParam, LPARAM lParam,
                         LRESULT& result);

// HandleCommonMessage, and painting with `paint`: WM_PAINT (buffered), WM_PRINTCLIENT, and no
// separate erasing. True when the message was handled.
bool HandleOwnControlMessage(HWND window, ControlState& state, UINT message, WPARAM wParam, LPARAM lParam,
                             PaintFn paint, LRESULT& result);

// The font the control draws with: its own or the system's default GUI font.
HFONT FontOf(const ControlState& state);

template <PaintFn Paint, MessageFn KindMessage>
LRESULT CALLBACK PaintedControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlState* state = OwnControlState(window, message, lParam);
  LRESULT result = 0;
  if (state != nullptr) {
    if (HandleOwnControlMessage(window, *state, message, wParam, lParam, Paint, result)) return result;
    if constexpr (KindMessage != nullptr) {
      if (KindMessage(window, *state, message, wParam, lParam, result)) return result;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace ui
