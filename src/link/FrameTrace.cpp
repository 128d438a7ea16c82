#include "link/FrameTrace.h"

#include <cstdio>
#include <ctime>
#include <iterator>
#include <utility>

#include "link/CommandTable.h"
#include "link/Exchange.h"

namespace kx {

namespace {

// "3 of 11 bytes" when short, "311 bytes, 11 expected" when long.
std::string Counted(size_t count, size_t expected) {
  if (count < expected) return std::to_string(count) + " of " + std::to_string(expected) + " bytes";
  return std::to_string(count) + " bytes, " + std::to_string(expected) + " expected";
}

}  // namespace

FrameRecord FrameRecord::From(const FrameEvent& event) {
  FrameRecord record{event, std::vector<uint8_t>(event.bytes.begin(), event.bytes.end())};
  record.fields.bytes = {};
  return record;
}

FrameEvent FrameRecord::View() const {
  FrameEvent event = fields;
  event.bytes = bytes;
  return event;
}

std::string FrameTimeText(int64_t timeMs) {
  const std::time_t seconds = static_cast<std::time_t>(timeMs / 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<int>(timeMs % 1000));
  return text;
}

std::string FrameHexText(std::span<const uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 3);
  for (uint8_t b : bytes) {
    if (!text.empty()) text += ' ';
    text += kDigits[b >> 4];
    text += kDigits[b & 0x0F];
  }
  return text;
}

std::string FrameCommandText(uint8_t command) {
  if (const CommandInfo* info = FindCommand(command)) return info->name;
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", command);
  return text;
}

std::string FrameVerdictText(const FrameEvent& event) {
  std::string text;
  switch (event.verdict) {
    case FrameVerdict::Sent: text = "sent"; break;
    case FrameVerdict::WriteFailed:
      text = std::string("port error: ") + std::to_string(event.count) + " of " + std::to_string(event.expected) +
             " bytes written, " + Describe(event.cause);
      break;
    case FrameVerdict::Accepted: text = "reply accepted"; break;
    case FrameVerdict::AcceptedUnchecked: text = "reply accepted, checksum not checked"; break;
    case FrameVerdict::WrongLength: text = "wrong length: " + Counted(event.count, event.expected); break;
    case FrameVerdict::BadChecksum: text = "wrong checksum"; break;
    case FrameVerdict::NoReply: text = "no reply"; break;
    case FrameVerdict::PortError:
      text = std::string("port error: ") + Describe(event.cause);
      if (event.count != 0) text += ", " + Counted(event.count, event.expected);
      break;
  }
  if (event.note != nullptr) text += std::string(" (") + event.note + ")";
  return text;
}

std::string FrameLine(const FrameEvent& event) {
  std::string line = FrameTimeText(event.timeMs) + (event.sent ? " TX" : " RX");
  if (!event.bytes.empty()) line += ' ' + FrameHexText(event.bytes);
  line += " | " + FrameCommandText(event.command) + " | " + FrameVerdictText(event);
  return line;
}

FrameCollector::~FrameCollector() { Uninstall(); }

void FrameCollector::Install() {
  SetFrameTracer([this](const FrameEvent& event) { Append(event); });
  installed_ = true;
}

void FrameCollector::Uninstall() {
  if (!installed_) return;
  SetFrameTracer(nullptr);
  installed_ = false;
}

void FrameCollector::Append(const FrameEvent& event) {
  FrameRecord record = FrameRecord::From(event);  // the copy is made outside the lock
  std::lock_guard lock(mutex_);
  pending_.push_back(std::move(record));
  if (pending_.size() > capacity_) pending_.pop_front();
}

std::vector<FrameRecord> FrameCollector::Take() {
  std::deque<FrameRecord> taken;
  {
    std::lock_guard lock(mutex_);
    taken.swap(pending_);
  }
  return std::vector<FrameRecord>(std::make_move_iterator(taken.begin()), std::make_move_iterator(taken.end()));
}

}  // namespace kx
