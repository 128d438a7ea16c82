#include "report/ReportData.h"

#include <cstdio>

#include "link/Alarms.h"
#include "link/DeviceClock.h"
#include "link/DeviceSettings.h"
#include "link/Frame.h"
#include "link/LiveValues.h"
#include "texts/Translate.h"

namespace kx::report {

namespace {

Failure FailureOf(ExchangeOutcome outcome, LinkError cause, ReplyCount count) { return {outcome, cause, count, false}; }

// A reading whose outcome alone says whether its value came.
template <class T, class Reading>
Item<T> ItemOf(const Reading& r, T value) {
  Item<T> item;
  if (r.outcome == ExchangeOutcome::Ok)
    item.value = value;
  else
    item.failure = FailureOf(r.outcome, r.cause, r.count);
  return item;
}

}  // namespace

bool ReportData::UnitAnswered() const {
  return portFailure.empty() && (version.ok() || clock.ok() || live.ok() || alarmWord.ok());
}

bool ReportData::Complete() const {
  return portFailure.empty() && version.ok() && clock.ok() && live.ok() && alarmWord.ok();
}

void GatherReport(Port& port, const GatherOptions& options, ReportData& data) {
  const int address = options.address;
  const auto now = [&options] { return options.now ? options.now() : std::time(nullptr); };

  const VersionReading v = ReadVersion(port, address);
  data.version = ItemOf<uint16_t>(v, v.raw);

  const ReadClockResult c = ReadDeviceClock(port, address);
  // Taken when the answer is in: the difference is the unit's error, not the exchange's time.
  const std::time_t pc = now();
  data.clock = {};
  if (c.outcome != ReadClockOutcome::Ok) {
    data.clock.failure = FailureOf(
        c.outcome == ReadClockOutcome::BadChecksum ? ExchangeOutcome::BadChecksum : ExchangeOutcome::WrongCount,
        c.cause, c.count);
  } else if (!IsBcdDateTime(c.reply.data() + kFrameHeaderSize)) {
    data.clock.failure = FailureOf(ExchangeOutcome::Ok, LinkError::None, c.count);
    data.clock.failure.invalidDate = true;
  } else {
    std::tm fields = TmFromBcd(c.time);
    const std::time_t unit = std::mktime(&fields);
    data.clock.value = ClockReading{c.time, pc, static_cast<long long>(unit) - static_cast<long long>(pc)};
  }

  const ExchangeResult r = AcquireLive(port, address);
  data.live = {};
  if (r.outcome == ExchangeOutcome::Ok)
    data.live.value = ScaleLiveValues(r.reply, options.cellFullScale, options.currentRange);
  if (!data.live.value)
    data.live.failure = FailureOf(r.outcome == ExchangeOutcome::Ok ? ExchangeOutcome::ShortRead : r.outcome, r.cause,
                                  r.count);

  const AlarmReading a = ReadAlarmWord(port, address);
  data.alarmWord = ItemOf<uint16_t>(a, a.word);
}

std::string FailureText(const Failure& f) {
  if (f.invalidDate) return Tr("Report", "设备时钟不是有效日期");
  switch (f.cause) {
    case LinkError::HungUp: return Tr("Report", "串口已断开");
    case LinkError::Cancelled: return Tr("Report", "已取消");
    case LinkError::Io: return Tr("Report", "串口读写错误");
    default: break;
  }
  char text[96];
  switch (f.outcome) {
    case ExchangeOutcome::Ok: return {};
    case ExchangeOutcome::WrongCount:
    case ExchangeOutcome::ShortRead:
      if (f.count.expected == 0) return Tr("Report", "应答缺失或长度错误");
      if (f.count.received == 0) return Tr("Report", "设备无应答");
      if (f.count.received < f.count.expected) {
        std::snprintf(text, sizeof text, Tr("Report", "应答不完整: 收到%zu字节, 应为%zu字节"), f.count.received, f.count.expected);
      } else {
        std::snprintf(text, sizeof text, Tr("Report", "应答长度错误: 应为%zu字节, 收到%zu字节"), f.count.expected, f.count.received);
      }
      return text;
    case ExchangeOutcome::BadChecksum: return Tr("Report", "校验错");
    case ExchangeOutcome::WriteFailed: return Tr("Report", "请求未能发出");
  }
  return Tr("Report", "通讯失败");
}

std::string FormatClockReading(const BcdDateTime& t) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  return text;
}

std::string ClockDifferenceText(long long d) {
  if (d == 0) return Tr("Report", "设备与电脑一致");
  char text[96];
  std::snprintf(text, sizeof text, d < 0 ? Tr("Report", "设备比电脑慢 %lld 秒") : Tr("Report", "设备比电脑快 %lld 秒"),
                d < 0 ? -d : d);
  return text;
}

}  // namespace kx::report
