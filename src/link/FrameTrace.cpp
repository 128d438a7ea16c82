#include "link/FrameTrace.h"

#include <cstdio>
#include <ctime>
#include <utility>

#include "link/CommandTable.h"
#include "link/Exchange.h"

namespace kx {

FrameRecord FrameRecord::From(const FrameEvent& event) {
  FrameRecord record{event, std::vector<uint8_t>(event.bytes.begin(), event.bytes.end()), std::string(event.port)};
  record.fields.bytes = {};
  record.fields.port = {};
  return record;
}

FrameEvent FrameRecord::View() const {
  FrameEvent event = fields;
  event.bytes = bytes;
  event.port = port;
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
  std::lock_guard lock(mutex_);
  if (pending_.frames.size() >= 2 * capacity_) {
    // The reader is behind: keep the newest capacity frames. Done once per capacity
    // frames, so a frame's share stays small.
    const size_t drop = pending_.frames.size() - capacity_ + 1;
    const size_t cut = pending_.frames[drop].offset;
    pending_.frames.erase(pending_.frames.begin(), pending_.frames.begin() + static_cast<ptrdiff_t>(drop));
    pending_.bytes.erase(pending_.bytes.begin(), pending_.bytes.begin() + static_cast<ptrdiff_t>(cut));
    for (Stored& stored : pending_.frames) stored.offset -= cut;
  }
  Stored stored{event, pending_.bytes.size()};
  stored.fields.bytes = {};
  stored.fields.port = {};
  pending_.frames.push_back(stored);
  pending_.bytes.insert(pending_.bytes.end(), event.bytes.begin(), event.bytes.end());
}

std::vector<FrameRecord> FrameCollector::Take() {
  {
    std::lock_guard lock(mutex_);
    std::swap(pending_, taken_);
  }
  const std::vector<Stored>& frames = taken_.frames;
  const size_t first = frames.size() > capacity_ ? frames.size() - capacity_ : 0;
  std::vector<FrameRecord> records;
  records.reserve(frames.size() - first);
  for (size_t i = first; i < frames.size(); ++i) {
    const size_t end = i + 1 < frames.size() ? frames[i + 1].offset : taken_.bytes.size();
    records.push_back({frames[i].fields, std::vector<uint8_t>(taken_.bytes.begin() + static_cast<ptrdiff_t>(frames[i].offset),
                                                              taken_.bytes.begin() + static_cast<ptrdiff_t>(end)),
                       {}});
  }
  // Emptied but not freed: the next swap hands this storage to the tracer.
  taken_.frames.clear();
  taken_.bytes.clear();
  return records;
}

}  // namespace kx
