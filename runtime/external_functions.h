// Functions of system libraries that the program declares by library and function name and
// binds on their first call.
//
//   constexpr rt::ExternalFunction kTable[] = {{"Wininet.dll", "InternetOpenA"}, ...};
//   rt::PrepareExternalFunctions(kTable, 7);             // once, at start-up
//   uintptr_t handle = rt::CallExternal(1, {Word(agent), 4, 0, 0, 0});
//
// CallExternal passes pointer-sized argument words in the platform's standard calling
// convention. On 32-bit Windows the callee removes its arguments: when the stack pointer is
// not where it was before the call, the declaration does not match the function and the
// program ends with the fatal error 6. On 64-bit Windows the caller removes them, so a wrong
// declaration cannot move the stack pointer there. A function that cannot be bound ends the
// program too.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace rt {

struct ExternalFunction {
  // Empty: searched in the default system libraries. Containing ":": an absolute path. Else a
  // file name, looked for in the run directory first, then by the system's search order.
  const char* library;
  // The exported name, or "#" and a decimal ordinal (taken modulo 65536).
  const char* function;
};

// The libraries tried, in this order, for an entry without a library name.
inline constexpr const char* kDefaultLibraries[] = {"Kernel32.dll", "Gdi32.dll",  "User32.dll",
                                                    "Advapi32.dll", "Mpr.dll",    "Shell32.dll"};

// The most entries a program's table may have.
inline constexpr int32_t kMaxExternalFunctions = 64;

// Installs the program's table; entries are bound on their first call, not here. A table of
// more than kMaxExternalFunctions entries is a fatal error.
void PrepareExternalFunctions(const ExternalFunction* table, int32_t count);

// The address of entry index, binding it on first use. Never returns on failure, nor for an
// index outside the installed table.
void* BindExternalFunction(int32_t index);

// The module that supplied entry index's address, or null while it is unbound.
void* ExternalFunctionModule(int32_t index);

// Raises the fatal "stack error" when the stack pointer moved across an external call.
void StackCheck(uintptr_t before, uintptr_t after);

// Calls entry index with the argument words; returns the function's result, pointer-sized (a
// declared 32-bit integer result is its low half).
uintptr_t CallExternal(int32_t index, std::initializer_list<uintptr_t> words);

// The result of a function declared to return a 32-bit integer or BOOL: the low half of the
// result word (on 64-bit Windows the upper half of the result register is undefined then).
inline uint32_t LowWord(uintptr_t result) { return static_cast<uint32_t>(result); }

// A pointer as an argument word.
inline uintptr_t Word(const void* p) { return reinterpret_cast<uintptr_t>(p); }

// Unloads every library that a binding loaded; part of the end of the program.
void UnloadExternalLibraries();

}  // namespace rt
