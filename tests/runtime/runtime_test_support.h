// Shared pieces of the runtime tests.
#pragma once

#include <string>

#include "runtime/args.h"
#include "runtime/owned.h"

namespace rt::testing {

// A Text argument from a std::string.
inline ArgRecord Txt(const std::string& text) { return TextArg(text.c_str()); }

// The Text result of an operation as a std::string, and whether it was null.
struct TextResult {
  bool null;
  std::string text;
};

inline TextResult TakeText(OwnedText text) { return {text.get() == nullptr, text.c_str()}; }

}  // namespace rt::testing
