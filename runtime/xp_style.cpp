#include "runtime/xp_style.h"

#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "runtime/command.h"
#include "runtime/gdi_scope.h"
#include "runtime/xp_style_paint.h"

namespace rt {

namespace {

constexpr UINT_PTR kSubclassId = 0x58505354;  // one subclass per control
constexpr DWORD_PTR kHotFlag = 0x100;
constexpr DWORD_PTR kKindMask = 0xFF;

// The look of the thread that applied it; touched only on that thread.
struct XpState {
  int32_t scheme = 0;
  HHOOK hook = nullptr;
  DWORD thread = 0;
};
XpState g_xp;

bool ClassIs(HWND window, const char* name) {
  char className[32];
  return GetClassNameA(window, className, sizeof className) > 0 && lstrcmpiA(className, name) == 0;
}

XpKind ButtonKind(LONG style) {
  const LONG type = style & BS_TYPEMASK;
  const bool pushLike = (style & BS_PUSHLIKE) != 0;
  switch (type) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON: return XpKind::PushButton;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE: return pushLike ? XpKind::PushButton : XpKind::CheckBox;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: return pushLike ? XpKind::PushButton : XpKind::RadioButton;
    case BS_GROUPBOX: return XpKind::GroupBox;
    default: return XpKind::None;  // user buttons, owner-drawn buttons and newer kinds
  }
}

XpKind KindOf(HWND window) {
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  if (ClassIs(window, "Button")) return ButtonKind(style);
  if (ClassIs(window, "Edit")) {
    HWND parent = GetParent(window);
    return parent != nullptr && ClassIs(parent, "SysIPAddress32") ? XpKind::None : XpKind::Edit;
  }
  if (ClassIs(window, "ComboBox")) return (style & 3) == CBS_SIMPLE ? XpKind::None : XpKind::ComboBox;
  if (ClassIs(window, "ComboLBox")) return XpKind::ComboList;
  if (ClassIs(window, "msctls_updown32")) return XpKind::UpDown;
  return XpKind::None;
}

XpButtonState ButtonState(HWND button, bool hot) {
  const LRESULT state = SendMessageA(button, BM_GETSTATE, 0, 0);
  XpButtonState result{};
  result.hot = hot;
  result.pressed = (state & BST_PUSHED) != 0;
  result.focused = GetFocus() == button;
  result.disabled = IsWindowEnabled(button) == 0;
  result.check = (state & BST_INDETERMINATE) != 0 ? 2 : ((state & BST_CHECKED) != 0 ? 1 : 0);
  return result;
}

// Paints a button kind into a memory bitmap, then onto the control in one step.
void PaintButton(HWND button, HDC target, XpKind kind, bool hot) {
  RECT client;
  GetClientRect(button, &client);
  const BufferedDC buffer(target, client.right, client.bottom);
  const XpColours colours = XpColoursFor(XpFrameColour(g_xp.scheme));
  const XpButtonState state = ButtonState(button, hot);
  switch (kind) {
    case XpKind::PushButton: PaintXpPushButton(button, buffer.dc(), colours, state); break;
    case XpKind::CheckBox: PaintXpCheckOrRadio(button, buffer.dc(), colours, state, false); break;
    case XpKind::RadioButton: PaintXpCheckOrRadio(button, buffer.dc(), colours, state, true); break;
    default: PaintXpGroupBox(button, buffer.dc(), colours, state.disabled); break;
  }
}

bool IsButtonKind(XpKind kind) {
  return kind == XpKind::PushButton || kind == XpKind::CheckBox || kind == XpKind::RadioButton ||
         kind == XpKind::GroupBox;
}

// Messages after which the stock button draws itself outside WM_PAINT.
bool RepaintsItself(UINT message) {
  switch (message) {
    case BM_SETSTATE: case BM_SETCHECK: case BM_SETSTYLE: case WM_SETTEXT: case WM_ENABLE:
    case WM_SETFOCUS: case WM_KILLFOCUS: case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN: case WM_KEYUP: case WM_UPDATEUISTATE: case WM_CAPTURECHANGED:
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK XpSubclassProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                DWORD_PTR data);

void SetHot(HWND control, DWORD_PTR data, bool hot) {
  if (((data & kHotFlag) != 0) == hot) return;
  SetWindowSubclass(control, XpSubclassProc, kSubclassId, hot ? (data | kHotFlag) : (data & ~kHotFlag));
  if (hot) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, control, 0};
    TrackMouseEvent(&track);
  }
  RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
}

LRESULT CALLBACK XpSubclassProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR data) {
  const auto kind = static_cast<XpKind>(data & kKindMask);
  const bool hot = (data & kHotFlag) != 0;
  switch (message) {
    case WM_NCDESTROY:
      RemoveWindowSubclass(control, XpSubclassProc, kSubclassId);
      return DefSubclassProc(control, message, wParam, lParam);
    case WM_MOUSEMOVE:
      SetHot(control, data, true);
      return DefSubclassProc(control, message, wParam, lParam);
    case WM_MOUSELEAVE:
      SetHot(control, data, false);
      return DefSubclassProc(control, message, wParam, lParam);
    default:
      break;
  }
  if (IsButtonKind(kind)) {
    if (message == WM_PAINT) {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(control, &paint);
      PaintButton(control, dc, kind, hot);
      EndPaint(control, &paint);
      return 0;
    }
    if (message == WM_PRINTCLIENT) {
      PaintButton(control, reinterpret_cast<HDC>(wParam), kind, hot);
      return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    const LRESULT result = DefSubclassProc(control, message, wParam, lParam);
    if (RepaintsItself(message)) RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return result;
  }
  const LRESULT result = DefSubclassProc(control, message, wParam, lParam);
  if (message == WM_NCPAINT || message == WM_ENABLE || message == WM_SETFOCUS || message == WM_KILLFOCUS) {
    PaintXpOuterFrame(control, XpColoursFor(XpFrameColour(g_xp.scheme)), hot);
  }
  return result;
}

void Examine(HWND window) {
  const XpKind kind = KindOf(window);
  if (kind == XpKind::None) return;
  SetWindowSubclass(window, XpSubclassProc, kSubclassId, static_cast<DWORD_PTR>(kind));
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

void Release(HWND window) {
  if (RemoveWindowSubclass(window, XpSubclassProc, kSubclassId)) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
  }
}

// Calls Visit for a top-level window and every window inside it.
template <void (*Visit)(HWND)>
BOOL CALLBACK VisitChild(HWND child, LPARAM) {
  Visit(child);
  return TRUE;
}

template <void (*Visit)(HWND)>
BOOL CALLBACK VisitTree(HWND window, LPARAM) {
  Visit(window);
  EnumChildWindows(window, VisitChild<Visit>, 0);
  return TRUE;
}

LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (call->message == WM_CREATE) Examine(call->hwnd);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Removes the look from the thread's windows and the hook; the hook removal's result, or 0.
int32_t RemoveLook() {
  if (g_xp.thread != 0) EnumThreadWindows(g_xp.thread, VisitTree<Release>, 0);
  int32_t removed = 0;
  if (g_xp.hook != nullptr) removed = UnhookWindowsHookEx(g_xp.hook) ? 1 : 0;
  g_xp.hook = nullptr;
  g_xp.thread = 0;
  return removed;
}

}  // namespace

uint32_t XpFrameColour(int32_t scheme) {
  switch (scheme) {
    case 1: return RGB(123, 158, 189);
    case 2: return RGB(164, 185, 127);
    case 3: return RGB(198, 197, 215);
    default: return 0;
  }
}

void ApplyXpStyle(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const int32_t scheme = ArgAt(argc, args, 0).AsInt();
  g_xp.scheme = scheme;
  if (scheme < 1 || scheme > 3) {
    SetInt(result, RemoveLook());
    return;
  }
  RemoveLook();
  g_xp.scheme = scheme;
  g_xp.thread = GetCurrentThreadId();
  EnumThreadWindows(g_xp.thread, VisitTree<Examine>, 0);
  g_xp.hook = SetWindowsHookExA(WH_CALLWNDPROC, CreationHook, nullptr, g_xp.thread);
  SetInt(result, 1);
}

}  // namespace rt
