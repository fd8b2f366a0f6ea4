#include "updater/install.h"

#include <cstdio>
#include <optional>

#include "runtime/args.h"
#include "runtime/clock.h"
#include "runtime/code_signature.h"
#include "runtime/durable_files.h"
#include "runtime/executable_info.h"
#include "runtime/file_hash.h"
#include "runtime/files.h"
#include "runtime/held_file.h"
#include "runtime/messages.h"
#include "runtime/processes.h"
#include "runtime/text_ops.h"
#include "runtime/trace.h"
#include "runtime/version_resource.h"
#include "updater/failed_version.h"
#include "updater/globals.h"
#include "updater/kept_copy.h"

namespace updater {

namespace {

constexpr char kEmptyDownload[] = "下载的文件是空的，更新失败！";
constexpr char kIncompleteProgram[] = "下载的文件不是完整的程序，更新失败！";
constexpr char kChecksumMismatch[] = "下载的文件校验失败，更新失败！";
constexpr char kBadSignature[] = "下载的文件签名无效，更新失败！";
constexpr char kWrongMachine[] = "下载的文件不能在本系统上运行，更新失败！";
constexpr char kOlderVersion[] = "下载的文件版本较旧，更新失败！";
constexpr char kOtherProduct[] = "下载的文件不是本软件，更新失败！";
constexpr char kUnreadableInstalledVersion[] = "本软件的版本信息无法读取，更新失败！";
constexpr char kCannotReplace[] = "更新失败，请关闭主程序后重试！";
constexpr char kNoCopy[] = "无法保留原来的版本，更新失败！";
constexpr char kCouldNotStart[] = "该版本无法启动，已拒绝安装！";
constexpr char kNeedsAdministrator[] = "需要管理员权限才能更新，更新已取消！";
constexpr char kFolderNotWritable[] = "无法写入软件所在的文件夹，更新失败！";

// Every box a check of the download may give, in a fixed order: a raised install reports its
// refusal by the index here.
constexpr const char* kRefusals[] = {kEmptyDownload, kIncompleteProgram,         kChecksumMismatch, kBadSignature,
                                     kWrongMachine,  kOlderVersion,              kOtherProduct,     kCouldNotStart,
                                     kUnreadableInstalledVersion};

constexpr int32_t kStopAttempts = 20;
constexpr int32_t kEndWaitMs = 3000;
constexpr int32_t kReplaceAttempts = 20;
constexpr int32_t kPollMs = 50;

void Pause(int32_t ms) { rt::Call(rt::Delay, rt::Int(ms)); }

std::optional<rt::FileVersionNumber> VersionOf(const rt::ArgRecord& file) {
  const rt::ArgRecord version = rt::Call(rt::FileVersion, file);
  if (version.tag != rt::TypeTag::Int64) return std::nullopt;
  return rt::FileVersionNumber::FromPacked(static_cast<uint64_t>(version.AsInt64()));
}

// "major.minor.build.revision", for a trace line.
struct VersionText {
  explicit VersionText(const rt::FileVersionNumber& version) {
    const auto& v = version.parts;
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", unsigned{v[0]}, unsigned{v[1]}, unsigned{v[2]}, unsigned{v[3]});
  }
  char text[24];
};

// Traces the check that refused the download, and gives the box that tells the user.
const char* Refusal(const char* message, const char* check, std::initializer_list<rt::TraceValue> why) {
  rt::Trace(check, why);
  return message;
}

// Where the installed executable carries a version, the download must carry one that is not
// lower: a release that drops its version resource would otherwise slip past the check.
const char* OlderRefusal(const rt::ArgRecord& installed, const rt::ArgRecord& download) {
  const std::optional<rt::FileVersionNumber> installedVersion = VersionOf(installed);
  if (!installedVersion) return nullptr;
  const std::optional<rt::FileVersionNumber> downloadVersion = VersionOf(download);
  if (!downloadVersion) {
    return Refusal(kOlderVersion, "check: the download carries no version",
                   {{"installed", VersionText(*installedVersion).text},
                    {"resource", rt::CallInt(rt::VersionResourceOf, download)}});
  }
  if (*downloadVersion < *installedVersion) {
    return Refusal(kOlderVersion, "check: the download is an older version",
                   {{"installed", VersionText(*installedVersion).text}, {"download", VersionText(*downloadVersion).text}});
  }
  return nullptr;
}

// Where the installed executable names its product, the download must name the same one.
const char* OtherProductRefusal(const rt::ArgRecord& installed, const rt::ArgRecord& download) {
  if (!rt::CallBool(rt::OtherProduct, installed, download)) return nullptr;
  rt::OwnedText installedName = rt::CallText(rt::ProductName, installed);
  rt::OwnedText downloadName = rt::CallText(rt::ProductName, download);
  if (downloadName.empty()) {
    return Refusal(kOtherProduct, "check: the download names no product", {{"installed", installedName.c_str()}});
  }
  return Refusal(kOtherProduct, "check: the download is another product",
                 {{"installed", installedName.c_str()}, {"download", downloadName.c_str()}});
}

// Ends every running instance of the application of this folder, each waited for, until none
// is left; false when one cannot be ended. The same program run from other folders is not ours
// to end: it does not hold this executable.
bool StopRunningApplication(const char* executablePath) {
  for (int32_t attempt = 0; attempt < kStopAttempts; ++attempt) {
    const int32_t stopped = rt::CallInt(rt::StopProcessesOf, rt::TextArg(executablePath), rt::Int(kEndWaitMs));
    if (stopped == 0) return true;
    if (stopped < 0) break;
  }
  rt::Trace("install: the application could not be stopped", {{"path", executablePath}});
  return false;
}

}  // namespace

bool SignedByInstalledPublisher(const rt::ArgRecord& download, const char* executablePath) {
  const int32_t installedSignature = rt::CallInt(rt::SignatureOf, rt::TextArg(executablePath));
  if (installedSignature == 0) return true;  // an unsigned installation takes any complete program
  // The publisher is the signer written in the installed file, whether or not its signature
  // still verifies (an expired certificate, a root removed, the file changed): a download has
  // to be signed validly by that same subject. A signature nobody can read admits nothing.
  rt::OwnedBytes publisher;
  if (installedSignature > 0) publisher = rt::CallBytes(rt::WrittenSigner, rt::TextArg(executablePath));
  if (!publisher) {
    rt::Trace("check: the installed signature cannot be read", {{"path", executablePath}, {"error", rt::LastSystemError()}});
    return false;
  }
  rt::OwnedBytes downloadSigner = rt::CallBytes(rt::VerifiedSigner, download);
  if (rt::CallBool(rt::SameSigner, rt::BytesArg(publisher), rt::BytesArg(downloadSigner))) return true;
  rt::OwnedText installedText = rt::CallText(rt::SignerText, rt::BytesArg(publisher));
  rt::OwnedText downloadText = rt::CallText(rt::SignerText, rt::BytesArg(downloadSigner));
  rt::Trace("check: the signer differs", {{"installed", installedText.c_str()}, {"download", downloadText.c_str()}});
  return false;
}

const char* OlderOrOtherProgram(const rt::ArgRecord& download, const char* executablePath) {
  const rt::ArgRecord installed = rt::TextArg(executablePath);
  // An installed version resource nobody can read leaves nothing to compare with.
  if (rt::CallInt(rt::VersionResourceOf, installed) < 0) {
    return Refusal(kUnreadableInstalledVersion, "check: the installed version resource cannot be read",
                   {{"path", executablePath}});
  }
  if (const char* refusal = OlderRefusal(installed, download)) return refusal;
  return OtherProductRefusal(installed, download);
}

const char* DownloadRefusal(const rt::HeldFile& download, const char* downloadPath, const char* executablePath) {
  if (!download) {
    return Refusal(kEmptyDownload, "check: the download cannot be held open",
                   {{"path", downloadPath}, {"error", rt::LastSystemError()}});
  }
  const rt::ArgRecord file = rt::Int(download.get());
  const int32_t size = rt::CallInt(rt::FileSize, file);
  if (size <= 0) return Refusal(kEmptyDownload, "check: the download is empty", {{"size", size}});
  // A body cut short or one that is no program at all (an error page sent as 200, say) would
  // leave an application that cannot start.
  if (!rt::CallBool(rt::IsCompleteExecutable, file)) {
    return Refusal(kIncompleteProgram, "check: not a complete executable", {{"size", size}});
  }
  const int32_t machine = rt::CallInt(rt::ExecutableMachine, file);
  if (!rt::CallBool(rt::SystemRunsMachine, rt::Int(machine))) {
    return Refusal(kWrongMachine, "check: this Windows cannot run the download", {{"machine", machine}});
  }
  if (!ExpectedSha256.empty()) {
    rt::OwnedText actual = rt::CallText(rt::FileSha256, file);
    if (actual.empty() || rt::CompareTexts(actual.get(), ExpectedSha256.get()) != 0) {
      return Refusal(kChecksumMismatch, "check: the SHA-256 differs",
                     {{"expected", ExpectedSha256.c_str()}, {"actual", actual.c_str()}});
    }
  }
  // A version that was put back once after it could not start would only fail again.
  if (CouldNotStartBefore(file)) return kCouldNotStart;
  if (!SignedByInstalledPublisher(file, executablePath)) return kBadSignature;  // the check has traced both signers
  // An older release, or another program of the publisher, is refused even when it is signed
  // as it should be.
  return OlderOrOtherProgram(file, executablePath);
}

bool DownloadIsAcceptable(const rt::HeldFile& download, const char* temporaryPath, const char* executablePath) {
  const char* refusal = DownloadRefusal(download, temporaryPath, executablePath);
  if (refusal != nullptr) Tell(refusal);
  return refusal == nullptr;
}

std::span<const char* const> RefusalTexts() { return kRefusals; }

namespace {

// A stopped process may hold its executable a moment longer; the move is tried again meanwhile.
bool ReplaceExecutable(const rt::HeldFile& download, const char* executablePath) {
  for (int32_t attempt = 0; attempt < kReplaceAttempts; ++attempt) {
    if (rt::CallBool(rt::ReplaceFileWith, rt::Int(download.get()), rt::TextArg(executablePath))) return true;
    const uint32_t error = rt::LastSystemError();
    if (attempt + 1 == kReplaceAttempts) rt::Trace("install: cannot replace the executable", {{"error", error}});
    Pause(kPollMs * 2);
  }
  return false;
}

// The download's bytes reach the disk before they take the executable's name: after a power cut
// the name never points at blocks that were not written.
bool FlushedToDisk(const rt::HeldFile& download) {
  if (rt::CallBool(rt::FlushFile, rt::Int(download.get()))) return true;
  rt::Trace("install: the download cannot be flushed", {{"error", rt::LastSystemError()}});
  return false;
}

}  // namespace

InstallResult PutInPlace(const rt::HeldFile& download, const char* executablePath) {
  // No install without a way back: the copy comes first, while the application still runs.
  if (!KeepCopyOf(executablePath)) return InstallResult::NoCopy;
  if (FlushedToDisk(download) && StopRunningApplication(executablePath) && ReplaceExecutable(download, executablePath)) {
    return InstallResult::Installed;
  }
  RemoveKeptCopy(executablePath);  // the executable is still the old one
  return InstallResult::NotReplaced;
}

void TellNotInstalled(InstallResult result) {
  switch (result) {
    case InstallResult::NoCopy: return Tell(kNoCopy);
    case InstallResult::NotPermitted: return Tell(kNeedsAdministrator);
    case InstallResult::FolderNotWritable: return Tell(kFolderNotWritable);
    default: return Tell(kCannotReplace);
  }
}

void Tell(const char* message) { rt::Call(rt::ShowMessage, rt::TextArg(message), rt::Int(0)); }

}  // namespace updater
