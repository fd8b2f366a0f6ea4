// What one chunk of a download costs the updater, in this process on the real window: the
// statistics texts alone, the seven property writes alone, the progress callback called
// directly and the way the download calls it (through CallWindowProcA, for a file size that is
// a multiple of 65536 bytes and for one that is not), CallWindowProcA of an empty procedure, and
// one frame of the window: a chunk's statistics applied and painted. Prints "key value" lines.
//
//   progress_bench [CHUNKS]   CHUNKS reports of a 10240-byte chunk (default 6554: 64 MiB)
#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "runtime/value.h"
#include "ui/controls.h"
#include "ui/form_instance.h"
#include "ui/properties.h"
#include "ui/window.h"
#include "updater/progress_texts.h"
#include "updater/report_progress.h"
#include "updater/window_access.h"

namespace {

constexpr int32_t kChunk = 10240;
constexpr double kBytesPerMs = 100.0 * 1048576 / 1000;  // the values of a 100 MB/s download

double NowUs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return 1e6 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The values of chunk i of a download of total bytes.
updater::ProgressValues ChunkValues(int32_t total, int32_t i) {
  const int32_t downloaded = (i + 1) * kChunk;
  const int32_t elapsed = static_cast<int32_t>(downloaded / kBytesPerMs) + 1;
  return {total, downloaded, elapsed, downloaded};
}

void TextsOf(const updater::ProgressValues& v) {
  const double speed = updater::SpeedKbPerSecond(v);
  rt::OwnedText texts[] = {updater::FileSizeText(v), updater::DownloadedText(v), updater::ElapsedText(v),
                           updater::SpeedText(speed), updater::RemainingTimeText(v, speed),
                           updater::PercentageText(updater::BarPosition(v))};
  (void)texts;
}

void WritesOf(const updater::ProgressValues& v) {
  updater::SetCaption(ui::标签6, "文件大小:65536KB");
  updater::SetCaption(ui::标签7, "已下载:12345.67KB\r\n");
  updater::SetCaption(ui::标签8, "所用时间:1秒\r\n");
  updater::SetCaption(ui::标签9, "下载速度:102400KB/s\r\n");
  updater::SetCaption(ui::标签10, "剩余时间:0时0分1秒");
  updater::SetBarPosition(updater::BarPosition(v));
  (void)updater::StoredBarPosition();
  updater::SetCaption(ui::标签5, "下载进度:50.5%");
}

intptr_t __stdcall Nothing(uintptr_t, uint32_t, uintptr_t, intptr_t) { return 0; }

// As the download calls its callback: the four values in the window-handle, message and
// parameter positions of CallWindowProcA.
void CallThroughWindowProc(updater::ProgressCallback callback, const updater::ProgressValues& v) {
  CallWindowProcA(reinterpret_cast<WNDPROC>(reinterpret_cast<void (*)()>(callback)),
                  reinterpret_cast<HWND>(static_cast<uintptr_t>(static_cast<uint32_t>(v.total))),
                  static_cast<UINT>(v.downloaded), static_cast<uint32_t>(v.elapsedMs),
                  static_cast<uint32_t>(v.fetchedBytes));
}

void CallbackOf(const updater::ProgressValues& v) { CallThroughWindowProc(updater::ReportProgress, v); }
void EmptyCallOf(const updater::ProgressValues& v) { CallThroughWindowProc(Nothing, v); }
void DirectCallOf(const updater::ProgressValues& v) {
  updater::ReportProgress(static_cast<uint32_t>(v.total), v.downloaded, v.elapsedMs, v.fetchedBytes);
}

// Runs every message the window has.
void RunMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// The microseconds a chunk of `chunk`, run for every chunk on a worker thread while this
// thread runs the window's messages.
template <typename Chunk>
double ChunkUs(int32_t chunks, int32_t total, Chunk chunk) {
  std::atomic<bool> done{false};
  double spent = 0;
  std::thread worker([&] {
    const double start = NowUs();
    for (int32_t i = 0; i < chunks; ++i) chunk(ChunkValues(total, i));
    spent = NowUs() - start;
    done = true;
  });
  while (!done) {
    RunMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  worker.join();
  RunMessages();
  return spent / chunks;
}

// One frame: a chunk's statistics written by a worker, then applied and painted on this thread
// as the window does once a frame; the microseconds of the apply and paint.
double FrameUs(ui::FormInstance& form, int32_t total, int32_t frames) {
  double spent = 0;
  for (int32_t frame = 0; frame < frames; ++frame) {
    std::thread worker([&] { DirectCallOf(ChunkValues(total, frame * 100)); });
    worker.join();
    const double start = NowUs();
    ui::ApplyPendingStates(form);
    spent += NowUs() - start;
    RunMessages();
  }
  return spent / frames;
}

}  // namespace

int main(int argc, char** argv) {
  const int32_t chunks = argc > 1 ? std::atoi(argv[1]) : 6554;
  const int32_t whole = chunks * kChunk - chunks * kChunk % 65536;  // a multiple of 65536
  const int32_t odd = whole - kChunk;                               // and a size that is not
  OleInitialize(nullptr);
  ui::FormInstance& form = ui::LoadForm(ui::UpdaterFormDef());
  if (ui::CreateFormWindow(form) == nullptr) return 1;
  ui::ShowFormWindow(form);
  std::printf("chunks %d\n", chunks);
  std::printf("texts_us %.2f\n", ChunkUs(chunks, whole, TextsOf));
  std::printf("writes_us %.2f\n", ChunkUs(chunks, whole, WritesOf));
  std::printf("direct_callback_us %.2f\n", ChunkUs(chunks, whole, DirectCallOf));
  std::printf("callback_us %.2f\n", ChunkUs(chunks, whole, CallbackOf));
  std::printf("callback_odd_size_us %.2f\n", ChunkUs(chunks, odd, CallbackOf));
  std::printf("empty_call_us %.2f\n", ChunkUs(chunks, whole, EmptyCallOf));
  std::printf("empty_call_odd_size_us %.2f\n", ChunkUs(chunks, odd, EmptyCallOf));
  std::printf("frame_us %.1f\nframe_ms %lu\n", FrameUs(form, whole, 200), static_cast<unsigned long>(ui::kSyncFrameMs));
  ui::DestroyFormWindows();
  return 0;
}
