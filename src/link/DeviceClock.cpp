#include "link/DeviceClock.h"

#include <array>

#include "link/CommandTable.h"
#include "link/Exchange.h"

namespace kx {

namespace {

std::array<uint8_t, 7> SetClockData(const std::tm& local) {
  std::array<uint8_t, 7> data{};
  EncodeBcdDateTime(BcdFromTm(local), data.data());
  return data;
}

}  // namespace

std::vector<uint8_t> SetClockFrame(int address, const std::tm& local) {
  return RequestFrame(address, static_cast<uint8_t>(Command::SetClock), SetClockData(local));
}

SetClockResult SetDeviceClock(Port& port, int address, const std::tm& local, bool verifyChecksum) {
  ExchangeResult ex =
      Transact(port, address, Command::SetClock, SetClockData(local), {.verifyChecksum = verifyChecksum});
  SetClockResult result;
  result.cause = ex.cause;
  result.count = ex.count;
  result.reply = std::move(ex.reply);
  if (ex.outcome == ExchangeOutcome::BadChecksum) {
    result.outcome = SetClockOutcome::BadChecksum;
  } else if (ex.outcome != ExchangeOutcome::Ok) {
    result.outcome = SetClockOutcome::NoReply;
  } else {
    result.outcome = result.reply[7] == 0xFF ? SetClockOutcome::Ok : SetClockOutcome::Refused;
  }
  return result;
}

ReadClockResult ReadDeviceClock(Port& port, int address) {
  ExchangeResult ex = Transact(port, address, Command::ReadClock, {});
  ReadClockResult result;
  result.cause = ex.cause;
  result.count = ex.count;
  result.reply = std::move(ex.reply);
  switch (ex.outcome) {
    case ExchangeOutcome::Ok:
      result.outcome = ReadClockOutcome::Ok;
      result.time = DecodeBcdDateTime(result.reply.data() + kFrameHeaderSize);
      break;
    case ExchangeOutcome::BadChecksum:
      result.outcome = ReadClockOutcome::BadChecksum;
      break;
    case ExchangeOutcome::WrongCount:
    case ExchangeOutcome::ShortRead:
    case ExchangeOutcome::WriteFailed:  // nothing went out, so nothing can come back
      result.outcome = ReadClockOutcome::WrongCount;
      break;
  }
  return result;
}

}  // namespace kx
