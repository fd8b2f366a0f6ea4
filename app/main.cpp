#include <windows.h>

#include <cstdint>

namespace app {

int32_t ProgramEntry() { return 0; }

}  // namespace app

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return app::ProgramEntry(); }
