#include "updater/report_progress.h"

#include <utility>

#include "runtime/args.h"
#include "ui/properties.h"
#include "updater/progress_texts.h"

namespace updater {

namespace {

// The text is a temporary of the caller's statement, so it is freed before the next one is made.
void WriteCaption(ui::ControlId label, rt::OwnedText text) {
  ui::WriteProperty(ui::UpdaterForm, label, ui::prop::Caption, ui::WholeProperty, rt::TextArg(text));
}

}  // namespace

int32_t __stdcall ReportProgress(int32_t total, int32_t downloaded, int32_t elapsedMs, int32_t fetchedBytes) {
  const ProgressValues v{total, downloaded, elapsedMs, fetchedBytes};
  WriteCaption(ui::标签6, FileSizeText(v));
  WriteCaption(ui::标签7, DownloadedText(v));
  WriteCaption(ui::标签8, ElapsedText(v));
  const double speed = SpeedKbPerSecond(v);
  WriteCaption(ui::标签9, SpeedText(speed));
  if (rt::OwnedText remaining = RemainingTimeText(v, speed)) WriteCaption(ui::标签10, std::move(remaining));

  ui::WriteProperty(ui::UpdaterForm, ui::进度条1, ui::prop::BarPosition, ui::WholeProperty, rt::Int(BarPosition(v)));
  // The bar keeps its own idea of the position (it caps it), so the percentage shows what it holds.
  const int32_t shown = ui::ReadProperty(ui::UpdaterForm, ui::进度条1, ui::prop::BarPosition, ui::WholeProperty).AsInt();
  WriteCaption(ui::标签5, PercentageText(shown));
  return 0;
}

}  // namespace updater
