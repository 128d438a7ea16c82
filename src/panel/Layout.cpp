#include "panel/Layout.h"

#include <array>

#include "link/CommandTable.h"
#include "panel/ControlIds.h"
#include "texts/Translate.h"

namespace kx::panel {
namespace {

using K = Kind;
using namespace ids;

// The baud lists' items: the rates the link takes, '|'-separated.
constexpr auto kBaudItems = [] {
  std::array<char, 64> text{};
  size_t n = 0;
  for (int rate : kBaudRates) {
    if (n > 0) text[n++] = '|';
    char digits[12];
    int k = 0;
    for (int v = rate; v > 0; v /= 10) digits[k++] = static_cast<char>('0' + v % 10);
    while (k > 0) text[n++] = digits[--k];
  }
  return text;
}();

// Positions the template does not fix are placed inside their group frames.
constexpr ControlDef kControls[] = {
    {0, K::GroupBox, "", 0, 0, 517, 457},
    // Port, baud, address, device clock
    {kFramePort, K::Frame, "", 4, 7, 341, 45},
    {0, K::Label, KX_NOOP("CTesterDlg", "串口号："), 10, 19, 30, 8},
    {kEditPort, K::EditDigits, "", 40, 17, 28, 12},
    {0, K::Label, KX_NOOP("CTesterDlg", "波特率："), 76, 19, 32, 8},
    {kComboBaud, K::Combo, kBaudItems.data(), 108, 17, 48, 80},
    {0, K::Label, KX_NOOP("CTesterDlg", "通信地址:"), 166, 19, 38, 8},
    {kEditAddress, K::EditDigits, "", 204, 17, 28, 12},
    {kBtnReadTime, K::Button, KX_NOOP("CTesterDlg", "读取设备时间"), 10, 33, 62, 14},
    {kStaticDeviceTime, K::LabelRight, "XXXX--XX--XX--XX--XX--XX", 150, 36, 188, 10},
    // New address and baud rate
    {kFrameLinkSettings, K::Frame, "", 4, 51, 261, 35},
    {0, K::Label, KX_NOOP("CTesterDlg", "地址修改："), 10, 58, 42, 8},
    {kEditNewAddress, K::Edit, "", 10, 68, 40, 12},
    {kBtnSetAddress, K::Button, KX_NOOP("CTesterDlg", "设置"), 54, 67, 30, 14},
    {0, K::Label, KX_NOOP("CTesterDlg", "波特率修改："), 110, 58, 50, 8},
    {kComboNewBaud, K::Combo, kBaudItems.data(), 110, 68, 60, 80},
    {kBtnSetBaud, K::Button, KX_NOOP("CTesterDlg", "设置"), 174, 67, 30, 14},
    // Current range; the voltage range edit is hidden
    {kFrameRange, K::Frame, "", 268, 51, 77, 35},
    {0, K::Label, KX_NOOP("CTesterDlg", "电流范围"), 276, 58, 40, 8},
    {kEditCurrentRange, K::Edit, "", 276, 68, 50, 12},
    {0, K::LabelHidden, KX_NOOP("CTesterDlg", "电压范围"), 276, 58, 40, 8},
    {kEditVoltRange, K::EditHidden, "", 276, 68, 50, 12},
    // Range gear read-out
    {kFrameGear, K::Frame, "", 4, 95, 85, 37},
    {0, K::Label, KX_NOOP("CTesterDlg", " 读取电压量程档位"), 8, 101, 78, 8},
    {kEditRangeGear, K::Edit, "", 10, 114, 36, 12},
    {kBtnReadGear, K::Button, KX_NOOP("CTesterDlg", "读取"), 50, 113, 32, 14},
    // Firmware version
    {kFrameVersion, K::Frame, "", 92, 96, 79, 37},
    {0, K::Label, KX_NOOP("CTesterDlg", "版本号读取"), 98, 102, 60, 8},
    {kStaticVersion, K::LabelCentre, "VER", 96, 116, 38, 10},
    {kBtnReadVersion, K::Button, KX_NOOP("CTesterDlg", "读取"), 136, 114, 30, 14},
    // Acquisition period and buttons
    {kFrameAcquisition, K::Frame, "", 176, 98, 169, 32},
    {0, K::Label, KX_NOOP("CTesterDlg", "采集周期"), 180, 111, 33, 8},
    {kEditPeriod, K::Edit, "", 212, 109, 26, 12},
    {0, K::Label, "ms", 240, 111, 10, 8},
    {kBtnAcquire, K::IconButton, KX_NOOP("CTesterDlg", "采集"), 251, 104, 38, 22},
    {kBtnContinuous, K::IconButton, KX_NOOP("CTesterDlg", "连续采集"), 291, 104, 52, 22},
    // In the free row above the acquisition frame.
    {kCheckLog, K::Check, KX_NOOP("CTesterDlg", "记录"), 176, 87, 30, 10},
    {kStaticLogFile, K::Label, "", 208, 88, 137, 9},
    // Alarm register read-out
    {kFrameAlarmWord, K::Frame, "", 4, 144, 85, 37},
    {0, K::Label, KX_NOOP("CTesterDlg", " 读取报警寄存器"), 8, 150, 78, 8},
    {kEditAlarmWord, K::EditHidden, "", 10, 163, 36, 12},
    {kBtnReadAlarm, K::Button, KX_NOOP("CTesterDlg", "读取"), 50, 162, 32, 14},
    {kBtnFactoryMode, K::DefaultButton, KX_NOOP("CTesterDlg", "厂家模式"), 97, 147, 70, 30},
    // Alarm settings: total voltage, total current, temperature 1, 2, 3
    {kFrameAlarmVolt, K::Frame, "", 4, 191, 167, 44},
    {0, K::Label, KX_NOOP("CTesterDlg", "总电压报警寄存器设置"), 9, 197, 96, 8},
    {kCheckAlarmVolt, K::Check, KX_NOOP("CTesterDlg", "开/关"), 122, 196, 40, 10},
    {0, K::Label, KX_NOOP("CTesterDlg", "过压值"), 9, 215, 24, 8},
    {kEditOverVolt, K::Edit, "", 34, 213, 26, 12},
    {0, K::Label, "V", 62, 215, 8, 8},
    {0, K::Label, KX_NOOP("CTesterDlg", "欠压值"), 72, 215, 24, 8},
    {kEditUnderVolt, K::Edit, "", 97, 213, 26, 12},
    {0, K::Label, "V", 125, 215, 8, 8},
    {kBtnSetVoltAlarm, K::Button, KX_NOOP("CTesterDlg", "设置"), 137, 212, 30, 14},
    {kFrameAlarmCurrent, K::Frame, "", 4, 243, 167, 44},
    {0, K::Label, KX_NOOP("CTesterDlg", "总电流报警寄存器设置"), 9, 249, 96, 8},
    {kCheckAlarmCurrent, K::Check, KX_NOOP("CTesterDlg", "开/关"), 122, 248, 40, 10},
    {0, K::Label, KX_NOOP("CTesterDlg", "过流阀值"), 9, 267, 34, 8},
    {kEditOverCurrent, K::Edit, "", 44, 265, 30, 12},
    {0, K::Label, "A", 76, 267, 8, 8},
    {kBtnSetCurrentAlarm, K::Button, KX_NOOP("CTesterDlg", "设置"), 137, 264, 30, 14},
    {kFrameAlarmTemp1, K::Frame, "", 4, 295, 167, 44},
    {0, K::Label, KX_NOOP("CTesterDlg", "温度1报警寄存器设置"), 9, 301, 96, 8},
    {kCheckAlarmTemp1, K::Check, KX_NOOP("CTesterDlg", "开/关"), 122, 300, 40, 10},
    {0, K::Label, KX_NOOP("CTesterDlg", "上限值"), 9, 319, 24, 8},
    {kEditTemp1High, K::Edit, "", 34, 317, 26, 12},
    {0, K::Label, "℃", 62, 319, 9, 8},
    {0, K::Label, KX_NOOP("CTesterDlg", "下限值"), 72, 319, 24, 8},
    {kEditTemp1Low, K::Edit, "", 97, 317, 26, 12},
    {0, K::Label, "℃", 125, 319, 9, 8},
    {kBtnSetTemp1Alarm, K::Button, KX_NOOP("CTesterDlg", "设置"), 137, 316, 30, 14},
    {kFrameAlarmTemp2, K::Frame, "", 4, 346, 167, 44},
    {0, K::Label, KX_NOOP("CTesterDlg", "温度2报警寄存器设置"), 9, 352, 96, 8},
    {kCheckAlarmTemp2, K::Check, KX_NOOP("CTesterDlg", "开/关"), 122, 351, 40, 10},
    {0, K::Label, KX_NOOP("CTesterDlg", "上限值"), 9, 370, 24, 8},
    {kEditTemp2High, K::Edit, "", 34, 368, 26, 12},
    {0, K::Label, "℃", 62, 370, 9, 8},
    {0, K::Label, KX_NOOP("CTesterDlg", "下限值"), 72, 370, 24, 8},
    {kEditTemp2Low, K::Edit, "", 97, 368, 26, 12},
    {0, K::Label, "℃", 125, 370, 9, 8},
    {kBtnSetTemp2Alarm, K::Button, KX_NOOP("CTesterDlg", "设置"), 137, 367, 30, 14},
    {kFrameAlarmTemp3, K::Frame, "", 4, 397, 167, 44},
    {0, K::Label, KX_NOOP("CTesterDlg", "温度3报警寄存器设置"), 9, 403, 96, 8},
    {kCheckAlarmTemp3, K::Check, KX_NOOP("CTesterDlg", "开/关"), 122, 402, 40, 10},
    {0, K::Label, KX_NOOP("CTesterDlg", "上限值"), 9, 421, 24, 8},
    {kEditTemp3High, K::Edit, "", 34, 419, 26, 12},
    {0, K::Label, "℃", 62, 421, 9, 8},
    {0, K::Label, KX_NOOP("CTesterDlg", "下限值"), 72, 421, 24, 8},
    {kEditTemp3Low, K::Edit, "", 97, 419, 26, 12},
    {0, K::Label, "℃", 125, 421, 9, 8},
    {kBtnSetTemp3Alarm, K::Button, KX_NOOP("CTesterDlg", "设置"), 137, 418, 30, 14},
    // Value tables and counters
    {0, K::Label, KX_NOOP("CTesterDlg", "成功"), 178, 138, 18, 8},
    {kEditSuccessCount, K::EditReadOnly, "", 197, 136, 44, 12},
    {0, K::Label, KX_NOOP("CTesterDlg", "次"), 243, 138, 8, 8},
    {0, K::Label, KX_NOOP("CTesterDlg", "失败"), 256, 138, 18, 8},
    {kEditFailCount, K::EditReadOnly, "", 275, 136, 44, 12},
    {0, K::Label, KX_NOOP("CTesterDlg", "次"), 321, 138, 8, 8},
    {kListValues, K::List, "", 175, 153, 168, 287},
    {kListPointValues, K::List, "", 346, 153, 168, 287},
    // In the free room under the tables and under the alarm groups.
    {kStaticCellExtremes, K::Label, "", 176, 443, 258, 9},
    {kBtnLiveTrend, K::Button, KX_NOOP("CTesterDlg", "实时曲线"), 4, 443, 48, 12},
    // Curve groups along the top and in their frame
    {kBtnSetTime, K::IconButton, KX_NOOP("CTesterDlg", "设置时间"), 347, 10, 62, 16},
    {kBtnQueryCount, K::IconButton, KX_NOOP("CTesterDlg", "查询曲线条数"), 413, 10, 56, 16},
    {kBtnClearCurves, K::IconButton, KX_NOOP("CTesterDlg", "清除曲线"), 472, 9, 40, 17},
    {kFrameCurves, K::Frame, "", 347, 28, 165, 95},
    {0, K::Label, KX_NOOP("CTesterDlg", "读取第"), 352, 39, 24, 8},
    {kEditGroupNo, K::Edit, "", 377, 37, 22, 12},
    {0, K::Label, KX_NOOP("CTesterDlg", "组曲线数据"), 401, 39, 42, 8},
    {kBtnReadGroup, K::IconButton, KX_NOOP("CTesterDlg", "读取"), 462, 32, 46, 34},
    {0, K::Label, KX_NOOP("CTesterDlg", "曲线组记录日期："), 352, 55, 64, 8},
    {kStaticGroupDate, K::LabelElided, "", 416, 55, 46, 8},  // ends where KX_NOOP("CTesterDlg", "读取") begins
    {0, K::Label, KX_NOOP("CTesterDlg", "本组曲线共有记录点："), 352, 69, 80, 8},
    {kStaticPointCount, K::Label, "", 432, 69, 22, 8},
    {0, K::Label, KX_NOOP("CTesterDlg", "个"), 455, 69, 8, 8},
    {0, K::Label, KX_NOOP("CTesterDlg", "查看第"), 352, 85, 24, 8},
    {kEditPointNo, K::Edit, "", 377, 83, 22, 12},
    {0, K::Label, KX_NOOP("CTesterDlg", "点电压数据"), 401, 85, 42, 8},
    {kBtnViewPoint, K::IconButton, KX_NOOP("CTesterDlg", "查看"), 462, 81, 46, 15, true},
    {kBtnOpenFile, K::IconButton, KX_NOOP("CTesterDlg", "打开"), 352, 100, 48, 19},
    {kBtnSaveFile, K::IconButton, KX_NOOP("CTesterDlg", "另存"), 406, 100, 48, 19, true},
    {kBtnShowCurves, K::IconButton, KX_NOOP("CTesterDlg", "曲线"), 460, 100, 48, 19, true},
    {kStaticGroupCount, K::Label, KX_NOOP("CTesterDlg", "已记录N组曲线"), 360, 126, 150, 9},
    {kStaticPointTime, K::Label, "", 360, 142, 150, 9},
    {kStaticStatus, K::Label, "    ", 437, 444, 73, 8},
    // Factory strip: range gear and calibration
    {0, K::GroupBox, KX_NOOP("CTesterDlg", "工厂模式"), 526, 8, 150, 334},
    {0, K::GroupBox, KX_NOOP("CTesterDlg", "设置电压档位"), 532, 22, 138, 46},
    {0, K::Label, KX_NOOP("CTesterDlg", "选择电压档位："), 538, 38, 58, 8},
    {kComboGear, K::Combo, "2V|6V|12V", 596, 36, 36, 60},
    {kBtnSetGear, K::Button, KX_NOOP("CTesterDlg", "设置"), 636, 35, 28, 14},
    {0, K::GroupBox, KX_NOOP("CTesterDlg", "参数校准"), 532, 74, 138, 262},
    {0, K::Label, KX_NOOP("CTesterDlg", "单节电池电压校准"), 538, 88, 80, 8},
    {0, K::Label, KX_NOOP("CTesterDlg", "2V档位"), 544, 103, 30, 8},
    {kComboCalCell2V, K::Combo, "1V|2V", 578, 101, 50, 60},
    {kBtnCalCell2V, K::Button, KX_NOOP("CTesterDlg", "校准"), 634, 100, 30, 14},
    {0, K::Label, KX_NOOP("CTesterDlg", "6V档位"), 544, 121, 30, 8},
    {kComboCalCell6V, K::Combo, "3V|6V", 578, 119, 50, 60},
    {kBtnCalCell6V, K::Button, KX_NOOP("CTesterDlg", "校准"), 634, 118, 30, 14},
    {0, K::Label, KX_NOOP("CTesterDlg", "12V档位"), 544, 139, 30, 8},
    {kComboCalCell12V, K::Combo, "6V|12V", 578, 137, 50, 60},
    {kBtnCalCell12V, K::Button, KX_NOOP("CTesterDlg", "校准"), 634, 136, 30, 14},
    {0, K::Label, KX_NOOP("CTesterDlg", "总电压校准"), 538, 160, 80, 8},
    {0, K::Label, KX_NOOP("CTesterDlg", "2V档位"), 544, 175, 30, 8},
    {kComboCalTotal2V, K::Combo, "40V|80V", 578, 173, 50, 60},
    {kBtnCalTotal2V, K::Button, KX_NOOP("CTesterDlg", "校准"), 634, 172, 30, 14},
    {0, K::Label, KX_NOOP("CTesterDlg", "6V档位"), 544, 193, 30, 8},
    {kComboCalTotal6V, K::Combo, "120V|240V", 578, 191, 50, 60},
    {kBtnCalTotal6V, K::Button, KX_NOOP("CTesterDlg", "校准"), 634, 190, 30, 14},
    {0, K::Label, KX_NOOP("CTesterDlg", "12V档位"), 544, 211, 30, 8},
    {kComboCalTotal12V, K::Combo, "240V|480V", 578, 209, 50, 60},
    {kBtnCalTotal12V, K::Button, KX_NOOP("CTesterDlg", "校准"), 634, 208, 30, 14},
    {0, K::Label, KX_NOOP("CTesterDlg", "温度校准"), 538, 240, 80, 8},
    {kComboCalTemp, K::Combo, "10K|50K", 578, 253, 50, 60},
    {kBtnCalTemp, K::Button, KX_NOOP("CTesterDlg", "校准"), 634, 252, 30, 14},
    {0, K::Label, KX_NOOP("CTesterDlg", "电流模拟量校准"), 538, 280, 80, 8},
    {kComboCalCurrent, K::Combo, "2.5V|5V", 578, 293, 50, 60},
    {kBtnCalCurrent, K::Button, KX_NOOP("CTesterDlg", "校准"), 634, 292, 30, 14},
};

}  // namespace

std::span<const ControlDef> PanelTemplate() { return kControls; }

}  // namespace kx::panel
