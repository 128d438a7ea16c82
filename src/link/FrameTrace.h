#pragma once
// What the link tells an observer about each frame sent or received (the command
// line's --trace, the panel's protocol view), and the fields of the frame's line as
// numbers become text; the verdict in words and the whole line are texts/FrameText.h.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/Port.h"

namespace kx {

enum class FrameVerdict {
  Sent,               // a request, written whole
  WriteFailed,        // a request that did not all go out ("port error")
  Accepted,           // a reply taken after its checksum was verified
  AcceptedUnchecked,  // a reply taken on its length alone (the command table says so)
  WrongLength,        // fewer or more bytes than expected (not a port failure)
  BadChecksum,        // the reply's checksum is wrong
  NoReply,            // nothing came within the wait (a frame with no bytes)
  PortError,          // the port failed while the reply was awaited (hang-up, I/O, cancel)
  Opened,             // a network port connected (no bytes; count holds its extra wait in ms)
};

// One frame as the exchange saw it. bytes is only valid during the tracer's call.
struct FrameEvent {
  int64_t timeMs = 0;  // milliseconds since 1970 (UTC); stamped when traced
  bool sent = false;
  uint8_t command = 0;  // the request's command code (a reply carries its request's)
  FrameVerdict verdict = FrameVerdict::Sent;
  std::span<const uint8_t> bytes;
  size_t count = 0;     // the bytes that came or went (a count may exceed what is shown)
  size_t expected = 0;  // the bytes the frame should have had
  LinkError cause = LinkError::None;  // the port's cause for WriteFailed and PortError
  const char* note = nullptr;  // a fixed remark ("not taken: it stays queued"), or none
  std::string_view port = {};  // the port's name (Port::Name); valid only during the tracer's call
};

// A frame kept past the tracer's call (the protocol view's buffer).
struct FrameRecord {
  FrameEvent fields;  // fields.bytes and fields.port are not used; see bytes and port
  std::vector<uint8_t> bytes;
  std::string port;

  static FrameRecord From(const FrameEvent& event);
  FrameEvent View() const;
};

// The fields of the line, each as the protocol view's columns show them.
std::string FrameTimeText(int64_t timeMs);  // "13:05:39.123", local time
std::string FrameHexText(std::span<const uint8_t> bytes);  // "14 2E 00"
std::string FrameCommandText(uint8_t command);  // "read-version"; "0x3F" for a code not in the table

// A bounded buffer of traced frames for a reader on another thread: the tracer
// (on whatever thread exchanges) appends under a short lock into storage that is
// reused, so a frame costs no allocation once the buffer has grown; the reader
// takes everything pending now and then (one reader thread). When the reader falls
// behind, the oldest frames go: a take returns at most the newest capacity frames.
// It serves the panel's one port and keeps no port names.
class FrameCollector {
 public:
  static constexpr size_t kDefaultCapacity = 10000;
  explicit FrameCollector(size_t capacity = kDefaultCapacity) : capacity_(capacity) {}
  ~FrameCollector();
  FrameCollector(const FrameCollector&) = delete;
  FrameCollector& operator=(const FrameCollector&) = delete;

  // Becomes the process's frame tracer / stops being it. After Uninstall returns
  // no call into this collector is in progress or will come.
  void Install();
  void Uninstall();
  bool Installed() const { return installed_; }

  void Append(const FrameEvent& event);
  // Everything appended since the last take (at most the newest capacity), oldest first.
  std::vector<FrameRecord> Take();

 private:
  struct Stored {
    FrameEvent fields;  // fields.bytes is not used
    size_t offset;      // into the byte store
  };
  struct Store {
    std::vector<Stored> frames;
    std::vector<uint8_t> bytes;
  };

  const size_t capacity_;
  bool installed_ = false;
  std::mutex mutex_;
  Store pending_;  // the tracer's side, under mutex_
  Store taken_;    // the reader's side: swapped with pending_, emptied, its storage kept
};

}  // namespace kx
