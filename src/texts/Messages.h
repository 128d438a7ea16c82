#pragma once
// The device operations' Chinese texts, shared by the panel and the command-line
// tool (UTF-8, exactly as shown). Which outcome shows which is ChineseTexts.h;
// texts that only the panel's own dialogs show live with the panel.

namespace kx::msg {
// Opening the port and talking to the unit
inline constexpr const char* kPortNotFound = "没有发现此串口或此串口被占用";
inline constexpr const char* kOpenPortFailed = "打开串口失败!";
inline constexpr const char* kOpenCommPortFailed = "打开通信端口失败";
// The port for the curve count did not open (the leading space is part of the text).
inline constexpr const char* kCurveCountOpenFailed = " 通讯失败!";
// The curve count got no reply, or the port for clearing the groups did not open.
inline constexpr const char* kCurveCommFailed = "通讯失败!";
inline constexpr const char* kCommFailed = "通讯失败";
inline constexpr const char* kBadChecksum = "校验错!";
// Device clock
inline constexpr const char* kSetClockOk = "设置系统时间成功:";  // followed by the time sent
inline constexpr const char* kSetClockFailed = "设置系统时间失败";
inline constexpr const char* kReadClockFailed = "读取时间!";
// Curve groups
inline constexpr const char* kCurveCountFormat = "共%d条曲线,%d条在画";  // recorded, still recording
inline constexpr const char* kCurveCountFailed = "读数据错误";
inline constexpr const char* kNoCurveData = "无曲线数据";
inline constexpr const char* kNoSuchCurve = "无该条曲线数据";
inline constexpr const char* kGroupPacketFailed = "读数据失败";
inline constexpr const char* kGroupReadFailed = "读曲线数据错误";
inline constexpr const char* kClearOk = "清除成功!";
inline constexpr const char* kClearFailed = "清除失败!";
// Identity and link settings
// The version read failed; its reply was cut short. Both end in a full-width "!".
inline constexpr const char* kVersionFailed = "读数据失败！";
inline constexpr const char* kVersionCutShort = "读数据aa失败！";
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
// A calibration got no reply: one "!" for the 2 V cell channel, two for the others.
inline constexpr const char* kCalibrationFailed = "校准失败!";
inline constexpr const char* kCalibrationFailedOthers = "校准失败!!";
// Alarms
inline constexpr const char* kAlarmNormal = "报警正常!";
}  // namespace kx::msg
