// The progress texts for any four values the download may report: no undefined behaviour,
// texts that fit their labels' kind, a bar position that is total's share of downloaded.
#include <cstdlib>
#include <cstring>

#include "tests/fuzz/fuzz_input.h"
#include "updater/progress_texts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  updater::ProgressValues v{};
  v.total = input.Take<int32_t>();
  v.downloaded = input.Take<int32_t>();
  v.elapsedMs = input.Take<int32_t>();
  v.fetchedBytes = input.Take<int32_t>();
  if (v.elapsedMs == 0) v.elapsedMs = 10;  // the download never reports 0
  const rt::OwnedText texts[] = {updater::FileSizeText(v), updater::DownloadedText(v), updater::ElapsedText(v),
                                 updater::SpeedText(updater::SpeedKbPerSecond(v)),
                                 updater::RemainingTimeText(v, updater::SpeedKbPerSecond(v)),
                                 updater::PercentageText(updater::BarPosition(v))};
  for (const rt::OwnedText& text : texts) {
    if (std::strlen(text.c_str()) > 200) std::abort();
  }
  if (v.total == 0 && updater::BarPosition(v) != 0) std::abort();
  return 0;
}
