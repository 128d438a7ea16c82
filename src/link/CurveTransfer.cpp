#include "link/CurveTransfer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <span>

#include "link/CommandTable.h"
#include "link/Exchange.h"

namespace kx {

namespace {

std::array<uint8_t, 2> GroupData(int group) { return {static_cast<uint8_t>(group & 0xFF), 0x00}; }
std::array<uint8_t, 1> GroupDateData(int group) { return {static_cast<uint8_t>(group & 0xFF)}; }

std::vector<uint8_t> Frame(int address, Command command, std::span<const uint8_t> data = {}) {
  return RequestFrame(address, static_cast<uint8_t>(command), data);
}

// The curve commands tell a reply with a wrong checksum from every other failure,
// which they report as a short reply.
template <typename Outcome>
Outcome ReplyOutcome(ExchangeOutcome outcome) {
  switch (outcome) {
    case ExchangeOutcome::Ok: return Outcome::Ok;
    case ExchangeOutcome::BadChecksum: return Outcome::BadChecksum;
    case ExchangeOutcome::WrongCount:
    case ExchangeOutcome::ShortRead:
    case ExchangeOutcome::WriteFailed: break;
  }
  return Outcome::ShortReply;
}

// A result with the exchange's outcome, cause and count; its values are the caller's.
template <typename Result>
Result ResultOf(const ExchangeResult& ex) {
  Result result;
  result.outcome = ReplyOutcome<decltype(result.outcome)>(ex.outcome);
  result.cause = ex.cause;
  result.count = ex.count;
  return result;
}

}  // namespace

std::vector<uint8_t> CurveCountFrame(int address) { return Frame(address, Command::QueryCurveCount); }
std::vector<uint8_t> GroupImageFrame(int address, int group) {
  return Frame(address, Command::ReadGroup, GroupData(group));
}
std::vector<uint8_t> GroupDateFrame(int address, int group) {
  return Frame(address, Command::ReadGroupDate, GroupDateData(group));
}
std::vector<uint8_t> ClearCurvesFrame(int address) { return Frame(address, Command::ClearCurves); }

CurveCountResult QueryCurveCount(Port& port, int address, bool verifyChecksum) {
  const ExchangeResult ex =
      Transact(port, address, Command::QueryCurveCount, {}, {.verifyChecksum = verifyChecksum});
  CurveCountResult result = ResultOf<CurveCountResult>(ex);
  if (result.outcome != CurveCountOutcome::Ok) return result;
  result.recorded = ex.reply[7];
  result.recording = ex.reply[8];
  return result;
}

GroupImageOutcome ReadGroupImage(Port& port, int address, int group, std::vector<uint8_t>& image,
                                 int* badPackets, const GroupProgressCallback& progress) {
  int bad = 0;
  if (badPackets) *badPackets = 0;
  const CommandInfo& info = Info(Command::ReadGroup);
  const size_t header = static_cast<size_t>(info.replyLength);
  const int pauseMs = info.await == Await::PauseThenRead ? ScaledWait(port, kPauseMs) : 0;
  const std::vector<uint8_t> request = GroupImageFrame(address, group);
  // One packet as it arrives: the header, then at most a full payload and its checksum.
  std::vector<uint8_t> packet(header + kGroupPacketFull + 2);
  uint8_t* const payload = packet.data() + header;
  std::vector<uint8_t> working;  // the caller's image stays as it was until the group is whole
  size_t packets = 0;

  const auto code = static_cast<uint8_t>(Command::ReadGroup);
  for (;;) {
    if (info.purge) port.Purge();
    if (!WriteRequestFrame(port, code, request)) return GroupImageOutcome::WriteFailed;

    const size_t headerGot = port.Read(packet.data(), header, pauseMs);
    if (headerGot != header) {
      const LinkError cause = port.LastError();
      TraceReply(port, code, std::span<const uint8_t>(packet.data(), headerGot), header, FailedReplyVerdict(headerGot, cause),
                 cause);
      return GroupImageOutcome::ShortHeader;
    }
    const size_t length = BigEndian16(packet, 5);
    const size_t room = std::min(kGroupPacketFull, kGroupImageCapacity - working.size());
    if (length > room) {
      // Abandoned unread: its payload would not fit the packet buffer's contract
      // (or the group would pass its capacity).
      if (FrameTracing()) {
        TraceFrame({.sent = false,
                    .command = code,
                    .verdict = FrameVerdict::WrongLength,
                    .bytes = std::span<const uint8_t>(packet.data(), header),
                    .count = header + length + 2,
                    .expected = header + room + 2,
                    .note = "as announced; not read",
                    .port = port.Name()});
      }
      return length > kGroupPacketFull ? GroupImageOutcome::Oversize : GroupImageOutcome::Overflow;
    }
    const size_t bodyGot = port.Read(payload, length + 2);
    const std::span<const uint8_t> got(packet.data(), header + bodyGot);
    if (bodyGot != length + 2) {
      const LinkError cause = port.LastError();
      TraceReply(port, code, got, header + length + 2, FailedReplyVerdict(got.size(), cause), cause);
      return GroupImageOutcome::ShortPayload;
    }
    if (ReplyChecksumOk(got)) {
      TraceReply(port, code, got, got.size(), FrameVerdict::Accepted);
    } else {
      ++bad;
      TraceReply(port, code, got, got.size(), FrameVerdict::BadChecksum, LinkError::None, "taken, counted as bad");
    }

    working.insert(working.end(), payload, payload + length);
    ++packets;
    if (progress) progress({packets, working.size(), working.empty() ? -1 : int{working.front()}});
    if (length < kGroupPacketFull) break;  // the last packet, possibly empty
  }
  image = std::move(working);
  if (badPackets) *badPackets = bad;
  return GroupImageOutcome::Ok;
}

int GroupPacketWireMs(int baud) {
  if (baud <= 0) return 0;
  const auto bits = 10 * (static_cast<long long>(Info(Command::ReadGroup).replyLength) + kGroupPacketFull + 2);
  return static_cast<int>((bits * 1000 + baud - 1) / baud);
}

GroupDateResult ReadGroupDate(Port& port, int address, int group, bool verifyChecksum) {
  const ExchangeResult ex = Transact(port, address, Command::ReadGroupDate, GroupDateData(group),
                                     {.verifyChecksum = verifyChecksum});
  GroupDateResult result = ResultOf<GroupDateResult>(ex);
  if (result.outcome != GroupDateOutcome::Ok) return result;
  result.date = DecodeBcdDateTime(ex.reply.data() + kFrameHeaderSize);
  std::copy_n(ex.reply.begin() + kFrameHeaderSize, result.raw.size(), result.raw.begin());
  return result;
}

std::string FormatGroupDate(const BcdDateTime& date) {
  std::tm fields = TmFromBcd(date);
  const time_t value = std::mktime(&fields);
  std::tm local{};
  char text[64];
  if (value != static_cast<time_t>(-1) && localtime_r(&value, &local) != nullptr &&
      std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) != 0) {
    return text;
  }
  // Beyond what the C library can convert: show the fields as they came.
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date.year, date.month, date.day, date.hour,
                date.minute, date.second);
  return text;
}

ClearOutcome ClearCurves(Port& port, int address, bool verifyChecksum) {
  const ExchangeResult ex = Transact(port, address, Command::ClearCurves, {}, {.verifyChecksum = verifyChecksum});
  if (const auto outcome = ReplyOutcome<ClearOutcome>(ex.outcome); outcome != ClearOutcome::Ok) return outcome;
  return ex.reply[7] == 0xFF ? ClearOutcome::Ok : ClearOutcome::Refused;
}

}  // namespace kx
