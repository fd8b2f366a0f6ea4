#include "updater/http_download.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <optional>
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
#include "updater/http_answer.h"
#include "updater/http_request.h"

namespace updater {

namespace {

// The request header block, 156 bytes, without a final line break.
constexpr char kRequestHeaders[] =
    "Accept: */*\r\nAccept-Language: zh-cn\r\nAccept-Encoding: gzip, deflate\r\n"
    "User-Agent: Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)";
static_assert(sizeof kRequestHeaders - 1 == 156, "the header block is 156 bytes");
// A resumed request asks for the stored bytes themselves: offsets count those, and a part of a
// compressed stream could not be joined to the bytes already decoded.
constexpr char kRangedRequestHeaders[] =
    "Accept: */*\r\nAccept-Language: zh-cn\r\nAccept-Encoding: identity\r\n"
    "User-Agent: Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)";

// The functions are bound by name at run time; their constants come from the platform's header.
constexpr uint32_t kContentLengthQuery = HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER;
constexpr uint32_t kStatusQuery = HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER;
constexpr uint32_t kRangeNotSatisfiable = 416;
constexpr uint32_t kFirstServerError = 500;
constexpr uint32_t kDirectOpen = INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY;
constexpr uint32_t kProxyOpen = INTERNET_OPEN_TYPE_PRECONFIG;
static_assert(kContentLengthQuery == 0x20000005 && kStatusQuery == 0x20000013);
constexpr int32_t kChunkSize = 10240;
// The most bytes a download may bring, all its parts together. Corvane.exe is a few MB, and no
// 32-bit program's image comes near 2 GiB; a body without a length, or with a false one, must
// not fill the disk first.
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

// Marks a break, unless the user is leaving: another try follows, and it continues the file
// where it holds bytes of a version the server named, of a known whole size, that came
// uncompressed (a decoding WinINet hides the content coding, and with it the length).
void MarkBreak(DownloadContinuation& next, int64_t bytesHeld) {
  next.brokeOff = !g_stopRequested.load();
  next.continuable =
      next.brokeOff && bytesHeld > 0 && !next.validator.empty() && next.wholeSize > 0 && !next.encoded;
}

// A break is told, unless another try will put it right: then it is only traced.
int32_t Break(DownloadContinuation& next, int64_t bytesHeld, const char* message, const char* what,
              std::initializer_list<rt::TraceValue> why) {
  MarkBreak(next, bytesHeld);
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

// The answer's Content-Length as a 64-bit number, none when it gives none (or no number).
std::optional<int64_t> ContentLength(uintptr_t request) {
  char length[256];
  QueryText(request, HTTP_QUERY_CONTENT_LENGTH, "", length);
  return length[0] != '\0' ? ParseLength(length) : std::nullopt;
}

// The header lines of a partial answer that tell which bytes it carries.
struct PartLines {
  char range[256], etag[256];
  PartialAnswer answer;

  PartLines(uintptr_t request, bool encoded) {
    QueryText(request, HTTP_QUERY_CUSTOM, "Content-Range", range);
    QueryText(request, HTTP_QUERY_ETAG, "", etag);
    answer = {range, ContentLength(request), etag, encoded};
  }
};

bool LocalFileShorterThan(const char* path, int32_t length) {
  const int32_t size = rt::CallInt(rt::FileSize, rt::TextArg(path));
  return size < length;  // -1 when the file is missing
}

// The header block; a ranged request adds its Range line and, when the file's version is
// known, an If-Range line with it, so that a changed file comes whole instead of in part.
rt::OwnedText RequestHeaders(bool ranged, int32_t offset, const std::string& validator) {
  if (!ranged) return rt::OwnedText(rt::ConcatTexts(1, kRequestHeaders));
  rt::OwnedText start = rt::CallText(rt::ToText, rt::Int(offset));
  if (validator.empty()) {
    return rt::OwnedText(rt::ConcatTexts(4, kRangedRequestHeaders, "\r\nRange:bytes=", start.get(), "-"));
  }
  return rt::OwnedText(rt::ConcatTexts(5, kRangedRequestHeaders, "\r\nRange:bytes=", start.get(),
                                       "-\r\nIf-Range: ", validator.c_str()));
}

// How the answer names the file's version, for If-Range (RFC 9110): "" for no resume.
std::string Validator(uintptr_t request) {
  char etag[256], modified[256], date[256];
  QueryText(request, HTTP_QUERY_ETAG, "", etag);
  QueryText(request, HTTP_QUERY_LAST_MODIFIED, "", modified);
  QueryText(request, HTTP_QUERY_DATE, "", date);
  return ChooseValidator(etag, modified, date);
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
  next.brokeOff = next.continuable = false;
  // Continuing needs the first resumeOffset bytes; without them the file is fetched whole.
  if (resume && LocalFileShorterThan(localPath, resumeOffset)) resume = false;

  uint32_t connection = 0;
  CallDeclared(Declared::InternetGetConnectedState, {rt::Word(&connection), 0});
  rt::OwnedText uptime = rt::CallText(rt::ToText, rt::Int(Uptime()));
  rt::OwnedText agent(rt::ConcatTexts(2, "Agent", uptime.get()));
  Session session(CallDeclaredHandle(Declared::InternetOpenA,
                                     {rt::Word(agent.get()), InternetAccessFor(connection), 0, 0, 0}));
  if (session.get() == 0) return Fail(kNoConnection, "download: no internet session", {{"error", rt::LastSystemError()}});
  // Stored bytes must be the body itself, not its compressed form. A resumed request asks for
  // them uncompressed and is not decoded, so that a compressed answer to it shows as one (a
  // decoding WinINet hides the content coding).
  uint32_t on = 1;
  const bool decoding = !resume && CallDeclared(Declared::InternetSetOptionA, {session.get(), INTERNET_OPTION_HTTP_DECODING,
                                                                               rt::Word(&on), sizeof on}) != 0;
  rt::OwnedText headers = RequestHeaders(resume, resumeOffset, next.validator);
  rt::OwnedBytes buffer = rt::CallBytes(rt::BlankBytes, rt::Int(kChunkSize));
  // A server that goes quiet (no answer, or a body that stops) makes the read fail after the
  // limit, like a dropped connection.
  const HttpRequest request(session.get(), url, headers.get(), next.stallLimitMs);
  if (request.get() == 0) {
    // Where the file holds a part to continue, an outage is one more break.
    const uint32_t error = rt::LastSystemError();
    if (!resume) return Fail(kCannotOpenUrl, "download: cannot open the address", {{"error", error}, {"url", url}});
    return Break(next, resumeOffset, kCannotOpenUrl, "download: cannot open the address", {{"error", error}, {"url", url}});
  }

  // Only the body of a successful answer is stored: 200, or 206 with the rest of the file.
  uint32_t status = 0;
  QueryNumber(request.get(), kStatusQuery, status);
  const bool encoded = IsContentEncoded(request.get());
  const bool partial = resume && status == 206;
  // A connection closed before a status line came is no answer (WinINet opens it all the same).
  if (resume && (status == 0 || status >= kFirstServerError || status == kRangeNotSatisfiable)) {
    // The outage that broke the body, or a part that already reaches the end: the next try
    // continues the part, or (after a 416) fetches the file whole.
    return Break(next, status == kRangeNotSatisfiable ? 0 : resumeOffset, kCannotOpenUrl, "download: answer refused",
                 {{"status", status}, {"resume", resume}});
  }
  if (!(status == 200 || partial)) {
    if (resume) rt::Call(rt::RemoveFile, rt::TextArg(localPath));  // the part is no longer the server's file
    return Fail(kCannotOpenUrl, "download: answer refused", {{"status", status}, {"resume", resume}});
  }
  if (partial) {
    const PartLines part(request.get(), encoded);
    if (!IsRestOfTheFile(part.answer, resumeOffset, next.wholeSize, next.validator)) {
      // Another file, or not all of the rest of it: appended, it would make a file that is
      // neither. The part goes, and the next try fetches the file whole.
      rt::Call(rt::RemoveFile, rt::TextArg(localPath));
      return Break(next, 0, kCannotOpenUrl, "download: the part is not the rest of the file",
                   {{"range", part.range}, {"etag", part.etag}, {"held", resumeOffset}, {"whole", next.wholeSize}});
    }
    next.wholeSize = ParseContentRange(part.range)->whole;
  }
  if (encoded && resume) {
    // A whole file sent compressed although the request asked for none: the next try, which
    // decodes, fetches it whole.
    return Break(next, 0, kCannotOpenUrl, "download: a compressed answer to a resumed request", {{"status", status}});
  }
  if (encoded && !decoding) return Fail(kCannotOpenUrl, "download: compressed answer and no decoding");
  const std::optional<int64_t> length = ContentLength(request.get());
  if (!partial) {
    next.validator = Validator(request.get());
    next.encoded = encoded;
    // A compressed body's length counts its compressed bytes.
    next.wholeSize = length && !encoded ? *length : 0;
  }
  if (next.wholeSize > kLongestDownload || length.value_or(0) > kLongestDownload) {
    rt::Call(rt::RemoveFile, rt::TextArg(localPath));
    return Fail(kTooLong, "download: the answer passes the limit",
                {{"announced", std::max(next.wholeSize, length.value_or(0))}, {"limit", kLongestDownload}});
  }

  const int32_t start = partial ? resumeOffset : 0;  // a 200 answer restarts from byte 0
  DownloadFileNo.store(OpenLocalFile(localPath, start));
  if (DownloadFileNo.load() == 0) {
    return Fail(kCannotOpenFile, "download: cannot open the local file",
                {{"error", rt::LastSystemError()}, {"path", localPath}});
  }

  // The size shown: the whole file's, or what a compressed answer announces.
  const auto shownTotal = static_cast<uint32_t>(partial ? next.wholeSize : length.value_or(0));
  int64_t downloaded = start;
  const int32_t startTicks = Uptime();
  // A break keeps what arrived, so that a resume can continue it.
  auto broken = [&](const char* what, std::initializer_list<rt::TraceValue> why) {
    rt::Call(rt::CloseFile, rt::Int(DownloadFileNo.load()));
    return Break(next, downloaded, kReadFailed, what, why);
  };
  auto refused = [&](const char* message, const char* what, std::initializer_list<rt::TraceValue> why) {
    rt::Call(rt::CloseFile, rt::Int(DownloadFileNo.load()));
    rt::Call(rt::RemoveFile, rt::TextArg(localPath));
    return Fail(message, what, why);
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
    if (downloaded + bytesRead > kLongestDownload) {
      return refused(kTooLong, "download: the answer passes the limit",
                     {{"received", downloaded + bytesRead}, {"limit", kLongestDownload}});
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
  // The file is whole when it has the whole size the answers gave.
  if (next.wholeSize > 0 && downloaded < next.wholeSize) {
    return broken("download: the answer ended short", {{"received", downloaded}, {"announced", next.wholeSize}});
  }
  if (next.wholeSize > 0 && downloaded > next.wholeSize) {
    return refused(kReadFailed, "download: the answer is longer than the file",
                   {{"received", downloaded}, {"announced", next.wholeSize}});
  }
  rt::Call(rt::CloseFile, rt::Int(DownloadFileNo.load()));
  return 0;
}

}  // namespace updater
