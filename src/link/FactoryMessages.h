#pragma once
// Message texts of the factory and setting operations (UTF-8, exactly as shown).

namespace kx::msg {
// Identity and link settings
inline constexpr const char* kReadDataFailedWide = "读数据失败！";  // full-width "!"
inline constexpr const char* kReadDataAaFailedWide = "读数据aa失败！";
inline constexpr const char* kAddressOutOfRange = "请输入0~255范围内的数";
inline constexpr const char* kAddressSetOk = "地址设置成功!!!";
inline constexpr const char* kBaudSetOk = "波特率设置成功!!!";
// Settings in general
inline constexpr const char* kSetOk = "设置成功!";
inline constexpr const char* kSetFailed = "设置失败!";
inline constexpr const char* kOperationFailed = "操作失败!!";
inline constexpr const char* kReadDataFailed = "读数据失败!";
// Gear and calibration
inline constexpr const char* kBadGear = "读取电压档位错误!";
inline constexpr const char* kCalibrationOk = "校准成功!";
inline constexpr const char* kCalibrationFailed = "校准失败!";
inline constexpr const char* kCalibrationFailedBang = "校准失败!!";
// Alarms
inline constexpr const char* kAlarmNormal = "报警正常!";
// A list entry that a request needs has not been chosen; nothing is sent.
inline constexpr const char* kChooseBaud = "请先选择新的波特率!";
inline constexpr const char* kChooseGear = "请先选择电压档位!";
inline constexpr const char* kChooseCalibrationPoint = "请先选择校准点!";
}  // namespace kx::msg
