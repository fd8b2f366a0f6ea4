#include "runtime/window_close_request.h"

namespace rt {

namespace {

struct CloseRequest {
  DWORD processId;
  int asked = 0;
};

BOOL CALLBACK AskIfOwnedBy(HWND window, LPARAM parameter) {
  auto* request = reinterpret_cast<CloseRequest*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  // Posted, never sent: a sent message waits for the other program's thread, which may be
  // hung, and would hold the caller (the install, and an updater being closed) with it.
  if (owner == request->processId && PostMessageA(window, WM_CLOSE, 0, 0)) ++request->asked;
  return TRUE;
}

}  // namespace

int AskWindowsToClose(DWORD processId) {
  CloseRequest request{processId};
  EnumWindows(AskIfOwnedBy, reinterpret_cast<LPARAM>(&request));
  return request.asked;
}

}  // namespace rt
