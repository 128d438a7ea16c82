#include "texts/FrameText.h"

#include "texts/EnglishTexts.h"

namespace kx {

namespace {

// "3 of 11 bytes" when short, "311 bytes, 11 expected" when long.
std::string Counted(size_t count, size_t expected) {
  if (count < expected) return std::to_string(count) + " of " + std::to_string(expected) + " bytes";
  return std::to_string(count) + " bytes, " + std::to_string(expected) + " expected";
}

}  // namespace

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
    case FrameVerdict::Opened:
      text = "connected, every reply wait " + std::to_string(event.count) + " ms longer";
      break;
    case FrameVerdict::PortError:
      text = std::string("port error: ") + Describe(event.cause);
      if (event.count != 0) text += ", " + Counted(event.count, event.expected);
      break;
  }
  if (event.note != nullptr) text += std::string(" (") + event.note + ")";
  return text;
}

std::string FrameLine(const FrameEvent& event) {
  // 13:05:39.123 OPEN rfc2217://10.0.0.5:4001 | open | connected, every reply wait 100 ms longer
  if (event.verdict == FrameVerdict::Opened)
    return FrameTimeText(event.timeMs) + " OPEN " + std::string(event.port) + " | open | " + FrameVerdictText(event);
  std::string line = FrameTimeText(event.timeMs) + (event.sent ? " TX" : " RX");
  if (!event.bytes.empty()) line += ' ' + FrameHexText(event.bytes);
  line += " | " + FrameCommandText(event.command) + " | " + FrameVerdictText(event);
  return line;
}

}  // namespace kx
