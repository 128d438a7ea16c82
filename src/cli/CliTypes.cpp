#include "cli/CliTypes.h"

#include "link/LocalTime.h"

#include <QJsonObject>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "cli/Commands.h"
#include "link/SerialPort.h"
#include "texts/EnglishTexts.h"

namespace kx::cli {

void Output::OutLine(std::string_view text) {
  Out(text);
  Out("\n");
}

void Output::ErrLine(std::string_view text) {
  Err(text);
  Err("\n");
}

void StdOutput::Out(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void StdOutput::Err(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

bool StdOutput::ErrIsTerminal() const { return isatty(STDERR_FILENO) == 1; }

std::string PortSource::Explain(LinkError error) const {
  return "cannot open " + Name() + ": " + Describe(error);
}

std::unique_ptr<Port> SerialPortSource::Open(int baud, LinkError& error) {
  auto port = std::make_unique<SerialPort>();
  error = port->Open(path_, baud);
  if (error != LinkError::None) return nullptr;
  port->SetWaitScale(waitScale_);
  return port;
}

std::string SerialPortSource::Explain(LinkError error) const {
  std::string text = ExplainOpenFailure(path_, error);
  if (error == LinkError::NotFound) text += " (list the serial ports with 'kx4200-cli ports')";
  return text;
}

void Env::Fail(std::string_view cause, std::string_view panelText) const {
  std::string line = "kx4200-cli: ";
  line += cause;
  if (!panelText.empty()) {
    line += ": ";
    line += panelText;
  }
  out.ErrLine(line);
  if (global.json) {
    QJsonObject o{{"ok", false}, {"cause", QString::fromUtf8(cause.data(), static_cast<int>(cause.size()))}};
    if (!panelText.empty())
      o.insert("error", QString::fromUtf8(panelText.data(), static_cast<int>(panelText.size())));
    PrintJson(out, o);
  }
}

std::string FormatLocalTime(std::time_t t) { return kx::FormatLocalTime(t); }

}  // namespace kx::cli
