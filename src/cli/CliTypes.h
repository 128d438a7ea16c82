#pragma once
// What every command of kx4200-cli shares: the output sink, the port source and
// the options that come before the command. The exit statuses are texts/ExitStatus.h.

#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "lang/LanguageId.h"
#include "link/CommandTable.h"
#include "link/Port.h"
#include "texts/ExitStatus.h"

namespace kx::cli {

// stdout and stderr, so that tests capture what a command prints.
class Output {
 public:
  virtual ~Output() = default;
  virtual void Out(std::string_view text) = 0;
  virtual void Err(std::string_view text) = 0;
  void OutLine(std::string_view text);
  void ErrLine(std::string_view text);
  // Progress goes to stderr only when a person watches it there.
  virtual bool ErrIsTerminal() const { return false; }
};

class StdOutput final : public Output {
 public:
  void Out(std::string_view text) override;
  void Err(std::string_view text) override;
  bool ErrIsTerminal() const override;
};

class CaptureOutput final : public Output {
 public:
  void Out(std::string_view text) override { out.append(text); }
  void Err(std::string_view text) override { err.append(text); }
  std::string out, err;
};

// Opens the unit's port; scanning reopens it at each baud rate.
class PortSource {
 public:
  virtual ~PortSource() = default;
  // The open port, or nullptr with error set to the cause.
  virtual std::unique_ptr<Port> Open(int baud, LinkError& error) = 0;
  // The device path, for messages.
  virtual std::string Name() const = 0;
  // A plain-words explanation of an open failure, with what to do about it.
  virtual std::string Explain(LinkError error) const;
};

// A serial device by path (a pseudo-terminal included).
class SerialPortSource final : public PortSource {
 public:
  SerialPortSource(std::string path, double waitScale) : path_(std::move(path)), waitScale_(waitScale) {}
  std::unique_ptr<Port> Open(int baud, LinkError& error) override;
  std::string Name() const override { return path_; }
  std::string Explain(LinkError error) const override;

 private:
  std::string path_;
  double waitScale_;
};

struct GlobalOptions {
  std::string port;  // --port PATH
  int com = 0;       // --com N (0: not given)
  std::string comPath;  // --com N=PATH: what N means
  int baud = kDefaultBaud;
  int address = 0;
  bool simulate = false;
  bool trace = false;
  bool json = false;
  bool quiet = false;  // no progress
  std::optional<Language> language;  // --lang; none: the caller's (Hooks::language)
};

// Everything a command needs from outside besides its own options.
struct Env {
  Output& out;
  GlobalOptions global;
  PortSource* ports = nullptr;          // null when the command needs no device
  std::function<bool()> stopRequested;  // Ctrl-C
  std::function<std::tm()> now;         // the PC's local time
  std::function<void(int ms)> sleep;    // between readings; returns early on a stop
  double waitScale = 1.0;               // of every port the command opens (tests)
  int stopFd = -1;                      // readable once Ctrl-C was seen; -1: none

  void Fail(std::string_view cause, std::string_view panelText = {}) const;
  bool Stopped() const { return stopRequested && stopRequested(); }
};

// "2014-05-06 09:03:07" in local time.
std::string FormatLocalTime(std::time_t t);

}  // namespace kx::cli
