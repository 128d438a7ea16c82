#pragma once
// The stored curve groups: how many the device holds (0x07), one group's image
// downloaded packet by packet (0x08), a group's recording date (0x09) and erasing
// them all (0x0B). The panel takes these replies on their length alone; the
// command line asks for their checksums to be verified as well.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/CommandTable.h"
#include "link/Frame.h"
#include "link/Port.h"

namespace kx {

std::vector<uint8_t> CurveCountFrame(int address);
std::vector<uint8_t> GroupImageFrame(int address, int group);  // group's low byte, then 0
std::vector<uint8_t> GroupDateFrame(int address, int group);
std::vector<uint8_t> ClearCurvesFrame(int address);

enum class CurveCountOutcome {
  Ok,
  ShortReply,  // the reply came back short (or the request did not go out): "通讯失败!"
  BadChecksum,  // only when asked to verify it
};

struct CurveCountResult {
  CurveCountOutcome outcome = CurveCountOutcome::ShortReply;
  int recorded = 0;   // reply byte 7
  int recording = 0;  // reply byte 8: groups still being recorded
  LinkError cause = LinkError::None;
  ReplyCount count;
  // Groups that can be read: recorded minus still recording (may be negative).
  int Readable() const { return recorded - recording; }
};

// The table's exchange; only the reply's length is checked unless verifyChecksum.
CurveCountResult QueryCurveCount(Port& port, int address, bool verifyChecksum = false);

enum class GroupImageOutcome {
  Ok,
  ShortHeader,   // a packet header came back short: "读数据失败"
  ShortPayload,  // a payload (with its checksum) came back short: "读数据失败"
  Oversize,      // a packet announced more than a full packet; its payload is not read
  Overflow,      // the packets would take the image past kGroupImageCapacity
  WriteFailed,   // a request did not go out
};

// Downloads a group (1-based): the same request for every packet, each answered
// by a header (awaited as the table says) whose bytes 5 and 6 give L, then L
// payload bytes and 2 checksum bytes; full packets (kGroupPacketFull) are followed
// by more, the first shorter one (possibly empty) ends the group. The joined payloads replace image only on
// Ok; on any failure image is left as it was. Packets are taken whatever their
// checksum; badPackets (when given) is set to how many failed it.
//
// progress, when given, is called on the calling thread after every packet taken
// whole, so that a front end can show how far the download is.
struct GroupProgress {
  size_t packets = 0;  // packets received so far
  size_t bytes = 0;    // image bytes received so far
  int points = -1;     // the image's first byte (its point count) once it has arrived
};
using GroupProgressCallback = std::function<void(const GroupProgress&)>;
GroupImageOutcome ReadGroupImage(Port& port, int address, int group, std::vector<uint8_t>& image,
                                 int* badPackets = nullptr, const GroupProgressCallback& progress = {});
// How long a whole packet (header, a full payload, checksum) takes on the wire at
// baud, 10 bits a byte, in milliseconds rounded up.
int GroupPacketWireMs(int baud);

enum class GroupDateOutcome {
  Ok,
  ShortReply,  // the reply came back short (or the request did not go out); nothing is shown
  BadChecksum,  // only when asked to verify it
};

struct GroupDateResult {
  GroupDateOutcome outcome = GroupDateOutcome::ShortReply;
  BcdDateTime date;  // reply bytes 7 to 13, valid when Ok
  std::array<uint8_t, 7> raw{};  // the same bytes as they came
  LinkError cause = LinkError::None;
  ReplyCount count;
};

GroupDateResult ReadGroupDate(Port& port, int address, int group, bool verifyChecksum = false);
// The date as a local time value, formatted "%Y-%m-%d %H:%M:%S" (out-of-range
// fields are normalised by the C library, as the device's clock text would be).
std::string FormatGroupDate(const BcdDateTime& date);

enum class ClearOutcome {
  Ok,          // acknowledged with 0xFF
  ShortReply,  // the acknowledge came back short (or the request did not go out)
  Refused,     // acknowledge byte other than 0xFF
  BadChecksum,  // only when asked to verify it
};

// The table's exchange (purge, write, read the acknowledge without pausing).
ClearOutcome ClearCurves(Port& port, int address, bool verifyChecksum = false);

}  // namespace kx
