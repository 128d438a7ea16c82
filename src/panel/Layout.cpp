#include "panel/Layout.h"

#include <array>

#include "link/CommandTable.h"

namespace kx::panel {
namespace {

using K = Kind;

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
    // Port, baud, address, device clock (frame 1064)
    {1064, K::Frame, "", 4, 7, 341, 45},
    {0, K::Label, "串口号：", 10, 19, 30, 8},
    {1000, K::EditDigits, "", 40, 17, 28, 12},
    {0, K::Label, "波特率：", 76, 19, 32, 8},
    {1001, K::Combo, kBaudItems.data(), 108, 17, 48, 80},
    {0, K::Label, "通信地址:", 166, 19, 38, 8},
    {1002, K::EditDigits, "", 204, 17, 28, 12},
    {1092, K::Button, "读取设备时间", 10, 33, 62, 14},
    {1094, K::LabelRight, "XXXX--XX--XX--XX--XX--XX", 150, 36, 188, 10},
    // New address and baud rate (frame 1067)
    {1067, K::Frame, "", 4, 51, 261, 35},
    {0, K::Label, "地址修改：", 10, 58, 42, 8},
    {1089, K::Edit, "", 10, 68, 40, 12},
    {1090, K::Button, "设置", 54, 67, 30, 14},
    {0, K::Label, "波特率修改：", 110, 58, 50, 8},
    {1091, K::Combo, kBaudItems.data(), 110, 68, 60, 80},
    {1106, K::Button, "设置", 174, 67, 30, 14},
    // Current range (frame 1070); the voltage range edit is hidden
    {1070, K::Frame, "", 268, 51, 77, 35},
    {0, K::Label, "电流范围", 276, 58, 40, 8},
    {1069, K::Edit, "", 276, 68, 50, 12},
    {0, K::LabelHidden, "电压范围", 276, 58, 40, 8},
    {1073, K::EditHidden, "", 276, 68, 50, 12},
    // Range gear read-out (frame 1066)
    {1066, K::Frame, "", 4, 95, 85, 37},
    {0, K::Label, " 读取电压量程档位", 8, 101, 78, 8},
    {1098, K::Edit, "", 10, 114, 36, 12},
    {1099, K::Button, "读取", 50, 113, 32, 14},
    // Firmware version (frame 1132)
    {1132, K::Frame, "", 92, 96, 79, 37},
    {0, K::Label, "版本号读取", 98, 102, 60, 8},
    {1093, K::LabelCentre, "VER", 96, 116, 38, 10},
    {1107, K::Button, "读取", 136, 114, 30, 14},
    // Acquisition period and buttons (frame 1068)
    {1068, K::Frame, "", 176, 98, 169, 32},
    {0, K::Label, "采集周期", 180, 111, 33, 8},
    {1023, K::Edit, "", 212, 109, 26, 12},
    {0, K::Label, "ms", 240, 111, 10, 8},
    {1024, K::IconButton, "采集", 251, 104, 38, 22},
    {1025, K::IconButton, "连续采集", 291, 104, 52, 22},
    // Alarm register read-out (frame 1097)
    {1097, K::Frame, "", 4, 144, 85, 37},
    {0, K::Label, " 读取报警寄存器", 8, 150, 78, 8},
    {1100, K::EditHidden, "", 10, 163, 36, 12},
    {1105, K::Button, "读取", 50, 162, 32, 14},
    {1074, K::DefaultButton, "厂家模式", 97, 147, 70, 30},
    // Alarm settings: total voltage, total current, temperature 1, 2, 3
    {1111, K::Frame, "", 4, 191, 167, 44},
    {0, K::Label, "总电压报警寄存器设置", 9, 197, 96, 8},
    {1059, K::Check, "开/关", 122, 196, 40, 10},
    {0, K::Label, "过压值", 9, 215, 24, 8},
    {1118, K::Edit, "", 34, 213, 26, 12},
    {0, K::Label, "V", 62, 215, 8, 8},
    {0, K::Label, "欠压值", 72, 215, 24, 8},
    {1120, K::Edit, "", 97, 213, 26, 12},
    {0, K::Label, "V", 125, 215, 8, 8},
    {1119, K::Button, "设置", 137, 212, 30, 14},
    {1112, K::Frame, "", 4, 243, 167, 44},
    {0, K::Label, "总电流报警寄存器设置", 9, 249, 96, 8},
    {1114, K::Check, "开/关", 122, 248, 40, 10},
    {0, K::Label, "过流阀值", 9, 267, 34, 8},
    {1121, K::Edit, "", 44, 265, 30, 12},
    {0, K::Label, "A", 76, 267, 8, 8},
    {1122, K::Button, "设置", 137, 264, 30, 14},
    {1110, K::Frame, "", 4, 295, 167, 44},
    {0, K::Label, "温度1报警寄存器设置", 9, 301, 96, 8},
    {1115, K::Check, "开/关", 122, 300, 40, 10},
    {0, K::Label, "上限值", 9, 319, 24, 8},
    {1123, K::Edit, "", 34, 317, 26, 12},
    {0, K::Label, "℃", 62, 319, 9, 8},
    {0, K::Label, "下限值", 72, 319, 24, 8},
    {1125, K::Edit, "", 97, 317, 26, 12},
    {0, K::Label, "℃", 125, 319, 9, 8},
    {1124, K::Button, "设置", 137, 316, 30, 14},
    {1109, K::Frame, "", 4, 346, 167, 44},
    {0, K::Label, "温度2报警寄存器设置", 9, 352, 96, 8},
    {1116, K::Check, "开/关", 122, 351, 40, 10},
    {0, K::Label, "上限值", 9, 370, 24, 8},
    {1126, K::Edit, "", 34, 368, 26, 12},
    {0, K::Label, "℃", 62, 370, 9, 8},
    {0, K::Label, "下限值", 72, 370, 24, 8},
    {1128, K::Edit, "", 97, 368, 26, 12},
    {0, K::Label, "℃", 125, 370, 9, 8},
    {1127, K::Button, "设置", 137, 367, 30, 14},
    {1108, K::Frame, "", 4, 397, 167, 44},
    {0, K::Label, "温度3报警寄存器设置", 9, 403, 96, 8},
    {1117, K::Check, "开/关", 122, 402, 40, 10},
    {0, K::Label, "上限值", 9, 421, 24, 8},
    {1129, K::Edit, "", 34, 419, 26, 12},
    {0, K::Label, "℃", 62, 421, 9, 8},
    {0, K::Label, "下限值", 72, 421, 24, 8},
    {1131, K::Edit, "", 97, 419, 26, 12},
    {0, K::Label, "℃", 125, 421, 9, 8},
    {1130, K::Button, "设置", 137, 418, 30, 14},
    // Value tables and counters
    {0, K::Label, "成功", 178, 138, 18, 8},
    {1071, K::EditReadOnly, "", 197, 136, 44, 12},
    {0, K::Label, "次", 243, 138, 8, 8},
    {0, K::Label, "失败", 256, 138, 18, 8},
    {1072, K::EditReadOnly, "", 275, 136, 44, 12},
    {0, K::Label, "次", 321, 138, 8, 8},
    {1011, K::List, "", 175, 153, 168, 287},
    {1015, K::List, "", 346, 153, 168, 287},
    // Curve groups along the top and in frame 1065
    {1006, K::IconButton, "设置时间", 347, 10, 62, 16},
    {1008, K::IconButton, "查询曲线条数", 413, 10, 56, 16},
    {1019, K::IconButton, "清除曲线", 472, 9, 40, 17},
    {1065, K::Frame, "", 347, 28, 165, 95},
    {0, K::Label, "读取第", 352, 39, 24, 8},
    {1010, K::Edit, "", 377, 37, 22, 12},
    {0, K::Label, "组曲线数据", 401, 39, 42, 8},
    {1009, K::IconButton, "读取", 462, 32, 46, 34},
    {0, K::Label, "曲线组记录日期：", 352, 55, 64, 8},
    {1034, K::Label, "", 416, 55, 90, 8},
    {0, K::Label, "本组曲线共有记录点：", 352, 69, 80, 8},
    {1035, K::Label, "", 432, 69, 22, 8},
    {0, K::Label, "个", 455, 69, 8, 8},
    {0, K::Label, "查看第", 352, 85, 24, 8},
    {1022, K::Edit, "", 377, 83, 22, 12},
    {0, K::Label, "点电压数据", 401, 85, 42, 8},
    {1031, K::IconButton, "查看", 462, 81, 46, 15, true},
    {1038, K::IconButton, "打开", 352, 100, 48, 19},
    {1039, K::IconButton, "另存", 406, 100, 48, 19, true},
    {1047, K::IconButton, "曲线", 460, 100, 48, 19, true},
    {1026, K::Label, "已记录N组曲线", 360, 126, 150, 9},
    {1037, K::Label, "", 360, 142, 150, 9},
    {1133, K::Label, "    ", 437, 444, 73, 8},
    // Factory strip: range gear and calibration
    {0, K::GroupBox, "工厂模式", 526, 8, 150, 334},
    {0, K::GroupBox, "设置电压档位", 532, 22, 138, 46},
    {0, K::Label, "选择电压档位：", 538, 38, 58, 8},
    {1075, K::Combo, "2V|6V|12V", 596, 36, 36, 60},
    {1076, K::Button, "设置", 636, 35, 28, 14},
    {0, K::GroupBox, "参数校准", 532, 74, 138, 262},
    {0, K::Label, "单节电池电压校准", 538, 88, 80, 8},
    {0, K::Label, "2V档位", 544, 103, 30, 8},
    {1077, K::Combo, "1V|2V", 578, 101, 50, 60},
    {1078, K::Button, "校准", 634, 100, 30, 14},
    {0, K::Label, "6V档位", 544, 121, 30, 8},
    {1079, K::Combo, "3V|6V", 578, 119, 50, 60},
    {1080, K::Button, "校准", 634, 118, 30, 14},
    {0, K::Label, "12V档位", 544, 139, 30, 8},
    {1081, K::Combo, "6V|12V", 578, 137, 50, 60},
    {1082, K::Button, "校准", 634, 136, 30, 14},
    {0, K::Label, "总电压校准", 538, 160, 80, 8},
    {0, K::Label, "2V档位", 544, 175, 30, 8},
    {1083, K::Combo, "40V|80V", 578, 173, 50, 60},
    {1084, K::Button, "校准", 634, 172, 30, 14},
    {0, K::Label, "6V档位", 544, 193, 30, 8},
    {1085, K::Combo, "120V|240V", 578, 191, 50, 60},
    {1086, K::Button, "校准", 634, 190, 30, 14},
    {0, K::Label, "12V档位", 544, 211, 30, 8},
    {1087, K::Combo, "240V|480V", 578, 209, 50, 60},
    {1088, K::Button, "校准", 634, 208, 30, 14},
    {0, K::Label, "温度校准", 538, 240, 80, 8},
    {1101, K::Combo, "10K|50K", 578, 253, 50, 60},
    {1102, K::Button, "校准", 634, 252, 30, 14},
    {0, K::Label, "电流模拟量校准", 538, 280, 80, 8},
    {1103, K::Combo, "2.5V|5V", 578, 293, 50, 60},
    {1104, K::Button, "校准", 634, 292, 30, 14},
};

}  // namespace

std::span<const ControlDef> PanelTemplate() { return kControls; }

}  // namespace kx::panel
