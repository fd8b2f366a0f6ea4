// Downloads a URL with the bare WinINet loop (the updater's calls and 10240-byte reads, nothing
// else) and prints the throughput:
//
//   scripts/wine-run build/windows/bin/wininet_loop.exe URL [RUNS] [--decode]
//
// One line per run: bytes, milliseconds from the first read to the end, MB/s (MB = 2^20 bytes),
// and the milliseconds of the whole call (opening the connection included) with its MB/s.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/download/bare_wininet.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: wininet_loop URL [RUNS] [--decode]\n");
    return 2;
  }
  bare::FetchOptions options;
  options.keepBody = false;
  int runs = 1;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--decode") == 0) {
      options.decode = true;
    } else {
      runs = std::atoi(argv[i]);
    }
  }
  int failures = 0;
  for (int run = 1; run <= runs; ++run) {
    const DWORD start = GetTickCount();
    const bare::FetchResult r = bare::FetchUrl(argv[1], options);
    const DWORD totalMs = GetTickCount() - start;
    if (!r.opened || r.readFailed) {
      std::printf("run %d: failed (open error %lu, read error %lu)\n", run, r.openError, r.readError);
      ++failures;
      continue;
    }
    const double seconds = (r.elapsedMs > 0 ? r.elapsedMs : 1) / 1000.0;
    std::printf("run %d: status %lu, %llu bytes in %lu ms: %.1f MB/s; whole call %lu ms: %.1f MB/s\n", run, r.status,
                static_cast<unsigned long long>(r.bytes), r.elapsedMs, r.bytes / 1048576.0 / seconds, totalMs,
                r.bytes / 1048576.0 / ((totalMs > 0 ? totalMs : 1) / 1000.0));
  }
  return failures == 0 ? 0 : 1;
}
