#include "runtime/args.h"
#include "runtime/config.h"
#include "runtime/files.h"
#include "runtime/messages.h"
#include "runtime/program_state.h"
#include "runtime/text_ops.h"
#include "runtime/trace.h"
#include "runtime/xp_style.h"
#include "updater/globals.h"
#include "updater/handlers.h"
#include "updater/run_directory_files.h"
#include "updater/window_access.h"

namespace updater {

namespace {

// One value of an INI file of the run directory, read afresh.
rt::OwnedText ReadSetting(const char* file, const char* section, const char* key) {
  rt::OwnedText path = RunDirectoryFile(file);
  return rt::CallText(rt::ReadConfigItem, rt::TextArg(path), rt::TextArg(section), rt::TextArg(key));
}

void RemoveRunDirectoryFile(const char* file) {
  rt::OwnedText path = RunDirectoryFile(file);
  rt::Call(rt::RemoveFile, rt::TextArg(path));
}

// The announced checksum, in lower case. A value that is not a checksum stays as it is, so
// that no download can match it and nothing is installed from a garbled announcement.
rt::OwnedText AnnouncedSha256() {
  rt::OwnedText value = ReadSetting(kHandOffFile, "gx", "sha256");
  for (char* c = value.get(); c != nullptr && *c != '\0'; ++c) {
    if (*c >= 'A' && *c <= 'F') *c = static_cast<char>(*c - 'A' + 'a');
  }
  return value;
}

}  // namespace

void OnWindowCreated() {
  rt::Call(rt::ApplyXpStyle, rt::Int(2));
  RemoveRunDirectoryFile(kTemporaryFile);
  SetCaption(ui::编辑框1, ReadSetting(kHandOffFile, "配置", "文件名").get());

  rt::OwnedText flag = ReadSetting(kHandOffFile, "gx", "gx");
  if (rt::CompareTexts(flag.get(), "1") != 0) {
    rt::Trace("hand-off: no update announced", {{"gx", flag.c_str()}});
    rt::Call(rt::ShowMessage, rt::TextArg("暂未发现新版，请耐心等待！"), rt::Int(0), rt::TextArg("温馨提示"));
    RemoveRunDirectoryFile(kHandOffFile);
    rt::EndProgram(0);
  }

  AppName = rt::OwnedText(rt::ConcatTexts(1, kApplicationName));
  DownloadUrl = ReadSetting(kHandOffFile, "gx", "xz");
  ExpectedSha256 = AnnouncedSha256();
  rt::OwnedText version = ReadSetting(kClientConfigFile, "Soft_Config", "banben");
  rt::OwnedText versionCaption(rt::ConcatTexts(2, "本地版本号:", version.get()));
  SetCaption(ui::标签1, versionCaption.get());
  RemoveRunDirectoryFile(kHandOffFile);
}

}  // namespace updater
