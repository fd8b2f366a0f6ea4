#include "tests/download/bare_wininet.h"

#include <wininet.h>

#include <utility>

namespace bare {

const char RequestHeaderBlock[] =
    "Accept: */*\r\n"
    "Accept-Language: zh-cn\r\n"
    "Accept-Encoding: gzip, deflate\r\n"
    "User-Agent: Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)";
static_assert(sizeof RequestHeaderBlock - 1 == RequestHeaderBlockSize, "the header block is 156 bytes");

namespace {

class InetHandle {
 public:
  explicit InetHandle(HINTERNET h) : h_(h) {}
  ~InetHandle() {
    if (h_ != nullptr) InternetCloseHandle(h_);
  }
  InetHandle(const InetHandle&) = delete;
  InetHandle& operator=(const InetHandle&) = delete;
  HINTERNET get() const { return h_; }

 private:
  HINTERNET h_;
};

std::string QueryText(HINTERNET request, DWORD level) {
  std::string text(8192, '\0');
  DWORD size = static_cast<DWORD>(text.size());
  DWORD index = 0;
  if (!HttpQueryInfoA(request, level, text.data(), &size, &index)) return "";
  text.resize(size);
  return text;
}

void ReadToEnd(HINTERNET request, const FetchOptions& options, FetchResult& result) {
  std::vector<char> buffer(ChunkSize);
  HANDLE file = options.savePath.empty() ? INVALID_HANDLE_VALUE
                                         : CreateFileA(options.savePath.c_str(), GENERIC_WRITE, 0, nullptr,
                                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  const DWORD start = GetTickCount();
  for (;;) {
    DWORD got = 0;
    if (!InternetReadFile(request, buffer.data(), ChunkSize, &got)) {
      result.readFailed = true;
      result.readError = GetLastError();
      break;
    }
    if (got == 0) break;
    result.bytes += got;
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) WriteFile(file, buffer.data(), got, &written, nullptr);
    if (options.keepBody) {
      result.body.append(buffer.data(), got);
      result.readSizes.push_back(got);
    }
  }
  const DWORD closing = GetTickCount();
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  result.closeMs = GetTickCount() - closing;
  result.elapsedMs = GetTickCount() - start;
}

}  // namespace

std::string HeadersWithRange(int32_t offset) {
  return std::string(RequestHeaderBlock) + "\r\nRange:bytes=" + std::to_string(offset) + "-";
}

FetchResult FetchUrl(const std::string& url, const FetchOptions& options) {
  FetchResult result;
  DWORD connection = 0;
  InternetGetConnectedState(&connection, 0);
  const std::string agent = "Agent" + std::to_string(static_cast<int32_t>(GetTickCount()));
  const DWORD access = (connection & INTERNET_CONNECTION_PROXY) != 0 ? INTERNET_OPEN_TYPE_PRECONFIG
                                                                     : INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY;
  InetHandle session(InternetOpenA(agent.c_str(), access, nullptr, nullptr, 0));
  if (session.get() == nullptr) {
    result.openError = GetLastError();
    return result;
  }
  if (options.decode) {
    BOOL on = TRUE;
    result.decodingSet = InternetSetOptionA(session.get(), INTERNET_OPTION_HTTP_DECODING, &on, sizeof on) != FALSE;
  }
  if (options.receiveTimeoutMs > 0) {
    DWORD timeout = options.receiveTimeoutMs;
    InternetSetOptionA(session.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
  }
  InetHandle request(InternetOpenUrlA(session.get(), url.c_str(), options.headers.c_str(),
                                      static_cast<DWORD>(options.headers.size()), OpenUrlFlags, 0));
  if (request.get() == nullptr) {
    result.openError = GetLastError();
    return result;
  }
  result.opened = true;

  DWORD size = sizeof result.status;
  HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &result.status, &size, nullptr);
  DWORD lengthSize = sizeof result.length;
  DWORD index = 0;
  result.lengthKnown = HttpQueryInfoA(request.get(), ContentLengthQuery, &result.length, &lengthSize, &index) != FALSE;
  if (!result.lengthKnown) {
    result.lengthError = GetLastError();
    result.length = 0;
  }
  result.contentEncoding = QueryText(request.get(), HTTP_QUERY_CONTENT_ENCODING);
  result.rawHeaders = QueryText(request.get(), HTTP_QUERY_RAW_HEADERS_CRLF);

  ReadToEnd(request.get(), options, result);
  return result;
}

}  // namespace bare
