// The cost of the code-signature check: the verified signer of one file, timed per call.
//
//   signature_bench FILE [RUNS]     one line "ms <milliseconds>" per call (default 5 calls)
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "runtime/args.h"
#include "runtime/code_signature.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: signature_bench FILE [RUNS]\n", stderr);
    return 2;
  }
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  for (int i = 0; i < runs; ++i) {
    QueryPerformanceCounter(&start);
    const bool signedFile = !rt::CallText(rt::CodeSigner, rt::TextArg(argv[1])).empty();
    QueryPerformanceCounter(&end);
    if (!signedFile) {
      std::fprintf(stderr, "signature_bench: %s has no valid signature\n", argv[1]);
      return 1;
    }
    std::printf("ms %.3f\n", 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                                 static_cast<double>(frequency.QuadPart));
  }
  return 0;
}
