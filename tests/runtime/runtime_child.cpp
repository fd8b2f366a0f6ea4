// A child program for the process and thread tests.
//   show FILE            writes the show mode it was started with into FILE
//   sleep MS             sleeps, then ends with exit code 3
//   window TITLE         shows a window with that title until it is closed or the process killed
//   save TITLE FILE      the same; asked to close, writes "saved" into FILE and ends with exit code 5
//   deaf TITLE           the same, but ignores every request to close
//   slowclose MS TITLE   the same; asked to close, ends MS later with exit code 6
//   killreader           blocks a thread in a pipe read, kills it, ends with exit code 7
//   deadline             arms an exit deadline of 300 ms with code 9, then waits for ever
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/args.h"
#include "runtime/threads.h"

namespace {

int WriteShowMode(const char* file) {
  STARTUPINFOA startup{};
  GetStartupInfoA(&startup);
  FILE* out = std::fopen(file, "w");
  if (out == nullptr) return 1;
  std::fprintf(out, "%u %u", static_cast<unsigned>(startup.wShowWindow),
               static_cast<unsigned>(startup.dwFlags & STARTF_USESHOWWINDOW));
  std::fclose(out);
  return 0;
}

// What the window does when it is asked to close.
struct CloseBehaviour {
  enum { Close, Save, Ignore, CloseLater } kind = Close;
  const char* file = nullptr;  // Save: where
  UINT delayMs = 0;            // CloseLater: after how long
};

bool WriteSaved(const char* file) {
  FILE* out = std::fopen(file, "w");
  if (out == nullptr) return false;
  std::fputs("saved", out);
  return std::fclose(out) == 0;
}

LRESULT OnClose(HWND window, const CloseBehaviour& behaviour) {
  switch (behaviour.kind) {
    case CloseBehaviour::Save:
      if (WriteSaved(behaviour.file)) PostQuitMessage(5);
      return 0;
    case CloseBehaviour::Ignore: return 0;
    case CloseBehaviour::CloseLater: SetTimer(window, 1, behaviour.delayMs, nullptr); return 0;
    default: DestroyWindow(window); return 0;
  }
}

LRESULT CALLBACK ChildWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrA(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
  }
  const auto* behaviour = reinterpret_cast<const CloseBehaviour*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_CLOSE && behaviour != nullptr) return OnClose(window, *behaviour);
  if (message == WM_TIMER) PostQuitMessage(6);
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

int ShowWindowUntilClosed(const char* title, CloseBehaviour behaviour = {}) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ChildWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "CorvaneRuntimeChild";
  RegisterClassA(&windowClass);
  CreateWindowExA(0, windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                  nullptr, windowClass.hInstance, &behaviour);
  MSG message;
  int result = 0;
  while ((result = GetMessageA(&message, nullptr, 0, 0)) > 0) DispatchMessageA(&message);
  return result == 0 ? static_cast<int>(message.wParam) : 1;
}

HANDLE g_readEnd = nullptr;

uint32_t __stdcall BlockInRead(void*) {
  char byte;
  DWORD read = 0;
  ReadFile(g_readEnd, &byte, 1, &read, nullptr);  // nothing is ever written
  return 0;
}

int KillBlockedReader() {
  HANDLE writeEnd = nullptr;
  CreatePipe(&g_readEnd, &writeEnd, nullptr, 0);
  int32_t thread = 0;
  rt::Call(rt::StartThread, rt::ThreadRoutineArg(BlockInRead), rt::Omitted(), rt::IntRef(&thread));
  Sleep(100);  // let it reach the read
  if (!rt::CallBool(rt::KillThread, rt::Int(thread))) return 1;
  return 7;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string mode = argv[1];
  if (mode == "show" && argc > 2) return WriteShowMode(argv[2]);
  if (mode == "sleep" && argc > 2) {
    Sleep(static_cast<DWORD>(std::atoi(argv[2])));
    return 3;
  }
  if (mode == "window" && argc > 2) return ShowWindowUntilClosed(argv[2]);
  if (mode == "save" && argc > 3) return ShowWindowUntilClosed(argv[2], {CloseBehaviour::Save, argv[3]});
  if (mode == "deaf" && argc > 2) return ShowWindowUntilClosed(argv[2], {CloseBehaviour::Ignore});
  if (mode == "slowclose" && argc > 3) {
    return ShowWindowUntilClosed(argv[3], {CloseBehaviour::CloseLater, nullptr, static_cast<UINT>(std::atoi(argv[2]))});
  }
  if (mode == "killreader") return KillBlockedReader();
  if (mode == "deadline") {
    rt::Call(rt::ArmExitDeadline, rt::Int(300), rt::Int(9));
    Sleep(INFINITE);
  }
  return 2;
}
