#include "updater/report_progress.h"

#include "runtime/args.h"
#include "ui/properties.h"
#include "updater/progress_texts.h"
#include "updater/window_access.h"

namespace updater {

namespace {

// The text is a temporary of the caller's statement, so it is freed before the next one is made.
void WriteCaption(ui::ControlId label, const rt::OwnedText& text) { SetCaption(label, text.get()); }

}  // namespace

intptr_t __stdcall ReportProgress(uintptr_t total, uint32_t downloaded, uintptr_t elapsedMs, intptr_t fetchedBytes) {
  const ProgressValues v{static_cast<int32_t>(total), static_cast<int32_t>(downloaded), static_cast<int32_t>(elapsedMs),
                         static_cast<int32_t>(fetchedBytes)};
  WriteCaption(ui::标签6, FileSizeText(v));
  WriteCaption(ui::标签7, DownloadedText(v));
  WriteCaption(ui::标签8, ElapsedText(v));
  const double speed = SpeedKbPerSecond(v);
  WriteCaption(ui::标签9, SpeedText(speed));
  if (rt::OwnedText remaining = RemainingTimeText(v, speed)) WriteCaption(ui::标签10, remaining);

  SetBarPosition(BarPosition(v));
  // The bar keeps its own idea of the position (it caps it), so the percentage shows what it holds.
  WriteCaption(ui::标签5, PercentageText(StoredBarPosition()));
  return 0;
}

}  // namespace updater
