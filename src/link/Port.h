#pragma once
// The byte stream to the device. SerialPort is the real one; tests and fuzzing use
// in-memory ports. Every device exchange is written against this interface.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kx {

// Why an open or a transfer failed; the front ends explain each cause.
enum class LinkError {
  None,
  NotFound,      // no such device (or no port number mapping)
  NoPermission,  // the device exists but may not be opened by this user
  InUse,         // another program holds the device
  BadSettings,   // the line settings were refused (e.g. an unsupported baud rate)
  HungUp,        // the device went away (hang-up, unplugged adapter)
  Timeout,       // a transfer did not complete within its time-outs
  NotOpen,       // no port is open
  Io,            // any other system error
  Cancelled,     // stopped on request (a cancel, a closing window, Ctrl-C)
  // A network port (a serial server) could not be reached:
  UnknownHost,   // the host name is not known
  Refused,       // nothing listens on that TCP port
  NoRoute,       // the network or host cannot be reached
};

// How long the reply was to be and how many bytes came (a wait's count may exceed
// the length); expected is 0 where nothing was awaited.
struct ReplyCount {
  size_t expected = 0;
  size_t received = 0;
};

// The five time-outs applied at every open, in milliseconds.
struct Timeouts {
  int readIntervalMs = 1000;      // a read ends when more than this passes between two bytes
  int readTotalPerByteMs = 50;    // a read of n bytes ends after at most
  int readTotalConstantMs = 50;   //   perByte * n + constant
  int writeTotalPerByteMs = 100;  // a write of n bytes ends after at most
  int writeTotalConstantMs = 500; //   perByte * n + constant
};

class Port {
 public:
  virtual ~Port() = default;

  // Abort pending transfers and discard both the input and the output buffers.
  virtual void Purge() = 0;
  // Writes n bytes, bounded by the write time-outs; returns the count written.
  virtual size_t Write(const uint8_t* data, size_t n) = 0;
  // Reads up to n bytes, bounded by the read time-outs; returns the count read
  // (fewer than n on time-out or hang-up). extraMs lengthens the total deadline:
  // "pause 50 ms, then read n" is Read(buf, n, 50), which returns as soon as the
  // n bytes are there and gives a late reply 50 ms plus the read time-outs.
  virtual size_t Read(uint8_t* data, size_t n, int extraMs = 0) = 0;
  // Waits until at least count bytes are queued or timeoutMs passes; returns the
  // number queued (which may exceed count, or fall short at the deadline).
  // Reads nothing for the caller. Read and this wait end once the bytes are
  // there; a port that knows its line's byte time need not wake for each byte
  // on the way (SerialPort sleeps through a reply's line time), one that does not
  // (no baud rate) wakes as bytes arrive. An interruption ends either at once.
  virtual size_t WaitForBytes(size_t count, int timeoutMs) = 0;
  // Bytes received and not yet read.
  virtual size_t Queued() = 0;
  // Copies up to n of the bytes already taken in and not yet read, leaving them
  // queued (so that a trace can show a reply that was not taken).
  virtual size_t Peek(uint8_t* data, size_t n) const {
    (void)data;
    (void)n;
    return 0;
  }
  // The cause of the last failure (None after success).
  virtual LinkError LastError() const = 0;
  // The name the port was opened by, for a trace that spans several ports; empty
  // for a port without one.
  virtual std::string_view Name() const { return {}; }

  // Every wait and pause of an exchange on this port is multiplied by this: 1 in
  // the programs; tests shorten the waits of their own ports (see ScaledWait).
  void SetWaitScale(double scale) { waitScale_ = scale > 0 ? scale : 0.0; }
  double WaitScale() const { return waitScale_; }

 private:
  double waitScale_ = 1.0;
};

}  // namespace kx
