#pragma once
// The device operations' Chinese texts, shared by the panel and the command-line
// tool (UTF-8, exactly as shown). Which outcome shows which is ChineseTexts.h;
// texts that only the panel's own dialogs show live with the panel. These are the
// source texts: look them up with Tr("Messages", ...) where they are shown.

#include "texts/Translate.h"

namespace kx::msg {
// Opening the port and talking to the unit
inline constexpr const char* kPortNotFound = KX_NOOP("Messages", "没有发现此串口或此串口被占用");
inline constexpr const char* kOpenPortFailed = KX_NOOP("Messages", "打开串口失败!");
inline constexpr const char* kOpenCommPortFailed = KX_NOOP("Messages", "打开通信端口失败");
// The port for the curve count did not open (the leading space is part of the text).
inline constexpr const char* kCurveCountOpenFailed = KX_NOOP("Messages", " 通讯失败!");
// The curve count got no reply, or the port for clearing the groups did not open.
inline constexpr const char* kCurveCommFailed = KX_NOOP("Messages", "通讯失败!");
inline constexpr const char* kCommFailed = KX_NOOP("Messages", "通讯失败");
inline constexpr const char* kBadChecksum = KX_NOOP("Messages", "校验错!");
// Device clock
inline constexpr const char* kSetClockOk = KX_NOOP("Messages", "设置系统时间成功:");  // followed by the time sent
inline constexpr const char* kSetClockFailed = KX_NOOP("Messages", "设置系统时间失败");
inline constexpr const char* kReadClockFailed = KX_NOOP("Messages", "读取时间!");
// Curve groups
inline constexpr const char* kCurveCountFormat = KX_NOOP("Messages", "共%d条曲线,%d条在画");  // recorded, still recording
inline constexpr const char* kCurveCountFailed = KX_NOOP("Messages", "读数据错误");
inline constexpr const char* kNoCurveData = KX_NOOP("Messages", "无曲线数据");
inline constexpr const char* kNoSuchCurve = KX_NOOP("Messages", "无该条曲线数据");
inline constexpr const char* kGroupPacketFailed = KX_NOOP("Messages", "读数据失败");
inline constexpr const char* kGroupReadFailed = KX_NOOP("Messages", "读曲线数据错误");
inline constexpr const char* kClearOk = KX_NOOP("Messages", "清除成功!");
inline constexpr const char* kClearFailed = KX_NOOP("Messages", "清除失败!");
// Identity and link settings
// The version read failed; its reply was cut short. Both end in a full-width "!".
inline constexpr const char* kVersionFailed = KX_NOOP("Messages", "读数据失败！");
inline constexpr const char* kVersionCutShort = KX_NOOP("Messages", "读数据aa失败！");
inline constexpr const char* kAddressOutOfRange = KX_NOOP("Messages", "请输入0~255范围内的数");
inline constexpr const char* kAddressSetOk = KX_NOOP("Messages", "地址设置成功!!!");
inline constexpr const char* kBaudSetOk = KX_NOOP("Messages", "波特率设置成功!!!");
// Settings in general
inline constexpr const char* kSetOk = KX_NOOP("Messages", "设置成功!");
inline constexpr const char* kSetFailed = KX_NOOP("Messages", "设置失败!");
inline constexpr const char* kOperationFailed = KX_NOOP("Messages", "操作失败!!");
inline constexpr const char* kReadDataFailed = KX_NOOP("Messages", "读数据失败!");
// Gear and calibration
inline constexpr const char* kBadGear = KX_NOOP("Messages", "读取电压档位错误!");
inline constexpr const char* kCalibrationOk = KX_NOOP("Messages", "校准成功!");
// A calibration got no reply: one "!" for the 2 V cell channel, two for the others.
inline constexpr const char* kCalibrationFailed = KX_NOOP("Messages", "校准失败!");
inline constexpr const char* kCalibrationFailedOthers = KX_NOOP("Messages", "校准失败!!");
// Alarms
inline constexpr const char* kAlarmNormal = KX_NOOP("Messages", "报警正常!");
}  // namespace kx::msg
