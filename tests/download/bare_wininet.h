// A bare WinINet download loop: the calls the updater's download makes (the same agent,
// access type, request header block, open flags, size query and 10240-byte reads), linked
// directly against WinINet and without anything of the updater around it. Tests use it to pin
// down how WinINet behaves towards our servers; the benchmarks use it as the baseline.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace bare {

// The request header block, 156 bytes, without a final line break.
extern const char RequestHeaderBlock[];
constexpr size_t RequestHeaderBlockSize = 156;

constexpr DWORD OpenUrlFlags = 0x84000100;        // reload, no cache write, no-cache pragma
constexpr DWORD ContentLengthQuery = 0x20000005;  // content length, as a number
constexpr DWORD ChunkSize = 10240;

struct FetchOptions {
  std::string headers = RequestHeaderBlock;
  bool decode = false;     // turn on HTTP decoding on the session before the URL is opened
  bool keepBody = true;    // false: only count the bytes (throughput runs)
  DWORD receiveTimeoutMs = 0;  // > 0: set as the session's receive timeout
  std::string savePath;        // not empty: every chunk is also written to this file (WriteFile)
};

struct FetchResult {
  bool opened = false;   // InternetOpenA and InternetOpenUrlA both gave a handle
  DWORD openError = 0;   // GetLastError() of the one that failed
  bool decodingSet = false;
  DWORD status = 0;      // HTTP status code
  bool lengthKnown = false;  // the size query succeeded ...
  DWORD length = 0;          // ... with this Content-Length
  DWORD lengthError = 0;     // GetLastError() of a failed size query
  std::string contentEncoding;  // as WinINet reports it after the open; "" when none
  std::string rawHeaders;       // the response head, CR LF separated
  std::string body;             // keepBody only
  std::vector<DWORD> readSizes; // keepBody only: bytes of each read that delivered some
  uint64_t bytes = 0;
  bool readFailed = false;  // InternetReadFile returned FALSE ...
  DWORD readError = 0;      // ... with this error
  DWORD elapsedMs = 0;      // from just before the first read to the end of the last
  DWORD closeMs = 0;        // savePath only: the milliseconds the written file took to close
};

// One GET of url, read to its end (a successful read of 0 bytes) or to a failing read.
FetchResult FetchUrl(const std::string& url, const FetchOptions& options = {});

// RequestHeaderBlock followed by the range line of a resumed download.
std::string HeadersWithRange(int32_t offset);

}  // namespace bare
