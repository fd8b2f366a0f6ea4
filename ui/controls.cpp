#include "ui/controls.h"

#include <commctrl.h>

#include <algorithm>

#include "runtime/wide_text.h"
#include "ui/control_base.h"
#include "ui/focus.h"
#include "ui/gdi.h"

namespace ui {

namespace {

HINSTANCE ProgramInstance() { return GetModuleHandleA(nullptr); }

bool RegisterOwnClass(const char* name, WNDPROC procedure) {
  WNDCLASSA windowClass{};
  if (GetClassInfoA(ProgramInstance(), name, &windowClass)) return true;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ProgramInstance();
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.lpszClassName = name;
  return RegisterClassA(&windowClass) != 0;
}

struct KindWindow {
  const char* className;
  DWORD style;
  DWORD exStyle;
};

KindWindow WindowOfKind(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label: return {kLabelClass, 0, 0};
    case ControlKind::TransLabel: return {kTransLabelClass, 0, 0};
    case ControlKind::ShapeBox: return {kShapeBoxClass, WS_CLIPCHILDREN, 0};
    case ControlKind::SuperBtn: return {kSuperBtnClass, 0, 0};
    case ControlKind::HtmlViewer: return {kHtmlViewerClass, WS_CLIPCHILDREN, 0};
    case ControlKind::EditBox: return {WC_EDITA, ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::ProcessBar: return {PROGRESS_CLASSA, 0, 0};
    case ControlKind::Button:
      return {WC_BUTTONA, BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE, 0};
    case ControlKind::Window: break;
  }
  return {nullptr, 0, 0};
}

bool IsSystemKind(ControlKind kind) {
  return kind == ControlKind::EditBox || kind == ControlKind::ProcessBar || kind == ControlKind::Button;
}

// Puts the progress bar's range and position in line with the stored ones.
void ApplyBarState(HWND window, ControlState& bar) {
  PBRANGE range{};
  CallWindowProcA(bar.systemProc, window, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  if (range.iLow != bar.minimum.load() || range.iHigh != bar.maximum.load())
    CallWindowProcA(bar.systemProc, window, PBM_SETRANGE32, bar.minimum.load(), bar.maximum.load());
  CallWindowProcA(bar.systemProc, window, PBM_SETPOS, ShownPosition(bar), 0);
}

}  // namespace

bool RegisterControlClasses() {
  INITCOMMONCONTROLSEX common{sizeof common, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&common);
  return RegisterOwnClass(kLabelClass, PaintedControlProc<PaintLabel>) &&
         RegisterOwnClass(kTransLabelClass, PaintedControlProc<PaintTransLabel>) &&
         RegisterOwnClass(kShapeBoxClass, PaintedControlProc<PaintShapeBox>) &&
         RegisterOwnClass(kSuperBtnClass, PaintedControlProc<PaintSuperBtn, HandleSuperBtnMessage>) &&
         RegisterOwnClass(kHtmlViewerClass, PaintedControlProc<PaintHtmlViewer, HandleHtmlViewerMessage>);
}

HWND CreateControlWindow(ControlState& state, HWND parent) {
  const ControlDef& def = *state.def;
  const KindWindow kind = WindowOfKind(def.kind);
  if (kind.className == nullptr) return nullptr;
  const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | kind.style | (def.tabStop ? WS_TABSTOP : 0) |
                      (state.disabled.load() ? WS_DISABLED : 0);
  // The control id doubles as the child window id, so other programs can tell the controls apart.
  auto* childId = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(def.id));
  const bool system = IsSystemKind(def.kind);
  HWND window = CreateWindowExA(kind.exStyle, kind.className, nullptr, style, state.left.load(), state.top.load(),
                                state.width.load(), state.height.load(), parent, childId, ProgramInstance(),
                                system ? nullptr : &state);
  if (window == nullptr) return nullptr;
  if (system) {
    AttachControl(window, state);
    state.systemProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SystemControlProc)));
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultGuiFont()), FALSE);
  }
  // Made from the stored settings, which start as the form's and may have been written since.
  state.textChanged.store(false);
  if (def.kind == ControlKind::ProcessBar) {
    ApplyBarState(window, state);
  } else {
    ShowStoredText(window, state);
  }
  return window;
}

void RequestSync(ControlState& state) {
  HWND window = state.window.load();
  if (window == nullptr) return;
  if (GetCurrentThreadId() == state.form->uiThread) {
    ApplyStoredState(state);
    return;
  }
  if (state.syncPending.exchange(true)) return;
  if (state.kind == ControlKind::ProcessBar) {
    PostMessageA(window, PBM_SETPOS, ShownPosition(state), 0);
    return;
  }
  HWND formWindow = state.form->window();
  if (formWindow != nullptr && !state.form->syncPosted.exchange(true)) PostMessageA(formWindow, kSyncMessage, 0, 0);
}

void ApplyPendingStates(FormInstance& form) {
  form.syncPosted.store(false);
  if (form.windowState().syncPending.load()) ApplyStoredState(form.windowState());
  for (const auto& state : form.controls()) {
    if (state->syncPending.load()) ApplyStoredState(*state);
  }
  // Painted now, all in one go: a label's text and the part of it that runs past its edge
  // (drawn by the container) reach the screen together, never one without the other.
  if (HWND window = form.window(); window != nullptr) RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

namespace {

// Only the statistics (labels and the bar) change with every chunk; anything else, such as the
// button at the end of a download, is shown at once.
bool OnlyStatisticsPending(FormInstance& form) {
  if (form.windowState().syncPending.load()) return false;
  for (const auto& state : form.controls()) {
    const bool statistic = state->kind == ControlKind::Label || state->kind == ControlKind::TransLabel ||
                           state->kind == ControlKind::ProcessBar;
    if (state->syncPending.load() && !statistic) return false;
  }
  return true;
}

}  // namespace

void ApplyPendingStatesPaced(FormInstance& form) {
  const DWORD sinceLast = GetTickCount() - form.lastSync;
  if (sinceLast < kSyncFrameMs && OnlyStatisticsPending(form)) {
    if (!form.syncTimerSet && form.window() != nullptr) {
      form.syncTimerSet = SetTimer(form.window(), kSyncTimer, kSyncFrameMs - sinceLast, nullptr) != 0;
    }
    if (form.syncTimerSet) return;
  }
  form.lastSync = GetTickCount();
  ApplyPendingStates(form);
}

void ApplyPendingStatesOnTimer(FormInstance& form) {
  KillTimer(form.window(), kSyncTimer);
  form.syncTimerSet = false;
  form.lastSync = GetTickCount();
  ApplyPendingStates(form);
}

// Brings the live window's geometry, visibility and enabled state in line with the stored ones.
static void ApplyCommonState(HWND window, ControlState& state) {
  RECT live;
  GetWindowRect(window, &live);
  if (HWND parent = GetParent(window); parent != nullptr && state.kind != ControlKind::Window)
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&live), 2);
  const int left = state.left.load(), top = state.top.load();
  const int width = state.width.load(), height = state.height.load();
  if (live.left != left || live.top != top || live.right - live.left != width || live.bottom - live.top != height)
    SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  const bool visible = (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
  if (visible != state.visible.load()) ShowWindow(window, state.visible.load() ? SW_SHOWNA : SW_HIDE);
  const bool enabled = IsWindowEnabled(window) != FALSE;
  if (enabled == state.disabled.load()) EnableKeepingFocus(*state.form, window, !state.disabled.load());
}

void ApplyStoredState(ControlState& state) {
  state.syncPending.store(false);
  HWND window = state.window.load();
  if (window == nullptr) return;
  const bool label = state.kind == ControlKind::Label;
  if (label) InvalidateLabelOverflow(window);  // where its text reached so far
  ApplyCommonState(window, state);
  if (state.textChanged.exchange(false)) ShowStoredText(window, state);
  if (state.kind == ControlKind::ProcessBar) {
    ApplyBarState(window, state);
  } else if (!IsSystemKind(state.kind)) {
    InvalidateRect(window, nullptr, FALSE);
    if (label) InvalidateLabelOverflow(window);
  }
}

void ShowStoredText(HWND window, ControlState& state) {
  const rt::WideText text = state.text.Read([](const char* stored, size_t length) { return rt::WideText(stored, length); });
  const auto wide = reinterpret_cast<LPARAM>(text.c_str());
  if (state.systemProc != nullptr) {
    CallWindowProcW(state.systemProc, window, WM_SETTEXT, 0, wide);
  } else {
    DefWindowProcW(window, WM_SETTEXT, 0, wide);
  }
}

int32_t ShownPosition(const ControlState& bar) {
  const int32_t low = bar.minimum.load();
  const int32_t high = bar.maximum.load();
  return std::clamp(bar.position.load(), low, std::max(low, high));
}

ControlState* OwnControlState(HWND window, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* state = static_cast<ControlState*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    if (state != nullptr) {
      AttachControl(window, *state);
      state->font = CreateStoredFont(state->def->font);
    }
    return state;
  }
  return StateOf(window);
}

HFONT FontOf(const ControlState& state) { return state.font != nullptr ? state.font : DefaultGuiFont(); }

bool AnswerTextRequest(const ControlState& state, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_GETTEXT:
      result = static_cast<LRESULT>(state.text.CopyTo(reinterpret_cast<char*>(lParam), wParam));
      return true;
    case WM_GETTEXTLENGTH:
      result = static_cast<LRESULT>(state.text.Length());
      return true;
    default:
      return false;
  }
}

bool HandleCommonMessage(HWND window, ControlState& state, UINT message, WPARAM wParam, LPARAM lParam,
                         LRESULT& result) {
  if (AnswerTextRequest(state, message, wParam, lParam, result)) return true;
  switch (message) {
    case WM_SETTEXT:
      if (state.text.Store(reinterpret_cast<const char*>(lParam))) {
        state.textChanged.store(true);
        ApplyStoredState(state);
      }
      result = TRUE;
      return true;
    case WM_NCDESTROY:
      DetachControl(window, state);
      if (state.font != nullptr) DeleteObject(state.font);
      state.font = nullptr;
      return false;  // the window's own procedure still sees it
    default:
      return false;
  }
}

bool HandleOwnControlMessage(HWND window, ControlState& state, UINT message, WPARAM wParam, LPARAM lParam,
                             PaintFn paint, LRESULT& result) {
  if (HandleCommonMessage(window, state, message, wParam, lParam, result)) return true;
  RECT client;
  switch (message) {
    case WM_PAINT: {
      GetClientRect(window, &client);
      PaintScope scope(window);
      // Only the part to be painted is buffered and copied; the paint itself draws everything,
      // clipped to it.
      BufferedDC buffer(scope.dc(), scope.area());
      paint(window, buffer.dc(), client, state);
      result = 0;
      return true;
    }
    case WM_PRINTCLIENT:
      GetClientRect(window, &client);
      paint(window, reinterpret_cast<HDC>(wParam), client, state);
      result = 0;
      return true;
    case WM_ERASEBKGND:  // the paint covers everything
      result = 1;
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK SystemControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlState* state = StateOf(window);
  if (state == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  const WNDPROC systemProc = state->systemProc;
  if (message == PBM_SETPOS && state->kind == ControlKind::ProcessBar) {
    // Whatever the message carries, the bar shows the latest stored position, at most once a
    // frame (with the other controls that wait).
    const LRESULT previous = CallWindowProcA(systemProc, window, PBM_GETPOS, 0, 0);
    ApplyPendingStatesPaced(*state->form);
    return previous;
  }
  LRESULT result = 0;
  if (HandleCommonMessage(window, *state, message, wParam, lParam, result)) return result;
  return CallWindowProcA(systemProc, window, message, wParam, lParam);
}

}  // namespace ui
