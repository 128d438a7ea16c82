#pragma once
// The link's outcomes in the panel's words, which the command line prints beside
// its own English cause. One function per operation, each a table from the
// operation's outcome to its text in Messages.h. Every text comes in the current
// language (Translate.h), except the alarm texts of AlarmBitText and
// DecodeAlarmWord: those stay the Chinese source texts, which the monitor's MQTT
// and the JSON outputs carry whatever the language.

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "link/Alarms.h"
#include "link/CellSummary.h"
#include "link/DeviceClock.h"
#include "link/Exchange.h"
#include "link/GearCalibration.h"
#include "link/Port.h"

namespace kx {

// The device clock: "设置系统时间成功:2014-05-06 09:03:07" for Ok, "设置系统时间失败"
// otherwise; local must be the same reading the frame was built from.
std::string SetClockMessage(SetClockOutcome outcome, const std::tm& local);
// A failed clock read: "读取时间!" or "校验错!"; empty for Ok.
std::string ReadClockMessage(ReadClockOutcome outcome);
// The unit's clock as the panel shows it: "2014年-5月-6日-9时-3分-7秒", no leading zeros.
std::string FormatDeviceTime(const BcdDateTime& t);

// A failed version read: "读数据失败！", "读数据aa失败！" (cut short) or "校验错!"; nullptr for Ok.
const char* VersionMessage(ExchangeOutcome outcome);
// A failed address or baud change: "设置失败!" or "校验错!"; nullptr for Ok.
const char* LinkSettingMessage(ExchangeOutcome outcome);

// "设置成功!", "设置失败!" (wrong count), "操作失败!!" (short read) or "校验错!".
const char* SetGearMessage(ExchangeOutcome outcome);
// A failed read ("读数据失败!" or "校验错!"), or an unknown gear byte ("读取电压档位错误!");
// nullptr when the gear can be shown.
const char* ReadGearMessage(const GearReading& reading);
// "校准成功!", "校准失败!" (no reply on the 2 V cell channel; "校准失败!!" on the
// others), "操作失败!!" (short read) or "校验错!".
const char* CalibrationMessage(const CalibrationRow& row, ExchangeOutcome outcome);

// "设置成功!", "设置失败!" or "校验错!".
const char* SetAlarmMessage(ExchangeOutcome outcome);
// A failed alarm read: "读数据失败!" or "校验错!"; nullptr for Ok.
const char* ReadAlarmMessage(ExchangeOutcome outcome);
// An alarm bit's text ("总电压欠压报警" for bit 8, ... "温度1高温报警" for bit 0).
const char* AlarmBitText(int bit);
// The alarm word and the texts of the bits set in it, in the read-out's order.
struct AlarmList {
  uint16_t word = 0;
  std::vector<std::string> texts;  // empty when no alarm bit (0..8) is set
};
AlarmList DecodeAlarmWord(uint16_t word);
// What the alarm read-out shows: the texts, each ending in a line feed, or
// "报警正常!" when there are none.
std::string AlarmReport(uint16_t word);

// "共3条曲线,1条在画".
std::string CurveCountText(int recorded, int recording);

// "最高 电池17 3.412V  最低 电池5 3.281V  压差 131mV  平均 3.350V", or a plain
// sentence when no cell is fitted.
std::string CellSummaryLine(const CellSummary& summary);

// A live field's name as the tables show it: "电池17", "总电压", "电流", "温度1",
// "模拟量2" (field numbered as in link/LiveReading.h).
std::string LiveFieldLabel(size_t field);

// Why the port did not open, short enough to stand beside the panel's own message:
// "设备不存在", "没有权限 (需要加入 dialout 组)", "端口被其他程序占用", "设备已断开", ...
std::string OpenFailureCause(const std::string& path, LinkError error);

}  // namespace kx
