// The progress callback against a recording property store that stands in for the window:
// which controls it writes, in which order, with which values, and that it works when called
// the way the download calls it, through CallWindowProcA.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runtime/value.h"
#include "ui/properties.h"
#include "updater/report_progress.h"

namespace {

struct Write {
  ui::ControlId control;
  int32_t number;
  std::string text;  // Text values
  int32_t value;     // Int values
};

std::vector<Write> writes;
int32_t storedPosition = 0;

}  // namespace

namespace ui {

// The position is kept as a progress bar keeps it: limited to 0 ... 32767, not to its range.
void WriteProperty(FormId form, ControlId control, int32_t number, int32_t subField, const rt::ArgRecord& value) {
  EXPECT_EQ(form, UpdaterForm);
  EXPECT_EQ(subField, WholeProperty);
  if (value.tag == rt::TypeTag::Text) {
    writes.push_back({control, number, value.AsText(), 0});
  } else {
    EXPECT_EQ(value.tag, rt::TypeTag::Int);
    writes.push_back({control, number, "", value.AsInt()});
    if (control == 进度条1 && number == prop::BarPosition) storedPosition = std::clamp(value.AsInt(), 0, 32767);
  }
}

rt::ArgRecord ReadProperty(FormId form, ControlId control, int32_t number, int32_t subField) {
  EXPECT_EQ(form, UpdaterForm);
  EXPECT_EQ(control, 进度条1);
  EXPECT_EQ(number, prop::BarPosition);
  EXPECT_EQ(subField, WholeProperty);
  return rt::ArgRecord{static_cast<uint32_t>(storedPosition), 0, rt::TypeTag::Int};
}

}  // namespace ui

namespace updater {
namespace {

// The way the download invokes its callback: the four values in the window-handle, message,
// first-parameter and second-parameter positions.
void CallAsTheDownloadDoes(int32_t total, int32_t downloaded, int32_t elapsedMs, int32_t fetchedBytes) {
  writes.clear();
  const ProgressCallback callback = ReportProgress;
  CallWindowProcA(reinterpret_cast<WNDPROC>(reinterpret_cast<void (*)()>(callback)), reinterpret_cast<HWND>(static_cast<uintptr_t>(static_cast<uint32_t>(total))),
                  static_cast<UINT>(downloaded), static_cast<uint32_t>(elapsedMs), static_cast<uint32_t>(fetchedBytes));
}

Write Caption(ui::ControlId control, const char* text) { return Write{control, ui::prop::Caption, text, 0}; }

void ExpectWrites(const std::vector<Write>& expected) {
  ASSERT_EQ(writes.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(writes[i].control, expected[i].control);
    EXPECT_EQ(writes[i].number, expected[i].number);
    EXPECT_EQ(writes[i].text, expected[i].text);
    EXPECT_EQ(writes[i].value, expected[i].value);
  }
}

TEST(ReportProgress, WritesTheSevenControlsInOrderThroughCallWindowProc) {
  CallAsTheDownloadDoes(1000000, 123456, 1500, 123456);
  ExpectWrites({
      Caption(ui::标签6, "文件大小:976.56KB"),
      Caption(ui::标签7, "已下载:120.56KB\r\n"),
      Caption(ui::标签8, "所用时间:1秒\r\n"),
      Caption(ui::标签9, "下载速度:80.38KB/s\r\n"),
      Caption(ui::标签10, "剩余时间:0时0分10秒"),
      Write{ui::进度条1, ui::prop::BarPosition, "", 1234},
      Caption(ui::标签5, "下载进度:12.34%"),
  });
}

TEST(ReportProgress, SmallValuesArriveUnchanged) {
  // The first value travels in the window-handle position; small numbers must not be taken
  // for handles on the way.
  CallAsTheDownloadDoes(20480, 10240, 10, 10240);
  ASSERT_EQ(writes.size(), 7u);
  EXPECT_EQ(writes[0].text, "文件大小:20KB");
  EXPECT_EQ(writes[1].text, "已下载:10KB\r\n");
  EXPECT_EQ(writes[2].text, "所用时间:0秒\r\n");
  EXPECT_EQ(writes[3].text, "下载速度:1000KB/s\r\n");
  EXPECT_EQ(writes[5].value, 5000);
}

TEST(ReportProgress, LeavesTheRemainingTimeAloneWhenItIsUnknown) {
  CallAsTheDownloadDoes(0, 20480, 2000, 20480);
  ExpectWrites({
      Caption(ui::标签6, "文件大小:0KB"),
      Caption(ui::标签7, "已下载:20KB\r\n"),
      Caption(ui::标签8, "所用时间:2秒\r\n"),
      Caption(ui::标签9, "下载速度:10KB/s\r\n"),
      Write{ui::进度条1, ui::prop::BarPosition, "", 0},
      Caption(ui::标签5, "下载进度:0%"),
  });

  CallAsTheDownloadDoes(1000, 4, 1000, 4);  // 0.0039 KB/s shows as 0
  ASSERT_EQ(writes.size(), 6u);
  EXPECT_EQ(writes[3].text, "下载速度:0KB/s\r\n");
  EXPECT_EQ(writes[4].control, ui::进度条1);
}

TEST(ReportProgress, PercentageShowsThePositionTheBarKept) {
  CallAsTheDownloadDoes(100000, 123450, 1000, 123450);
  ASSERT_EQ(writes.size(), 7u);
  EXPECT_EQ(writes[5].value, 12345);
  EXPECT_EQ(writes[6].text, "下载进度:123.45%");

  CallAsTheDownloadDoes(1000, 4000, 1000, 4000);
  ASSERT_EQ(writes.size(), 7u);
  EXPECT_EQ(writes[5].value, 40000);
  EXPECT_EQ(writes[6].text, "下载进度:327.67%");
}

}  // namespace
}  // namespace updater
