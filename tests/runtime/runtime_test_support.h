// Shared pieces of the runtime tests.
#pragma once

#include <windows.h>

#include <string>

#include "runtime/args.h"
#include "runtime/owned.h"
#include "tests/driver/driver.h"
#include "tests/driver/test_files.h"

namespace rt::testing {

// A Text argument from a std::string.
inline ArgRecord Txt(const std::string& text) { return TextArg(text.c_str()); }

// The Text result of an operation as a std::string, and whether it was null.
struct TextResult {
  bool null;
  std::string text;
};

inline TextResult TakeText(OwnedText text) { return {text.get() == nullptr, text.c_str()}; }

// Runs fatal_probe.exe (of the programs under test) with arguments, reads its error box, presses OK and returns the exit
// code (0xBAD when no box came or the probe did not end).
inline DWORD FatalProbeEnd(const std::string& arguments, std::string& caption, std::string& text) {
  driver::Process probe =
      driver::Process::Start("\"" + driver::ProductDirectory() + "\\fatal_probe.exe\" " + arguments);
  const auto box = driver::WaitForMessageBox(probe.id(), driver::DeadlineMs(15000));
  if (!box) {
    probe.Kill();
    return 0xBAD;
  }
  caption = box->caption;
  text = box->text;
  driver::PressOk(box->window);
  return probe.WaitForExit(driver::DeadlineMs(10000)).value_or(0xBAD);
}

}  // namespace rt::testing
