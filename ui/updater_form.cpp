// UpdaterWindow: the attributes of the window and its thirteen controls.
#include "ui/form.h"

// The update-log page's scheme and host: a build setting (CORVANE_UPDATE_LOG_HOST in CMake).
#ifndef CORVANE_UPDATE_LOG_HOST
#error "CORVANE_UPDATE_LOG_HOST is given by the build"
#endif

namespace ui {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kCloseButtonFace = RGB(128, 160, 128);

constexpr FontDef kProgressCaptionFont{"微软雅黑", -16, FW_NORMAL, GB2312_CHARSET, VARIABLE_PITCH | FF_SWISS};
constexpr FontDef kCloseButtonFont{"", -12, FW_BOLD, GB2312_CHARSET, DEFAULT_PITCH | FF_DONTCARE};

constexpr StateColors kCloseButtonColors{
    {kWhite}, {kCloseButtonFace},  // mouse outside
    {kRed}, {kCloseButtonFace},    // mouse over it
    {kRed}, {kCloseButtonFace},    // holding the focus
};

constexpr char kUpdateLogAddress[] =
    CORVANE_UPDATE_LOG_HOST "/zqd_api/api.php?a=uplog&apiver=903&c=0&gdata=0&softcode=1000004";

using K = ControlKind;
constexpr Color kNoColor{0};

// clang-format off
constexpr ControlDef kControls[] = {
  {"标签5", K::TransLabel, 标签5, UpdaterWindow, 67, 124, 272, 16, true, false, "下载进度：",
   {RGB(0, 255, 255)}, kNoColor, &kProgressCaptionFont, nullptr},
  {"标签1", K::Label, 标签1, 外形框2, 352, 8, 104, 16, true, false, "本地版本号:V2.72",
   {kBlack}, {kWhite}, nullptr, nullptr},
  {"标签6", K::Label, 标签6, 外形框2, 354, 68, 113, 16, true, false, "文件大小:0KB",
   {kBlack}, {kWhite}, nullptr, nullptr},
  {"标签7", K::Label, 标签7, 外形框2, 354, 88, 113, 16, true, false, "已下载:0KB",
   {kBlack}, {kWhite}, nullptr, nullptr},
  {"标签8", K::Label, 标签8, 外形框2, 354, 108, 113, 16, true, false, "所用时间:0秒",
   {kBlack}, {kWhite}, nullptr, nullptr},
  {"标签9", K::Label, 标签9, 外形框2, 354, 128, 113, 16, true, false, "下载速度:0KB/S",
   {kBlack}, {kWhite}, nullptr, nullptr},
  {"标签10", K::Label, 标签10, 外形框2, 355, 201, 116, 16, true, false, "剩余时间:",
   {kBlack}, {kWhite}, nullptr, nullptr},
  {"超文本浏览框1", K::HtmlViewer, 超文本浏览框1, 外形框2, -3, -3, 332, 241, true, true, kUpdateLogAddress,
   kNoColor, kNoColor, nullptr, nullptr},
  {"外形框2", K::ShapeBox, 外形框2, UpdaterWindow, 2, 170, 496, 230, true, false, "",
   {kWhite}, FaceColor, nullptr, nullptr},
  {"编辑框1", K::EditBox, 编辑框1, UpdaterWindow, 8, 88, 56, 24, false, true, "",
   kNoColor, kNoColor, nullptr, nullptr},
  {"超级按钮1", K::SuperBtn, 超级按钮1, UpdaterWindow, 481, 3, 16, 16, true, true, "×",
   kNoColor, kNoColor, &kCloseButtonFont, &kCloseButtonColors},
  {"进度条1", K::ProcessBar, 进度条1, UpdaterWindow, 2, 402, 433, 26, true, false, "",
   kNoColor, kNoColor, nullptr, nullptr, 0, 10000, 0},
  {"按钮2", K::Button, 按钮2, UpdaterWindow, 438, 402, 60, 26, true, false, "开始更新",
   kNoColor, kNoColor, nullptr, nullptr},
};
// clang-format on

constexpr FormDef kUpdaterForm{
    UpdaterForm, UpdaterWindow, "Tavlor软件更新程序", 500, 430, 50, 50, RGB(244, 255, 244), kControls,
};

}  // namespace

const FormDef& UpdaterFormDef() { return kUpdaterForm; }

const ControlDef* FindControlDef(const FormDef& form, ControlId control) {
  for (const ControlDef& def : form.controls) {
    if (def.id == control) return &def;
  }
  return nullptr;
}

bool PassesClicksThrough(ControlKind kind) {
  return kind == ControlKind::Label || kind == ControlKind::ShapeBox || kind == ControlKind::ProcessBar;
}

bool KindHasEvents(ControlKind kind) { return kind != ControlKind::ShapeBox; }

}  // namespace ui
