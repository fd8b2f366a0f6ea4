// What one chunk of a download costs the updater, in this process on the real window: the
// statistics texts alone, the seven property writes alone, the whole progress callback called
// the way the download calls it, and the window thread's time for showing the result (its
// CPU time over the callbacks, the repaints included). Prints one "key value" line per figure.
//
//   progress_bench [CHUNKS]   CHUNKS reports of a 10240-byte chunk (default 6554: 64 MiB)
#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "runtime/value.h"
#include "ui/form_instance.h"
#include "ui/properties.h"
#include "ui/window.h"
#include "updater/progress_texts.h"
#include "updater/report_progress.h"
#include "updater/window_access.h"

namespace {

constexpr int32_t kChunk = 10240;
constexpr double kBytesPerMs = 100.0 * 1048576 / 1000;  // the values of a 100 MB/s download

double Now() {
  static const double perUs = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart / 1e6;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart / perUs;
}

double ThreadCpuUs(HANDLE thread) {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(thread, &created, &exited, &kernel, &user);
  auto us = [](const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 10.0; };
  return us(kernel) + us(user);
}

updater::ProgressValues ChunkValues(int32_t chunks, int32_t i) {
  const int32_t downloaded = (i + 1) * kChunk;
  const int32_t elapsed = static_cast<int32_t>(downloaded / kBytesPerMs) + 1;
  return {chunks * kChunk, downloaded, elapsed, downloaded};
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

// Runs `chunk` for every chunk on a worker thread while this thread runs the window's messages;
// the worker's microseconds a chunk, and this thread's CPU microseconds a chunk.
template <typename Chunk>
std::pair<double, double> Measure(int32_t chunks, Chunk chunk) {
  HANDLE uiThread = GetCurrentThread();
  std::atomic<bool> done{false};
  double workerUs = 0;
  const double uiStart = ThreadCpuUs(uiThread);
  std::thread worker([&] {
    const double start = Now();
    for (int32_t i = 0; i < chunks; ++i) chunk(ChunkValues(chunks, i));
    workerUs = Now() - start;
    done = true;
  });
  while (!done) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  worker.join();
  // What the last writes left to show is shown too.
  for (int i = 0; i < 3; ++i) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(20);
  }
  return {workerUs / chunks, (ThreadCpuUs(uiThread) - uiStart) / chunks};
}

}  // namespace

int main(int argc, char** argv) {
  const int32_t chunks = argc > 1 ? std::atoi(argv[1]) : 6554;
  OleInitialize(nullptr);
  ui::FormInstance& form = ui::LoadForm(ui::UpdaterFormDef());
  if (ui::CreateFormWindow(form) == nullptr) return 1;
  ui::ShowFormWindow(form);
  const auto texts = Measure(chunks, TextsOf);
  const auto writes = Measure(chunks, WritesOf);
  const auto callback = Measure(chunks, CallbackOf);
  const auto empty = Measure(chunks, EmptyCallOf);
  const auto direct = Measure(chunks, DirectCallOf);
  std::printf("chunks %d\n", chunks);
  std::printf("texts_us %.2f\nwrites_us %.2f\ncallback_us %.2f\n", texts.first, writes.first, callback.first);
  std::printf("window_thread_cpu_us %.2f\n", callback.second);
  std::printf("empty_call_us %.2f\ndirect_callback_us %.2f\n", empty.first, direct.first);
  ui::DestroyFormWindows();
  return 0;
}
