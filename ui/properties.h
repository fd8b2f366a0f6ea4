// The chief header of the window layer: the identifiers of the updater's form and its
// controls, the property numbers of every kind of control, and the property service through
// which the updater logic reads and writes the window's contents.
#pragma once

#include <cstdint>

#include "runtime/value.h"

namespace ui {

using FormId = uint32_t;
using ControlId = uint32_t;

// The updater's one form and the window itself as a control of its own form.
constexpr FormId UpdaterForm = 0x52010001;
constexpr ControlId UpdaterWindow = 0x06010000;

// The controls, named as the window design names them.
constexpr ControlId 标签5 = 0x1601013F;          // TransLabel: progress caption on the green band
constexpr ControlId 标签1 = 0x16010135;          // Label: local version number
constexpr ControlId 标签6 = 0x16010138;          // Label: file size
constexpr ControlId 标签7 = 0x16010139;          // Label: amount downloaded
constexpr ControlId 标签8 = 0x1601013A;          // Label: elapsed time
constexpr ControlId 标签9 = 0x1601013B;          // Label: download speed
constexpr ControlId 标签10 = 0x1601013C;         // Label: remaining time
constexpr ControlId 超文本浏览框1 = 0x16010134;  // HtmlViewer: update-log page
constexpr ControlId 外形框2 = 0x16010133;        // ShapeBox: white panel
constexpr ControlId 编辑框1 = 0x1601012F;        // EditBox: hidden file-name holder
constexpr ControlId 超级按钮1 = 0x16010129;      // SuperBtn: the "×" close button
constexpr ControlId 进度条1 = 0x1601008F;        // ProcessBar: download progress
constexpr ControlId 按钮2 = 0x16010008;          // Button: start the update / start the application

// Property numbers common to every kind.
namespace prop {
constexpr int32_t Left = 0;
constexpr int32_t Top = 1;
constexpr int32_t Width = 2;
constexpr int32_t Height = 3;
constexpr int32_t Tag = 4;
constexpr int32_t Visible = 5;
constexpr int32_t Disabled = 6;
constexpr int32_t MousePointer = 7;

// Label and TransLabel.
constexpr int32_t Caption = 8;
// TransLabel.
constexpr int32_t TransLabelEffect = 9;
constexpr int32_t TransLabelFont = 10;
constexpr int32_t TransLabelTextColor = 11;
constexpr int32_t TransLabelAlignment = 12;
constexpr int32_t TransLabelWordWrap = 13;
constexpr int32_t TransLabelVerticalAlignment = 14;

// EditBox.
constexpr int32_t Content = 8;

// Button.
constexpr int32_t ButtonPicture = 8;
constexpr int32_t ButtonIsDefault = 9;
constexpr int32_t ButtonCaption = 10;
constexpr int32_t ButtonAlignment = 11;
constexpr int32_t ButtonVerticalAlignment = 12;
constexpr int32_t ButtonFont = 13;

// ProcessBar.
constexpr int32_t BarBorder = 8;
constexpr int32_t BarVertical = 9;
constexpr int32_t BarSmooth = 10;
constexpr int32_t BarMinimum = 11;
constexpr int32_t BarMaximum = 12;
constexpr int32_t BarPosition = 13;
}  // namespace prop

// subField value meaning "the whole property".
constexpr int32_t WholeProperty = -1;

// Sets property `number` of `control`. Text values are passed as Text records (the control
// keeps its own copy), booleans and integers as Int or Bool records. Callable from any thread:
// the stored value changes at once and the control repaints on its own thread.
void WriteProperty(FormId form, ControlId control, int32_t number, int32_t subField, const rt::ArgRecord& value);

// The current value of a property. A text property comes back as a new Text that the caller
// owns (null when empty); integer and boolean properties as 32-bit integers.
rt::ArgRecord ReadProperty(FormId form, ControlId control, int32_t number, int32_t subField);

}  // namespace ui
