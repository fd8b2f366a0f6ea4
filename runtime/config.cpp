#include "runtime/config.h"

#include <windows.h>

#include <cstring>

#include "runtime/command.h"
#include "runtime/memory.h"

namespace rt {

namespace {

constexpr DWORD kValueBufferSize = 10240;

const char* SkipLeadingBlanks(const char* text) {
  while (*text != '\0' && static_cast<unsigned char>(*text) <= 32) ++text;
  return text;
}

}  // namespace

void ReadConfigItem(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const char* file = SkipLeadingBlanks(TextOf(ArgAt(argc, args, 0)));
  const char* section = SkipLeadingBlanks(TextOf(ArgAt(argc, args, 1)));
  const char* key = SkipLeadingBlanks(TextOf(ArgAt(argc, args, 2)));
  if (*file == '\0' || *section == '\0' || *key == '\0') return;
  const char* fallback = TextOf(ArgAt(argc, args, 3));

  char value[kValueBufferSize];
  const DWORD length = GetPrivateProfileStringA(section, key, fallback, value, kValueBufferSize, file);
  if (length == 0) return;
  auto* copy = static_cast<char*>(RuntimeAlloc(length + 1));
  std::memcpy(copy, value, length);
  copy[length] = '\0';
  SetPointer(result, copy);
}

}  // namespace rt
