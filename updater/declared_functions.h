// The functions of system libraries that the download declares; they are bound by library
// and name on their first call.
#pragma once

#include <cstdint>

#include "runtime/external_functions.h"

namespace updater {

enum class Declared : int32_t {
  InternetGetConnectedState,
  InternetOpenA,
  InternetConnectA,
  HttpQueryInfoA,
  InternetReadFile,
  CallWindowProcA,  // no library: found among the default system libraries
  InternetCloseHandle,
  InternetSetOptionA,
  InternetCrackUrlA,
  HttpOpenRequestA,
  HttpSendRequestA,
};

constexpr int32_t DeclaredFunctionCount = 11;
static_assert(DeclaredFunctionCount <= rt::kMaxExternalFunctions, "the runtime binds at most 64 declared functions");

extern const rt::ExternalFunction DeclaredFunctions[DeclaredFunctionCount];

// Calls a declared function that returns a 32-bit integer or BOOL.
inline uint32_t CallDeclared(Declared function, std::initializer_list<uintptr_t> words) {
  return rt::LowWord(rt::CallExternal(static_cast<int32_t>(function), words));
}

// Calls a declared function that returns a handle (pointer-sized).
inline uintptr_t CallDeclaredHandle(Declared function, std::initializer_list<uintptr_t> words) {
  return rt::CallExternal(static_cast<int32_t>(function), words);
}

}  // namespace updater
