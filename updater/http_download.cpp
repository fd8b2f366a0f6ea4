#include "updater/http_download.h"

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/args.h"
#include "runtime/bytes_ops.h"
#include "runtime/clock.h"
#include "runtime/files.h"
#include "runtime/gbk.h"
#include "runtime/messages.h"
#include "runtime/number_ops.h"
#include "runtime/open_files.h"
#include "runtime/text_ops.h"
#include "runtime/trace.h"
#include "updater/declared_functions.h"
#include "updater/globals.h"
#include "updater/http_request.h"

namespace updater {

namespace {

// The request header block, 156 bytes, without a final line break.
constexpr char kRequestHeaders[] =
    "Accept: */*\r\nAccept-Language: zh-cn\r\nAccept-Encoding: gzip, deflate\r\n"
    "User-Agent: Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)";
static_assert(sizeof kRequestHeaders - 1 == 156, "the header block is 156 bytes");

// The functions are bound by name at run time; their constants come from the platform's header.
constexpr uint32_t kContentLengthQuery = HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER;
constexpr uint32_t kStatusQuery = HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER;
constexpr uint32_t kDirectOpen = INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY;
constexpr uint32_t kProxyOpen = INTERNET_OPEN_TYPE_PRECONFIG;
static_assert(kContentLengthQuery == 0x20000005 && kStatusQuery == 0x20000013);
constexpr int32_t kChunkSize = 10240;
// The most bytes a download may bring. Corvane.exe is a few MB, and no 32-bit program's image
// comes near 2 GiB; a body without a length, or with a false one, must not fill the disk first.
constexpr int64_t kLongestDownload = int64_t{512} * 1024 * 1024;

constexpr char kNoConnection[] = "Internet连接错误!";
constexpr char kCannotOpenUrl[] = "不能打开该URL!";
constexpr char kCannotOpenFile[] = "不能打开本地的文件!";
constexpr char kReadFailed[] = "读文件出错!";
constexpr char kWriteFailed[] = "写文件出错!";
constexpr char kTooLong[] = "下载的文件过大，更新失败！";

std::atomic<bool> g_stopRequested{false};
// The internet handle of the running download; whoever takes it out closes it.
std::atomic<uintptr_t> g_session{0};

void CloseInternetHandle(uintptr_t handle) {
  if (handle != 0) CallDeclared(Declared::InternetCloseHandle, {handle});
}

// The session handle, published so that a stop request can close it from another thread.
class Session {
 public:
  explicit Session(uintptr_t handle) { g_session.store(handle); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session() { CloseInternetHandle(g_session.exchange(0)); }
  uintptr_t get() const { return g_session.load(); }
};

int32_t Uptime() { return rt::CallInt(rt::GetUptimeMs); }

// Traces a failure and why, shows it (unless the user is leaving anyway) and gives the
// failure result.
int32_t Fail(const char* message, const char* what, std::initializer_list<rt::TraceValue> why = {}) {
  rt::Trace(what, why);
  if (!g_stopRequested.load()) rt::Call(rt::ShowMessage, rt::TextArg(message), rt::Int(0));
  return -1;
}

// The read waited longer than the stall limit: WinINet's own code, or the socket's (WSAETIMEDOUT).
constexpr uint32_t kSocketTimedOut = 10060;
bool TimedOut(uint32_t error) { return error == ERROR_INTERNET_TIMEOUT || error == kSocketTimedOut; }

// Whether a break can be continued: the file holds bytes, the server named their version, and
// the user is not leaving.
bool Continuable(const DownloadContinuation& next, int64_t bytesHeld) {
  return bytesHeld > 0 && !next.validator.empty() && !g_stopRequested.load();
}

// A break is told, unless another try will continue it: then it is only traced.
int32_t Break(const DownloadContinuation& next, const char* message, const char* what,
              std::initializer_list<rt::TraceValue> why) {
  if (!(next.brokeOff && next.anotherTryFollows)) return Fail(message, what, why);
  rt::Trace(what, why);
  return -1;
}

// The local file ends with the download, whatever way it ends.
int32_t CloseAndFail(const char* message, const char* what, std::initializer_list<rt::TraceValue> why = {}) {
  rt::Call(rt::CloseFile, rt::Int(DownloadFileNo.load()));
  return Fail(message, what, why);
}

bool QueryNumber(uintptr_t request, uint32_t query, uint32_t& value) {
  uint32_t length = sizeof value;
  uint32_t index = 0;
  return CallDeclared(Declared::HttpQueryInfoA, {request, query, rt::Word(&value), rt::Word(&length),
                                                 rt::Word(&index)}) != 0;
}

// A response header as text, "" when the answer has none. name is used only for custom queries.
void QueryText(uintptr_t request, uint32_t query, const char* name, char (&value)[256]) {
  std::strncpy(value, name, sizeof value - 1);
  value[sizeof value - 1] = '\0';
  uint32_t length = sizeof value - 1;
  uint32_t index = 0;
  if (CallDeclared(Declared::HttpQueryInfoA,
                   {request, query, rt::Word(value), rt::Word(&length), rt::Word(&index)}) == 0) {
    value[0] = '\0';
  } else {
    value[length < sizeof value ? length : sizeof value - 1] = '\0';
  }
}

// Whether the body arrives compressed. A media type in the answer is no content coding (one
// WinINet reports the Content-Type there once it has decoded the body).
bool IsContentEncoded(uintptr_t request) {
  char coding[256];
  QueryText(request, HTTP_QUERY_CONTENT_ENCODING, "", coding);
  return coding[0] != '\0' && !rt::EqualIgnoringCase(coding, "identity") && std::strchr(coding, '/') == nullptr;
}

// Whether a partial answer starts at offset ("Content-Range: bytes <offset>-...").
bool RangeStartsAt(uintptr_t request, int32_t offset) {
  char range[256];
  QueryText(request, HTTP_QUERY_CUSTOM, "Content-Range", range);
  const char* digits = std::strncmp(range, "bytes ", 6) == 0 ? range + 6 : nullptr;
  return digits != nullptr && std::strtoll(digits, nullptr, 10) == offset;
}

bool LocalFileShorterThan(const char* path, int32_t length) {
  const int32_t size = rt::CallInt(rt::FileSize, rt::TextArg(path));
  return size < length;  // -1 when the file is missing
}

// The header block; a ranged request adds its Range line and, when the file's version is
// known, an If-Range line with it, so that a changed file comes whole instead of in part.
rt::OwnedText RequestHeaders(bool ranged, int32_t offset, const std::string& validator) {
  if (!ranged) return rt::OwnedText(rt::ConcatTexts(1, kRequestHeaders));
  rt::OwnedText start = rt::CallText(rt::ToText, rt::Int(offset));
  if (validator.empty()) return rt::OwnedText(rt::ConcatTexts(4, kRequestHeaders, "\r\nRange:bytes=", start.get(), "-"));
  return rt::OwnedText(
      rt::ConcatTexts(5, kRequestHeaders, "\r\nRange:bytes=", start.get(), "-\r\nIf-Range: ", validator.c_str()));
}

// How the answer names the file's version: its ETag, else its Last-Modified; "" for neither. A
// weak ETag ("W/...") cannot make a range answer (RFC 9110, If-Range), so it does not count.
std::string Validator(uintptr_t request) {
  char value[256];
  QueryText(request, HTTP_QUERY_ETAG, "", value);
  if (value[0] != '\0' && std::strncmp(value, "W/", 2) != 0) return value;
  QueryText(request, HTTP_QUERY_LAST_MODIFIED, "", value);
  return value;
}

// The whole file's size that a partial answer gives ("Content-Range: bytes 5000-9999/10000");
// without one there, the part's length after its start.
int64_t WholeSizeOfRange(uintptr_t request, int32_t start, uint32_t partLength) {
  char range[256];
  QueryText(request, HTTP_QUERY_CUSTOM, "Content-Range", range);
  const char* slash = std::strchr(range, '/');
  if (slash != nullptr && slash[1] >= '0' && slash[1] <= '9') return std::strtoll(slash + 1, nullptr, 10);
  return partLength > 0 ? int64_t{start} + partLength : 0;
}

// Opens the local file for the answer: appended to its first `start` bytes, or from empty.
int32_t OpenLocalFile(const char* path, int32_t start) {
  if (start == 0) return rt::CallInt(rt::OpenFile, rt::TextArg(path), rt::Int(4));
  const int32_t file = rt::CallInt(rt::OpenFile, rt::TextArg(path), rt::Int(5));
  if (file != 0) {
    // A longer file loses what lies beyond the part that is kept.
    rt::Call(rt::SeekFile, rt::Int(file), rt::Int(1), rt::Int(start));
    rt::Call(rt::SetFileEnd, rt::Int(file));
    rt::Call(rt::SeekToEnd, rt::Int(file));
  }
  return file;
}

// Appends the first `count` bytes of the read buffer; the buffer keeps its full size.
bool AppendChunk(rt::Bytes* buffer, uint32_t count) {
  buffer->length = static_cast<int32_t>(count);
  const bool written = rt::CallBool(rt::WriteData, rt::Int(DownloadFileNo.load()), rt::BytesArg(buffer));
  buffer->length = kChunkSize;
  return written;
}

}  // namespace

uint32_t InternetAccessFor(uint32_t connectionState) {
  const bool proxy = rt::CallInt(rt::BitAnd, rt::Int(static_cast<int32_t>(connectionState)),
                                 rt::Int(INTERNET_CONNECTION_PROXY)) != 0;
  return proxy ? kProxyOpen : kDirectOpen;
}

void RequestDownloadStop() {
  g_stopRequested.store(true);
  CloseInternetHandle(g_session.exchange(0));
}

int32_t HttpDownload(const char* url, const char* localPath, ProgressCallback progressCallback,
                     int32_t resumeOffset, bool resume, DownloadContinuation* continuation) {
  if (g_stopRequested.load()) return -1;
  DownloadContinuation alone;  // a call that nobody continues
  DownloadContinuation& next = continuation != nullptr ? *continuation : alone;
  next.brokeOff = false;
  // Continuing needs the first resumeOffset bytes; without them the file is fetched whole.
  if (resume && LocalFileShorterThan(localPath, resumeOffset)) resume = false;

  uint32_t connection = 0;
  CallDeclared(Declared::InternetGetConnectedState, {rt::Word(&connection), 0});
  rt::OwnedText uptime = rt::CallText(rt::ToText, rt::Int(Uptime()));
  rt::OwnedText agent(rt::ConcatTexts(2, "Agent", uptime.get()));
  Session session(CallDeclaredHandle(Declared::InternetOpenA,
                                     {rt::Word(agent.get()), InternetAccessFor(connection), 0, 0, 0}));
  if (session.get() == 0) return Fail(kNoConnection, "download: no internet session", {{"error", rt::LastSystemError()}});
  // Stored bytes must be the body itself, not its compressed form.
  uint32_t on = 1;
  const bool decoding = CallDeclared(Declared::InternetSetOptionA,
                                     {session.get(), INTERNET_OPTION_HTTP_DECODING, rt::Word(&on), sizeof on}) != 0;
  rt::OwnedText headers = RequestHeaders(resume, resumeOffset, next.validator);
  rt::OwnedBytes buffer = rt::CallBytes(rt::BlankBytes, rt::Int(kChunkSize));
  // A server that goes quiet (no answer, or a body that stops) makes the read fail after the
  // limit, like a dropped connection.
  const HttpRequest request(session.get(), url, headers.get(), next.stallLimitMs);
  if (request.get() == 0) {
    // Where the file holds a part to continue, an outage is one more break.
    const uint32_t error = rt::LastSystemError();
    next.brokeOff = resume && Continuable(next, resumeOffset);
    return Break(next, kCannotOpenUrl, "download: cannot open the address", {{"error", error}, {"url", url}});
  }

  // Only the body of a successful answer is stored: 200, or 206 for the asked-for range.
  uint32_t status = 0;
  QueryNumber(request.get(), kStatusQuery, status);
  const bool partial = resume && status == 206;
  if (!(status == 200 || partial) || (partial && !RangeStartsAt(request.get(), resumeOffset))) {
    return Fail(kCannotOpenUrl, "download: answer refused", {{"status", status}, {"resume", resume}});
  }
  const bool encoded = IsContentEncoded(request.get());
  if (encoded && !decoding) return Fail(kCannotOpenUrl, "download: compressed answer and no decoding");

  const int32_t start = partial ? resumeOffset : 0;  // a 200 answer restarts from byte 0
  DownloadFileNo.store(OpenLocalFile(localPath, start));
  if (DownloadFileNo.load() == 0) {
    return Fail(kCannotOpenFile, "download: cannot open the local file",
                {{"error", rt::LastSystemError()}, {"path", localPath}});
  }

  uint32_t total = 0;
  if (!QueryNumber(request.get(), kContentLengthQuery, total)) total = 0;
  if (!partial) next.validator = Validator(request.get());
  next.wholeSize = partial ? WholeSizeOfRange(request.get(), start, total) : total;
  const auto shownTotal = static_cast<uint32_t>(next.wholeSize);
  int64_t downloaded = start;
  const int32_t startTicks = Uptime();
  // A break keeps what arrived, so that a resume can continue it.
  auto broken = [&](const char* what, std::initializer_list<rt::TraceValue> why) {
    rt::Call(rt::CloseFile, rt::Int(DownloadFileNo.load()));
    next.brokeOff = Continuable(next, downloaded);
    return Break(next, kReadFailed, what, why);
  };
  for (;;) {
    uint32_t bytesRead = 0;
    const bool read = CallDeclared(Declared::InternetReadFile, {request.get(), rt::Word(buffer.get()->data()),
                                                                kChunkSize, rt::Word(&bytesRead)}) != 0;
    const uint32_t readError = read ? 0 : rt::LastSystemError();
    if (g_stopRequested.load()) return CloseAndFail(kReadFailed, "download: stopped", {{"received", downloaded}});
    if (!read && TimedOut(readError)) {
      return broken("download: the answer stalled", {{"error", readError}, {"received", downloaded}});
    }
    if (!read) return broken("download: read failed", {{"error", readError}, {"received", downloaded}});
    if (bytesRead == 0) break;
    if (downloaded - start + bytesRead > kLongestDownload) {
      rt::Call(rt::CloseFile, rt::Int(DownloadFileNo.load()));
      rt::Call(rt::RemoveFile, rt::TextArg(localPath));
      return Fail(kTooLong, "download: the answer passes the limit",
                  {{"received", downloaded - start + bytesRead}, {"limit", kLongestDownload}});
    }
    if (!AppendChunk(buffer.get(), bytesRead)) {
      return CloseAndFail(kWriteFailed, "download: write failed", {{"error", rt::LastSystemError()}});
    }
    downloaded += bytesRead;
    // The count wraps: the difference is taken in 32 bits, without a signed overflow.
    int32_t elapsedMs = static_cast<int32_t>(static_cast<uint32_t>(Uptime()) - static_cast<uint32_t>(startTicks));
    if (elapsedMs == 0) elapsedMs = 10;
    CallDeclared(Declared::CallWindowProcA,
                 {rt::Word(reinterpret_cast<const void*>(progressCallback)), shownTotal,
                  static_cast<uint32_t>(downloaded), static_cast<uint32_t>(elapsedMs),
                  static_cast<uint32_t>(downloaded - start)});
  }
  // A body that ends short of its announced length is not the file (unless it was decoded,
  // when the length counts compressed bytes).
  if (total > 0 && !encoded && downloaded - start < static_cast<int64_t>(total)) {
    return broken("download: the answer ended short", {{"received", downloaded - start}, {"announced", total}});
  }
  rt::Call(rt::CloseFile, rt::Int(DownloadFileNo.load()));
  return 0;
}

}  // namespace updater
