#include "texts/ChineseTexts.h"

#include <cstdio>
#include <iterator>
#include <string_view>

#include "link/DeviceAccess.h"
#include "link/LiveReading.h"
#include "texts/Messages.h"
#include "texts/Translate.h"

namespace kx {

namespace {

constexpr const char* kCtx = "Messages";

// The gear and calibration replies: a short read is "操作失败!!" whatever the
// operation; nothing can follow an unsent request, so that is a wrong count.
const char* WithOutcome(ExchangeOutcome outcome, const char* ok, const char* wrongCount) {
  switch (outcome) {
    case ExchangeOutcome::Ok: return ok;
    case ExchangeOutcome::ShortRead: return msg::kOperationFailed;
    case ExchangeOutcome::BadChecksum: return msg::kBadChecksum;
    case ExchangeOutcome::WrongCount:
    case ExchangeOutcome::WriteFailed: break;
  }
  return wrongCount;
}

// A failed read or setting: the checksum has its own text, every other failure
// the operation's; nullptr (no message) for Ok.
const char* FailureOf(ExchangeOutcome outcome, const char* failed) {
  switch (outcome) {
    case ExchangeOutcome::Ok: return nullptr;
    case ExchangeOutcome::BadChecksum: return msg::kBadChecksum;
    case ExchangeOutcome::WrongCount:
    case ExchangeOutcome::ShortRead:
    case ExchangeOutcome::WriteFailed: break;
  }
  return failed;
}

}  // namespace

std::string SetClockMessage(SetClockOutcome outcome, const std::tm& local) {
  if (outcome != SetClockOutcome::Ok) return Tr(kCtx, msg::kSetClockFailed);
  char when[64];
  if (std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local) == 0) when[0] = '\0';
  return std::string(Tr(kCtx, msg::kSetClockOk)) + when;
}

std::string ReadClockMessage(ReadClockOutcome outcome) {
  switch (outcome) {
    case ReadClockOutcome::Ok: return {};
    case ReadClockOutcome::WrongCount: return Tr(kCtx, msg::kReadClockFailed);
    case ReadClockOutcome::BadChecksum: return Tr(kCtx, msg::kBadChecksum);
  }
  return {};
}

std::string FormatDeviceTime(const BcdDateTime& t) {
  char text[128];
  std::snprintf(text, sizeof text, Tr("Messages", "%d年-%d月-%d日-%d时-%d分-%d秒"), t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

const char* VersionMessage(ExchangeOutcome outcome) {
  if (outcome == ExchangeOutcome::ShortRead) return Tr(kCtx, msg::kVersionCutShort);
  return Tr(kCtx, FailureOf(outcome, msg::kVersionFailed));
}

const char* LinkSettingMessage(ExchangeOutcome outcome) { return Tr(kCtx, FailureOf(outcome, msg::kSetFailed)); }

const char* SetGearMessage(ExchangeOutcome outcome) {
  return Tr(kCtx, WithOutcome(outcome, msg::kSetOk, msg::kSetFailed));
}

const char* ReadGearMessage(const GearReading& reading) {
  if (reading.outcome == ExchangeOutcome::Ok) return GearText(reading.gear) ? nullptr : Tr(kCtx, msg::kBadGear);
  return Tr(kCtx, FailureOf(reading.outcome, msg::kReadDataFailed));
}

const char* CalibrationMessage(const CalibrationRow& row, ExchangeOutcome outcome) {
  const bool cell2v = std::string_view(row.key) == "cell-2v";
  return Tr(kCtx,
            WithOutcome(outcome, msg::kCalibrationOk, cell2v ? msg::kCalibrationFailed : msg::kCalibrationFailedOthers));
}

const char* SetAlarmMessage(ExchangeOutcome outcome) {
  if (outcome == ExchangeOutcome::Ok) return Tr(kCtx, msg::kSetOk);
  return Tr(kCtx, FailureOf(outcome, msg::kSetFailed));
}

const char* ReadAlarmMessage(ExchangeOutcome outcome) { return Tr(kCtx, FailureOf(outcome, msg::kReadDataFailed)); }

const char* AlarmBitText(int bit) {
  static constexpr const char* kTexts[] = {
      KX_NOOP("Messages", "温度1高温报警"), KX_NOOP("Messages", "温度1低温报警"), KX_NOOP("Messages", "温度2高温报警"),
      KX_NOOP("Messages", "温度2低温报警"), KX_NOOP("Messages", "温度3高温报警"), KX_NOOP("Messages", "温度3低温报警"),
      KX_NOOP("Messages", "总电流过流报警"), KX_NOOP("Messages", "总电压过压报警"), KX_NOOP("Messages", "总电压欠压报警")};
  return bit >= 0 && bit < static_cast<int>(std::size(kTexts)) ? kTexts[bit] : "";
}

AlarmList DecodeAlarmWord(uint16_t word) {
  AlarmList list{word, {}};
  for (int bit : AlarmBitsSet(word)) list.texts.push_back(AlarmBitText(bit));
  return list;
}

std::string AlarmReport(uint16_t word) {
  std::string text;
  for (const std::string& alarm : DecodeAlarmWord(word).texts) text += std::string(Tr(kCtx, alarm.c_str())) + "\n";
  return text.empty() ? Tr(kCtx, msg::kAlarmNormal) : text;
}

std::string CurveCountText(int recorded, int recording) {
  char text[96];
  std::snprintf(text, sizeof text, Tr(kCtx, msg::kCurveCountFormat), recorded, recording);
  return text;
}

std::string CellSummaryLine(const CellSummary& summary) {
  if (!summary.extremes) return Tr("Messages", "没有接入的电池（所有电池读数为 0.000V）");
  const CellExtremes& e = *summary.extremes;
  char line[160];
  std::snprintf(line, sizeof line, Tr("Messages", "最高 电池%zu %.3fV  最低 电池%zu %.3fV  压差 %.0fmV  平均 %.3fV"),
                e.maxIndex, e.maxV, e.minIndex, e.minV, e.spreadMv, summary.meanV);
  return line;
}

std::string OpenFailureCause(const std::string& path, LinkError error) {
  switch (error) {
    case LinkError::None: return {};
    case LinkError::NotFound: return Tr("Messages", "设备不存在");
    case LinkError::NoPermission: {
      const auto access = DeviceAccessOf(path);
      if (!access) return Tr("Messages", "没有权限");
      char text[160];
      std::snprintf(text, sizeof text,
                    access->group ? Tr("Messages", "没有权限 (需要加入 %s 组)") : Tr("Messages", "没有权限 (只有 %s 可以使用)"),
                    access->name.c_str());
      return text;
    }
    case LinkError::InUse: return Tr("Messages", "端口被其他程序占用");
    case LinkError::BadSettings: return Tr("Messages", "串口不支持此设置");
    case LinkError::HungUp: return Tr("Messages", "设备已断开");
    case LinkError::Timeout: return Tr("Messages", "通讯超时");
    case LinkError::NotOpen: return Tr("Messages", "串口未打开");
    case LinkError::Io: return Tr("Messages", "串口读写错误");
    case LinkError::Cancelled: return Tr("Messages", "已取消");
    case LinkError::UnknownHost: return Tr("Messages", "主机名未找到");
    case LinkError::Refused: return Tr("Messages", "连接被拒绝");
    case LinkError::NoRoute: return Tr("Messages", "网络不可达");
  }
  return {};
}

std::string LiveFieldLabel(size_t field) {
  if (field == kLiveTotal) return Tr("Messages", "总电压");
  if (field == kLiveCurrent) return Tr("Messages", "电流");
  const char* format = Tr("Messages", "模拟量%zu");
  size_t n = field - kLiveAnalogs + 1;
  if (field < kLiveCells) {
    format = Tr("Messages", "电池%zu");
    n = field + 1;
  } else if (field < kLiveAnalogs) {
    format = Tr("Messages", "温度%zu");
    n = field - kLiveTemps + 1;
  }
  char text[48];
  std::snprintf(text, sizeof text, format, n);
  return text;
}

}  // namespace kx
