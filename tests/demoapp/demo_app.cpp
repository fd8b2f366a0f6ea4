// A small stand-in for the Corvane application: one window that shows its version. The demo
// and the end-to-end tests install a newer build of it over an older one.
#include <windows.h>

#include <cstdio>

#ifndef CORVANE_DEMO_VERSION
#define CORVANE_DEMO_VERSION "1.0"
#endif

namespace {

constexpr char kVersion[] = CORVANE_DEMO_VERSION;

LRESULT CALLBACK DemoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      HBRUSH background = CreateSolidBrush(RGB(244, 255, 244));
      FillRect(dc, &client, background);
      DeleteObject(background);
      HFONT font = CreateFontA(-28, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, nullptr);
      HGDIOBJ previous = SelectObject(dc, font);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(0, 96, 48));
      char text[64];
      std::snprintf(text, sizeof text, "Corvane 版本 %s", kVersion);
      DrawTextA(dc, text, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      SelectObject(dc, previous);
      DeleteObject(font);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
#ifdef CORVANE_DEMO_EXIT_CODE
  return CORVANE_DEMO_EXIT_CODE;  // a build that ends at once, before any window
#endif
#ifdef CORVANE_DEMO_CRASH
  *static_cast<volatile int*>(nullptr) = 0;  // a build that crashes at once (an access violation)
#endif
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DemoWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.lpszClassName = "CorvaneDemoWindow";
  RegisterClassA(&windowClass);

  char title[64];
  std::snprintf(title, sizeof title, "Corvane %s", kVersion);
  HWND window = CreateWindowExA(0, windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW, 80, 80, 420, 180,
                                nullptr, nullptr, instance, nullptr);
  ShowWindow(window, show);
  UpdateWindow(window);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
