#include "ui/window.h"

#include "assets/resources.h"
#include "ui/control_base.h"
#include "ui/controls.h"
#include "ui/events.h"
#include "ui/focus.h"
#include "ui/html_viewer.h"
#include "ui/picture.h"

namespace ui {

namespace {

constexpr char kFormClass[] = "CorvaneFormWindow";
// Borderless pop-up: of the caption flags only the minimise box applies, which lets the system
// minimise the window from its taskbar button.
constexpr DWORD kFormStyle = WS_POPUP | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

FormInstance* FormOf(HWND window) {
  ControlState* state = StateOf(window);
  return state != nullptr && state->kind == ControlKind::Window ? state->form : nullptr;
}

void PaintBackground(FormInstance& form, HDC dc, const RECT& area) {
  if (!form.picture) form.picture = std::make_unique<Picture>(Picture::FromResource(CORVANE_BACKGROUND_PICTURE));
  form.picture->DrawTiled(dc, area, form.def().background);
  PaintLabelOverflow(form.window(), dc);
}

bool MayClose(const FormInstance& form) {
  if (!RaiseEvent(form, form.def().windowId, event::QueryClose).allow) return false;
  return RaiseEvent(form, form.def().windowId, event::QueryEnd).allow;
}

void StoreWindowRect(HWND window, ControlState& state) {
  RECT rect;
  GetWindowRect(window, &rect);
  state.left.store(rect.left);
  state.top.store(rect.top);
  state.width.store(rect.right - rect.left);
  state.height.store(rect.bottom - rect.top);
}

LRESULT OnFormMessage(HWND window, FormInstance& form, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlState& self = form.windowState();
  const ControlId windowId = form.def().windowId;
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PaintScope paint(window);
      RECT area;
      GetClipBox(paint.dc(), &area);
      PaintBackground(form, paint.dc(), area);
      return 0;
    }
    case WM_PRINTCLIENT: {
      // Only what the target can show: a transparent label asks for the few pixels beneath it.
      RECT client, shown, area;
      GetClientRect(window, &client);
      const HDC dc = reinterpret_cast<HDC>(wParam);
      if (GetClipBox(dc, &shown) == NULLREGION || !IntersectRect(&area, &client, &shown)) return 0;
      PaintBackground(form, dc, area);
      return 0;
    }
    case WM_CLOSE:
      if (MayClose(form)) DestroyWindow(window);
      return 0;
    case WM_QUERYENDSESSION:
      return RaiseEvent(form, windowId, event::QueryEnd).allow ? TRUE : FALSE;
    case WM_DESTROY:
      form.destroying = true;
      RaiseEvent(form, windowId, event::Destroy);
      return 0;
    case WM_NCDESTROY:
      DetachControl(window, self);
      form.picture.reset();
      form.eventsLive = false;
      form.destroying = false;
      NotifyWindowGone();
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_MOVE:
      StoreWindowRect(window, self);
      RaiseEvent(form, windowId, event::Moved);
      return 0;
    case WM_SIZE:
      StoreWindowRect(window, self);
      RaiseEvent(form, windowId, event::Resized);
      return 0;
    case WM_SHOWWINDOW:
      self.visible.store(wParam != FALSE);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window, focus)) form.lastFocus = focus;
      }
      return 0;
    case WM_SETFOCUS:
      RestoreFocus(form);
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        const ControlState* button = StateOf(reinterpret_cast<HWND>(lParam));
        if (button != nullptr && button->kind == ControlKind::Button) RaiseEvent(form, button->id, event::Click);
      }
      return 0;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
      LRESULT result = 0;
      AnswerTextRequest(self, message, wParam, lParam, result);
      return result;
    }
    case WM_SETTEXT:
      if (self.text.Store(reinterpret_cast<const char*>(lParam))) ShowStoredText(window, self);
      return TRUE;
    case WM_HELP:  // F1 opens nothing
      return TRUE;
    case kSyncMessage:
      ApplyPendingStatesPaced(form);
      return 0;
    case WM_TIMER:
      if (wParam != kSyncTimer) return DefWindowProcA(window, message, wParam, lParam);
      ApplyPendingStatesOnTimer(form);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK FormWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<FormInstance*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    AttachControl(window, form->windowState());
  }
  FormInstance* form = FormOf(window);
  if (form == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return OnFormMessage(window, *form, message, wParam, lParam);
}

bool RegisterFormClass() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  if (GetClassInfoExA(instance, kFormClass, &windowClass)) return true;
  windowClass.lpfnWndProc = FormWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kFormClass;
  return RegisterClassExA(&windowClass) != 0;
}

void SetIcons(HWND window) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  auto load = [&](int width, int height) {
    return reinterpret_cast<LPARAM>(LoadImageA(instance, CORVANE_ICON_GROUP, IMAGE_ICON, width, height, LR_SHARED));
  };
  SendMessageA(window, WM_SETICON, ICON_BIG, load(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)));
  SendMessageA(window, WM_SETICON, ICON_SMALL, load(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)));
}

HWND ParentOf(FormInstance& form, const ControlDef& def, HWND window) {
  if (def.container == form.def().windowId) return window;
  ControlState* container = form.Find(def.container);
  return container != nullptr ? container->window.load() : nullptr;
}

// Within each container the first control of the table lies on top and each later one
// directly beneath the one listed before it.
void StackInTableOrder(FormInstance& form) {
  const auto controls = form.controls();
  for (size_t i = 0; i < controls.size(); ++i) {
    HWND above = HWND_TOP;
    for (size_t j = i; j-- > 0;) {
      if (controls[j]->def->container == controls[i]->def->container) {
        above = controls[j]->window.load();
        break;
      }
    }
    SetWindowPos(controls[i]->window.load(), above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

}  // namespace

HWND CreateFormWindow(FormInstance& form) {
  if (!RegisterFormClass() || !RegisterControlClasses()) return nullptr;
  const FormDef& def = form.def();
  RECT frame{0, 0, def.clientWidth, def.clientHeight};
  AdjustWindowRectEx(&frame, kFormStyle, FALSE, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  // Centred on the whole screen, not the work area; the stored position is not used.
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

  form.uiThread = GetCurrentThreadId();
  form.lastFocus = nullptr;
  HWND window = CreateWindowExA(0, kFormClass, nullptr, kFormStyle, left, top, width, height, nullptr, nullptr,
                                GetModuleHandleA(nullptr), &form);
  if (window == nullptr) return nullptr;
  StoreWindowRect(window, form.windowState());
  // The title on the taskbar, in UTF-16: given as GBK bytes to CreateWindowExA it would be read
  // in the system's code page.
  ShowStoredText(window, form.windowState());
  SetIcons(window);

  const auto controls = form.controls();
  for (size_t i = controls.size(); i-- > 0;) {
    ControlState& state = *controls[i];
    HWND parent = ParentOf(form, *state.def, window);
    if (parent == nullptr || CreateControlWindow(state, parent) == nullptr) {
      DestroyWindow(window);
      return nullptr;
    }
  }
  StackInTableOrder(form);
  for (const auto& state : controls) {
    if (state->visible.load()) ShowWindow(state->window.load(), SW_SHOWNA);
  }
  return window;
}

void ShowFormWindow(FormInstance& form) {
  HWND window = form.window();
  if (window == nullptr) return;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
}

void BringFormForward(FormInstance& form) {
  HWND window = form.window();
  if (window == nullptr) return;
  if (IsIconic(window)) {
    ShowWindow(window, SW_RESTORE);
  } else {
    SetForegroundWindow(window);
  }
}

void DestroyFormWindows() {
  for (const auto& form : LoadedForms()) {
    HWND window = form->window();
    if (window != nullptr && !form->destroying) DestroyWindow(window);
  }
}

bool AnyFormWindowAlive() {
  for (const auto& form : LoadedForms()) {
    if (form->window() != nullptr) return true;
  }
  return false;
}

bool PreTranslateMessage(MSG& message) {
  if (message.hwnd == nullptr) return false;
  HWND root = GetAncestor(message.hwnd, GA_ROOT);
  if (FormOf(root) == nullptr) return false;
  if (TranslateBrowserKey(message)) return true;

  if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
    const LRESULT wants = SendMessageA(message.hwnd, WM_GETDLGCODE, message.wParam, reinterpret_cast<LPARAM>(&message));
    if ((wants & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) != 0) return false;
    SendMessageA(root, WM_CLOSE, 0, 0);
    return true;
  }

  if (message.message == WM_LBUTTONDOWN || message.message == WM_LBUTTONDBLCLK) {
    const ControlState* target = StateOf(message.hwnd);
    const bool drags = message.hwnd == root || (target != nullptr && PassesClicksThrough(target->kind));
    if (!drags) return false;
    // Starts the system's move loop exactly as a press on a title bar would. Handed over at
    // once rather than posted: the loop starts from the position of the message being handled,
    // so a pointer that has moved on meanwhile (a busy window) still moves the window all the way.
    ReleaseCapture();
    SendMessageA(root, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(message.pt.x, message.pt.y));
    return true;
  }
  return false;
}

}  // namespace ui
