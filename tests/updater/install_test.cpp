// The install in the worker's own calls, in this process: keeping the old executable, stopping
// the running application, moving the held download over its executable, each written to the
// disk before the next; and the probation's watch of the new version.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "runtime/args.h"
#include "runtime/held_file.h"
#include "tests/driver/debug_output.h"
#include "tests/driver/driver.h"
#include "tests/driver/import_slots.h"
#include "tests/driver/test_files.h"
#include "updater/install.h"
#include "updater/kept_copy.h"
#include "updater/probation.h"
#include "updater/raised_install.h"
#include "updater/worker_phase.h"

namespace {

std::string Build(const char* name) { return driver::ProgramDirectory() + "\\" + name; }

// The file system calls of this process that reach the disk, in their order, with the file
// names (those in `directory` only): the imports of this program pointed at recorders.
class DiskCalls {
 public:
  explicit DiskCalls(const std::string& directory) {
    directory_ = "\\" + directory.substr(directory.find_last_of('\\') + 1) + "\\";  // as any path spells it
    calls_.clear();
    createFile_ = driver::ReplaceImport("CreateFileA", reinterpret_cast<void*>(CreateFile));
    flush_ = driver::ReplaceImport("FlushFileBuffers", reinterpret_cast<void*>(Flush));
    setInformation_ = driver::ReplaceImport("SetFileInformationByHandle", reinterpret_cast<void*>(SetInformation));
    moveFileEx_ = driver::ReplaceImport("MoveFileExA", reinterpret_cast<void*>(MoveFileEx));
  }
  ~DiskCalls() {
    driver::ReplaceImport("CreateFileA", createFile_);
    driver::ReplaceImport("FlushFileBuffers", flush_);
    driver::ReplaceImport("SetFileInformationByHandle", setInformation_);
    driver::ReplaceImport("MoveFileExA", moveFileEx_);
  }
  const std::vector<std::string>& calls() const { return calls_; }

 private:
  static std::string NameIn(const std::string& path) {
    const size_t at = path.find(directory_);
    return at == std::string::npos ? "" : path.substr(at + directory_.size());
  }
  static std::string NameOf(HANDLE file) {
    char path[MAX_PATH * 2];
    const DWORD length = GetFinalPathNameByHandleA(file, path, sizeof path, 0);
    return length > 0 && length < sizeof path ? NameIn(path) : "";
  }
  static void Record(const std::string& name, const std::string& call) {
    if (!name.empty()) calls_.push_back(call);
  }
  static HANDLE WINAPI CreateFile(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD how,
                                  DWORD flags, HANDLE model) {
    const std::string name = NameIn(path);
    if (how == CREATE_ALWAYS) {
      Record(name, "create " + name + ((flags & FILE_FLAG_WRITE_THROUGH) != 0 ? " written through" : ""));
    }
    return reinterpret_cast<decltype(&CreateFileA)>(createFile_)(path, access, share, security, how, flags, model);
  }
  static BOOL WINAPI Flush(HANDLE file) {
    Record(NameOf(file), "flush " + NameOf(file));
    return reinterpret_cast<decltype(&FlushFileBuffers)>(flush_)(file);
  }
  static BOOL WINAPI SetInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID information, DWORD size) {
    if (kind == FileRenameInfo) Record(NameOf(file), "rename " + NameOf(file));
    return reinterpret_cast<decltype(&SetFileInformationByHandle)>(setInformation_)(file, kind, information, size);
  }
  static BOOL WINAPI MoveFileEx(LPCSTR from, LPCSTR to, DWORD flags) {
    Record(NameIn(from), "move " + NameIn(from) + " to " + NameIn(to) + " flags=" + std::to_string(flags));
    return reinterpret_cast<decltype(&MoveFileExA)>(moveFileEx_)(from, to, flags);
  }

  static inline std::string directory_;
  static inline std::vector<std::string> calls_;
  static inline void *createFile_, *flush_, *setInformation_, *moveFileEx_;
};

// After a power cut at any moment the directory holds a complete old or new executable: the copy
// is written through and flushed before anything else, the download is flushed before it is
// renamed over the executable, and the rename is flushed; the copy goes back by a move written
// through.
TEST(Install, EveryStepIsOnTheDiskBeforeTheNext) {
  driver::TempDirectory dir("install");
  const std::string executable = dir / "Corvane.exe";
  ASSERT_TRUE(driver::CopyFileTo(Build("demo_app_old.exe"), executable));
  ASSERT_TRUE(driver::CopyFileTo(Build("demo_app_new.exe"), dir / "download.tmp"));
  rt::HeldFile held(rt::CallInt(rt::HoldFile, rt::TextArg((dir / "download.tmp").c_str())));
  ASSERT_TRUE(held);
  {
    const DiskCalls disk(dir.path());
    EXPECT_EQ(updater::PutInPlace(held, executable.c_str()), updater::InstallResult::Installed);
    held.reset();  // as the worker lets go of it before the probation
    EXPECT_TRUE(updater::PutCopyBack(executable.c_str()));
    EXPECT_EQ(disk.calls(), (std::vector<std::string>{"create Corvane.exe.bak written through", "flush Corvane.exe.bak",
                                                      "flush download.tmp", "rename download.tmp", "flush Corvane.exe",
                                                      "move Corvane.exe.bak to Corvane.exe flags=9"}));
  }
  EXPECT_EQ(driver::ReadWholeFile(executable), driver::ReadWholeFile(Build("demo_app_old.exe")));
  EXPECT_FALSE(driver::ReadWholeFile(dir / "Corvane.exe.bak").has_value());
}

// A copy that cannot be made (another program holds an earlier one) is a refusal: nothing is
// stopped or moved, and the executable stays the old one.
TEST(Install, NoCopyNoInstall) {
  driver::TempDirectory dir("install");
  const std::string executable = dir / "Corvane.exe";
  ASSERT_TRUE(driver::CopyFileTo(Build("demo_app_old.exe"), executable));
  ASSERT_TRUE(driver::CopyFileTo(Build("demo_app_new.exe"), dir / "download.tmp"));
  ASSERT_TRUE(driver::WriteWholeFile(dir / "Corvane.exe.bak", "earlier"));
  HANDLE earlier = CreateFileA((dir / "Corvane.exe.bak").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(earlier, INVALID_HANDLE_VALUE);
  const rt::HeldFile held(rt::CallInt(rt::HoldFile, rt::TextArg((dir / "download.tmp").c_str())));
  driver::DebugOutputRecorder trace;
  EXPECT_EQ(updater::PutInPlace(held, executable.c_str()), updater::InstallResult::NoCopy);
  CloseHandle(earlier);
  EXPECT_EQ(trace.LinesWith("CorvaneUpdater:"),
            (std::vector<std::string>{"CorvaneUpdater: install: cannot keep the old executable path=\"" + executable +
                                      ".bak\" error=32"}));
  EXPECT_EQ(driver::ReadWholeFile(executable), driver::ReadWholeFile(Build("demo_app_old.exe")));
  EXPECT_EQ(driver::ReadWholeFile(dir / "Corvane.exe.bak"), "earlier");
}

// A run directory whose executable is gone is repaired: nothing is kept, and an earlier copy,
// which is not this install's way back, goes.
TEST(Install, WithoutAnExecutableNothingIsKeptAndTheDownloadGoesIn) {
  driver::TempDirectory dir("install");
  const std::string executable = dir / "Corvane.exe";
  ASSERT_TRUE(driver::CopyFileTo(Build("demo_app_new.exe"), dir / "download.tmp"));
  ASSERT_TRUE(driver::WriteWholeFile(dir / "Corvane.exe.bak", "earlier"));
  const rt::HeldFile held(rt::CallInt(rt::HoldFile, rt::TextArg((dir / "download.tmp").c_str())));
  driver::DebugOutputRecorder trace;
  EXPECT_EQ(updater::PutInPlace(held, executable.c_str()), updater::InstallResult::Installed);
  EXPECT_EQ(trace.LinesWith("CorvaneUpdater:"),
            (std::vector<std::string>{"CorvaneUpdater: install: no old executable to keep path=\"" + executable + "\""}));
  EXPECT_EQ(driver::ReadWholeFile(executable), driver::ReadWholeFile(Build("demo_app_new.exe")));
  EXPECT_FALSE(driver::ReadWholeFile(dir / "Corvane.exe.bak").has_value());
}

// What this process asked the system to start through ShellExecuteExW, answered by the test:
// refused with `error`, or by a program that ends with `exitCode`.
class RaisedRequests {
 public:
  RaisedRequests(DWORD error, DWORD exitCode) {
    error_ = error;
    exitCode_ = exitCode;
    requests_.clear();
    system_ = driver::ReplaceImport("ShellExecuteExW", reinterpret_cast<void*>(Execute));
  }
  ~RaisedRequests() { driver::ReplaceImport("ShellExecuteExW", system_); }
  const std::vector<std::wstring>& requests() const { return requests_; }

 private:
  static BOOL WINAPI Execute(SHELLEXECUTEINFOW* request) {
    requests_.push_back(std::wstring(request->lpVerb) + L"|" + request->lpFile + L"|" + request->lpParameters + L"|" +
                        std::to_wstring(request->nShow) + L"|" + std::to_wstring(request->fMask));
    if (error_ != 0) {
      SetLastError(error_);
      return FALSE;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created{};
    std::wstring line = L"cmd.exe /c exit " + std::to_wstring(exitCode_);
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &created)) {
      return FALSE;
    }
    CloseHandle(created.hThread);
    request->hProcess = created.hProcess;
    return TRUE;
  }
  static inline DWORD error_, exitCode_;
  static inline std::vector<std::wstring> requests_;
  static inline void* system_;
};

// Where the folder needs raised rights the updater asks to start itself raised, hidden, with
// the install's two paths and its own process id, and waits for it; its exit code, or the
// user's no, is the window's outcome.
TEST(Install, ARaisedInstallIsAskedForWithItsPathsAndItsOutcomeReadBack) {
  struct Case {
    const char* name;
    DWORD error, exitCode;
    updater::InstallResult result;
    std::string refusal;
  } const cases[] = {
      {"the user says no", ERROR_CANCELLED, 0, updater::InstallResult::NotPermitted, ""},
      {"it cannot start", ERROR_FILE_NOT_FOUND, 0, updater::InstallResult::NotPermitted, ""},
      {"installed", 0, updater::kRaisedInstalled, updater::InstallResult::Installed, ""},
      {"no copy kept", 0, updater::kRaisedNoCopy, updater::InstallResult::NoCopy, ""},
      {"the raised run refuses its task", 0, updater::kRaisedNotPermitted, updater::InstallResult::NotPermitted, ""},
      {"the folder takes no file even so", 0, updater::kRaisedCannotCopyIn, updater::InstallResult::FolderNotWritable, ""},
      {"its check refuses the signature", 0, updater::kRaisedRefusedFirst + 3, updater::InstallResult::Refused,
       "下载的文件签名无效，更新失败！"},
      {"its check refuses an older version", 0, updater::kRaisedRefusedFirst + 5, updater::InstallResult::Refused,
       "下载的文件版本较旧，更新失败！"},
      {"a code past the checks", 0, updater::kRaisedRefusedFirst + 9, updater::InstallResult::NotReplaced, ""},
      {"it crashed", 0, 1, updater::InstallResult::NotReplaced, ""},
  };
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring expected = std::wstring(L"runas|") + self + L"|/install \"C:\\Temp\\更新文件.tmp\" \"C:\\Program Files\\Corvane\\Corvane.exe\" " +
                                std::to_wstring(GetCurrentProcessId()) + L"|0|" +
                                std::to_wstring(SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI);
  for (const Case& c : cases) {
    const RaisedRequests system(c.error, c.exitCode);
    const char* refusal = nullptr;
    EXPECT_EQ(updater::InstallWithRaisedRights("C:\\Temp\\更新文件.tmp", "C:\\Program Files\\Corvane\\Corvane.exe", &refusal),
              c.result)
        << c.name;
    EXPECT_EQ(refusal != nullptr ? refusal : "", c.refusal) << c.name;
    EXPECT_EQ(system.requests(), std::vector<std::wstring>{expected}) << c.name;
  }
}

// Wine's debugger attaches to a program that crashes; without its dialog it ends the program at
// once, as Windows does.
class NoCrashDialog {
 public:
  NoCrashDialog() {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\WineDbg", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    const DWORD off = 0;
    RegSetValueExA(key_, "ShowCrashDialog", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof off);
  }
  ~NoCrashDialog() {
    RegDeleteValueA(key_, "ShowCrashDialog");
    RegCloseKey(key_);
  }

 private:
  HKEY key_ = nullptr;
};

// What the probation makes of a new version that ends at once, by its exit code (a crash's is
// the exception's); a probation given up judges nothing.
TEST(Probation, AVersionThatEndsAtOnceHasStartedOnlyWithExitCodeZero) {
  const NoCrashDialog noDialog;
  struct Case {
    const char* build;
    bool givenUp;
    updater::Verdict verdict;
    std::vector<std::string> trace;
  };
  const Case cases[] = {
      {"demo_app_exit3.exe", false, updater::Verdict::CannotStart,
       {"CorvaneUpdater: probation: the new version ended exit=3"}},
      {"demo_app_exit0.exe", false, updater::Verdict::Started, {}},
      {"demo_app_crash.exe", false, updater::Verdict::CannotStart,
       {"CorvaneUpdater: probation: the new version ended exit=3221225477"}},
      {"demo_app_exit3.exe", true, updater::Verdict::GivenUp, {}},
      {"no-such-build.exe", false, updater::Verdict::CannotStart,
       {"CorvaneUpdater: probation: the new version cannot be started error=2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.build);
    updater::EnterDownloading();
    updater::BeginInstall();
    updater::EndInstall(true);
    ASSERT_TRUE(updater::BeginProbation());
    if (c.givenUp) updater::GiveUpProbation();
    driver::DebugOutputRecorder trace;
    EXPECT_EQ(updater::WatchNewVersion(Build(c.build).c_str()), c.verdict);
    EXPECT_EQ(trace.LinesWith("CorvaneUpdater:"), c.trace);
    updater::ConcludeProbation();
    updater::EndProbation();
  }
}

// An application this user may not end (another user's, say) is not stopped, and the move is
// not tried while it runs; once it has ended, the same held download goes in.
TEST(Install, AnApplicationThatMayNotBeEndedIsNotMovedOver) {
  driver::TempDirectory dir("install");
  const std::string executable = dir / "Corvane.exe";
  const std::string download = dir / "更新文件.tmp";
  ASSERT_TRUE(driver::CopyFileTo(Build("demo_app_old.exe"), executable));
  ASSERT_TRUE(driver::CopyFileTo(Build("demo_app_new.exe"), download));
  driver::Process application = driver::Process::Start("\"" + executable + "\"", dir.path());
  ASSERT_NE(driver::FindWindowByTitle("Corvane 1.0", application.id(), 30000), nullptr);
  ASSERT_TRUE(application.DenyEnding());
  const rt::HeldFile held(rt::CallInt(rt::HoldFile, rt::TextArg(download.c_str())));
  ASSERT_TRUE(held);

  driver::DebugOutputRecorder trace;
  EXPECT_EQ(updater::PutInPlace(held, executable.c_str()), updater::InstallResult::NotReplaced);
  EXPECT_EQ(trace.LinesWith("CorvaneUpdater:"),
            (std::vector<std::string>{
                "CorvaneUpdater: stop: a process could not be ended pid=" + std::to_string(application.id()) +
                    " error=5",
                "CorvaneUpdater: install: the application could not be stopped path=\"" + executable + "\""}));
  EXPECT_FALSE(application.WaitForExit(0).has_value());
  EXPECT_EQ(driver::ReadWholeFile(executable), driver::ReadWholeFile(Build("demo_app_old.exe")));
  EXPECT_FALSE(driver::ReadWholeFile(dir / "Corvane.exe.bak").has_value()) << "the copy of an executable kept";

  application.Kill();
  ASSERT_TRUE(application.WaitForExit(10000).has_value());
  EXPECT_EQ(updater::PutInPlace(held, executable.c_str()), updater::InstallResult::Installed);
  EXPECT_EQ(driver::ReadWholeFile(executable), driver::ReadWholeFile(Build("demo_app_new.exe")));
}

}  // namespace
