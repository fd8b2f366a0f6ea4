#include "runtime/external_functions.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/fatal_error.h"
#include "runtime/program_path.h"

// The thunk of the build's architecture (external_call_thunk_<processor>.S).
extern "C" uintptr_t corvane_external_call(void* function, const uintptr_t* words, int32_t count,
                                           uintptr_t* stackPointers);

namespace rt {

namespace {

// The program's table and, per entry, the bound address and the module that supplied it.
// Bound on the worker thread; a race between two binders would store the same values.
const ExternalFunction* g_table = nullptr;
int32_t g_count = 0;
std::atomic<void*> g_addresses[kMaxExternalFunctions];
std::atomic<HMODULE> g_modules[kMaxExternalFunctions];

FARPROC Lookup(HMODULE module, const char* function) {
  if (function[0] == '#') {
    const auto ordinal = static_cast<WORD>(std::strtoul(function + 1, nullptr, 10) % 65536);
    return GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
  }
  return GetProcAddress(module, function);
}

HMODULE LoadNamedLibrary(const char* library) {
  if (std::strchr(library, ':') != nullptr) return LoadLibraryA(library);
  const std::string besideProgram = std::string(RunDirectory()) + "\\" + library;
  HMODULE module = LoadLibraryA(besideProgram.c_str());
  return module != nullptr ? module : LoadLibraryA(library);
}

// Tries the default libraries in order, unloading each that lacks the function.
void BindFromDefaultLibraries(int32_t index, const char* function) {
  for (const char* library : kDefaultLibraries) {
    HMODULE module = LoadLibraryA(library);
    if (module == nullptr) continue;
    if (FARPROC address = Lookup(module, function)) {
      g_modules[index] = module;
      g_addresses[index] = reinterpret_cast<void*>(address);
      return;
    }
    FreeLibrary(module);
  }
}

[[noreturn]] void ReportUnboundFunction(const ExternalFunction& entry) {
  char message[768];
  if (entry.library[0] != '\0') {
    std::snprintf(message, sizeof message, "无法找到指定DLL库文件“%s”中的输出命令“%s”", entry.library, entry.function);
  } else {
    std::snprintf(message, sizeof message, "无法找到指定DLL库文件中的输出命令“%s”", entry.function);
  }
  FatalRuntimeError(message, 0);
}

}  // namespace

void PrepareExternalFunctions(const ExternalFunction* table, int32_t count) {
  // Entries past the runtime's slots could never be bound: a broken program, told at start-up.
  if (count < 0 || count > kMaxExternalFunctions) FatalRuntimeError("声明的DLL命令过多", 0);
  g_table = table;
  g_count = count;
}

void* BindExternalFunction(int32_t index) {
  if (index < 0 || index >= g_count) FatalRuntimeError("调用了未声明的DLL命令", 0);
  if (void* address = g_addresses[index].load()) return address;
  const ExternalFunction& entry = g_table[index];
  if (entry.library[0] == '\0') {
    BindFromDefaultLibraries(index, entry.function);
  } else if (HMODULE module = LoadNamedLibrary(entry.library)) {
    if (FARPROC address = Lookup(module, entry.function)) {
      g_modules[index] = module;
      g_addresses[index] = reinterpret_cast<void*>(address);
    } else {
      FreeLibrary(module);
    }
  }
  if (void* address = g_addresses[index].load()) return address;
  ReportUnboundFunction(entry);
}

void* ExternalFunctionModule(int32_t index) { return g_modules[index].load(); }

void StackCheck(uintptr_t before, uintptr_t after) {
  if (before != after) FatalRuntimeError("调用DLL命令后发现堆栈错误", 6);
}

uintptr_t CallExternal(int32_t index, std::initializer_list<uintptr_t> words) {
  void* function = BindExternalFunction(index);
  uintptr_t stackPointers[2] = {0, 0};
  const uintptr_t result =
      corvane_external_call(function, words.begin(), static_cast<int32_t>(words.size()), stackPointers);
  StackCheck(stackPointers[0], stackPointers[1]);
  return result;
}

void UnloadExternalLibraries() {
  for (int32_t i = 0; i < g_count; ++i) {
    g_addresses[i] = nullptr;
    if (HMODULE module = g_modules[i].exchange(nullptr)) FreeLibrary(module);
  }
}

}  // namespace rt
