#include "manual/ManPages.h"

#include <QString>
#include <cstdio>
#include <sstream>
#include <vector>

#include "app/TesterApp.h"
#include "cli/Cli.h"
#include "cli/CommandRegistry.h"
#include "sim/SimUsage.h"
#include "texts/ExitStatus.h"
#include "version/Version.h"

namespace kx::manual {

namespace {

std::string Trimmed(const std::string& s) {
  const size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return {};
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// Lines joined into one, runs of spaces (the help's alignment) made one.
std::string Joined(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') c = ' ';
    if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
    out += c;
  }
  return Trimmed(out);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The page's header; the date is left out so that the build is reproducible.
std::string Head(const std::string& name, const std::string& summary) {
  const std::string version = VersionText();
  const std::string upper = QString::fromStdString(name).toUpper().toStdString();
  return ".TH " + Roff(upper) + " 1 \"\" \"kx4200 " + Roff(version.substr(0, version.find(' '))) +
         "\" \"User Commands\"\n.SH NAME\n" + Roff(name) + " \\- " + Roff(summary) + "\n";
}

// "--port PATH" as an option's tag: the name bold, the value italic.
std::string OptionTag(const std::string& names, const std::string& value) {
  std::string tag = "\\fB" + Roff(names) + "\\fR";
  if (!value.empty()) tag += " \\fI" + Roff(value) + "\\fR";
  return ".TP\n" + tag + "\n";
}

std::string Paragraph(const std::string& text) { return ".PP\n" + Roff(Joined(text)) + "\n"; }

// A --help text in the usual layout (a "Usage:" line, paragraphs, and options
// indented by two spaces with their descriptions in a column) as a page body.
struct UsagePage {
  std::string synopsis, description, options;
};

UsagePage FromUsage(const std::string& usage, const std::string& program) {
  UsagePage page;
  std::string paragraph;
  const auto flush = [&] {
    if (!Trimmed(paragraph).empty()) page.description += Paragraph(paragraph);
    paragraph.clear();
  };
  std::string tag, description;
  const auto flushOption = [&] {
    if (tag.empty()) return;
    const size_t space = tag.find(' ');
    page.options += OptionTag(tag.substr(0, space), space == std::string::npos ? "" : tag.substr(space + 1)) +
                    Roff(Joined(description)) + "\n";
    tag.clear(), description.clear();
  };
  for (const std::string& line : Lines(usage)) {
    if (line.rfind("Usage: ", 0) == 0) {
      const std::string rest = Trimmed(line.substr(7 + program.size()));
      page.synopsis = ".B " + Roff(program) + "\n" + Roff(rest) + "\n";
    } else if (line.rfind("  -", 0) == 0) {
      flush(), flushOption();
      // The tag ends where two spaces start the description.
      const size_t gap = line.find("  ", 2);
      tag = Trimmed(line.substr(2, gap == std::string::npos ? std::string::npos : gap - 2));
      if (gap != std::string::npos) description = line.substr(gap);
    } else if (!tag.empty() && line.rfind("    ", 0) == 0) {
      description += " " + line;
    } else if (line == "Options:") {
      flush(), flushOption();
    } else if (Trimmed(line).empty()) {
      flush(), flushOption();
    } else {
      flushOption();
      paragraph += line + "\n";
    }
  }
  flush(), flushOption();
  return page;
}

std::string Section(const std::string& title, const std::string& body) {
  return body.empty() ? std::string() : ".SH " + title + "\n" + body;
}

std::string Example(const std::string& what, const std::string& command) {
  return ".PP\n" + Roff(what) + "\n.PP\n.RS\n.EX\n" + Roff(command) + "\n.EE\n.RE\n";
}

std::string SeeAlso(const std::vector<std::string>& pages) {
  std::string text = ".SH SEE ALSO\n";
  for (size_t i = 0; i < pages.size(); ++i) text += ".BR " + Roff(pages[i]) + " (1)" + (i + 1 < pages.size() ? "," : "") + "\n";
  return text;
}

}  // namespace

std::string Roff(const std::string& text) {
  const std::u32string code = QString::fromStdString(text).toStdU32String();
  std::string out;
  bool lineStart = true;
  char32_t previous = U' ';
  for (char32_t c : code) {
    if (lineStart && (c == U'.' || c == U'\'')) out += "\\&";
    if (c == U'\\') {
      out += "\\e";
    } else if (c == U'-' && (previous == U' ' || previous == U'-' || previous == U'\n' || previous == U'[' ||
                             previous == U'|' || previous == U'(')) {
      out += "\\-";  // an option's dash, not a hyphen
    } else if (c > 0x7E) {
      char name[16];
      std::snprintf(name, sizeof name, "\\[u%04X]", static_cast<unsigned>(c));
      out += name;
    } else {
      out += static_cast<char>(c);
    }
    lineStart = c == U'\n';
    previous = c;
  }
  return out;
}

std::string CliManPage() {
  using namespace kx::cli;
  std::string page = Head("kx4200-cli", "service and test tool for the KX4200 battery monitoring unit, on the command line");
  page += ".SH SYNOPSIS\n.B kx4200\\-cli\n[\\fIglobal options\\fR] \\fICOMMAND\\fR [\\fIARGS\\fR]\n.br\n"
          ".B kx4200\\-cli\n\\fICOMMAND\\fR \\-\\-help\n.br\n.B kx4200\\-cli\n\\-\\-help | \\-\\-version\n";
  // The description is the head of --help, between its usage and its command list.
  const std::string usage = UsageText();
  const size_t from = usage.find("\n\n") + 2;
  page += ".SH DESCRIPTION\n" + Paragraph(usage.substr(from, usage.find("\n\nCommands:") - from)) +
          Paragraph("It talks to one unit at a time over a serial port or a serial server on the network; "
                    "'kx4200-cli ports' lists the serial ports and the numbers --com gives them. Commands that "
                    "work on files (export, analyze) need no unit; --simulate runs every other command against "
                    "a simulated unit.");

  page += ".SH GLOBAL OPTIONS\n";
  for (const QCommandLineOption& o : GlobalCommandLineOptions()) {
    std::string names;
    for (const QString& n : o.names()) names += (names.empty() ? "" : ", ") + std::string(n.size() == 1 ? "-" : "--") + n.toStdString();
    page += OptionTag(names, o.valueName().toStdString()) + Roff(o.description().toStdString()) + "\n";
  }

  page += ".SH COMMANDS\n";
  for (const CliCommand& c : CliCommands()) {
    page += ".SS " + Roff(c.name) + "\n.B kx4200\\-cli\n[\\fIglobal options\\fR] " + Roff(Joined(c.usage)) + "\n" +
            Paragraph(c.help);
    if (!c.summary) page += Paragraph(std::string("(") + c.name + " shares its line in --help with another command.)");
    for (const CliOption& o : c.options) {
      std::string names;
      for (const char* n : o.names) names += (names.empty() ? "" : ", ") + std::string(n[1] ? "--" : "-") + n;
      page += OptionTag(names, o.valueName ? o.valueName : "") + Roff(o.description) + "\n";
    }
  }

  page += ".SH EXIT STATUS\n";
  for (const ExitStatusMeaning& m : kExitStatusMeanings) page += OptionTag(m.statuses, "") + Roff(m.meaning) + "\n";
  page += Paragraph("The monitor command ends with status 0 after a stop; see monitor above.");

  page += Section("FILES",
                  OptionTag("/dev/ttyUSB*, /dev/ttyACM*, /dev/ttyS*", "") +
                      "The serial ports, numbered for --com as 'kx4200-cli ports' shows; using them needs the "
                      "dialout group.\n" +
                      OptionTag("/dev/serial/by-id/", "") + "The adapters' stable names.\n" +
                      OptionTag("/etc/kx4200/monitor-NAME.conf", "") +
                      Roff("The arguments of the monitor service kx4200-monitor@NAME (KX4200_MONITOR_ARGS=\"...\"); "
                           "/etc/kx4200/monitor-example.conf shows one.") +
                      "\n");
  page += ".SH EXAMPLES\n" + Example("List the serial ports and their numbers:", "kx4200-cli ports") +
          Example("Ten live readings a second apart, logged as CSV:",
                  "kx4200-cli --port /dev/ttyUSB0 acquire --count 10 --csv live.csv") +
          Example("Download curve group 2 from the unit on port 1 and draw it as a PDF page:",
                  "kx4200-cli --com 1 download 2 -o group2.bin\nkx4200-cli export group2.bin --pdf group2.pdf") +
          Example("A test report with the discharge analysis of a curve file:",
                  "kx4200-cli --port rfc2217://10.0.0.5:4001 report -o report.pdf --group group2.bin --rated-minutes 180") +
          Example("Two units on one line, published to an MQTT broker:",
                  "kx4200-cli monitor --unit /dev/ttyUSB0:1 --unit /dev/ttyUSB0:2 --mqtt broker.lan") +
          Example("Try any command without a unit:", "kx4200-cli --simulate acquire");
  return page + SeeAlso({"kx4200", "kx4200-sim"});
}

std::string AppManPage() {
  const UsagePage usage = FromUsage(AppUsageText(), "kx4200");
  std::string page = Head("kx4200", "service and test panel for the KX4200 battery monitoring unit");
  page += Section("SYNOPSIS", usage.synopsis) + Section("DESCRIPTION", usage.description) +
          Section("OPTIONS", usage.options);
  page += Section("EXIT STATUS", OptionTag("0", "") + "The panel was closed.\n" + OptionTag("2", "") +
                                     "Bad arguments or a screenshot file that cannot be written.\n");
  page += Section("FILES", OptionTag("~/.config/kx4200/kx4200.ini", "") +
                               "The settings the panel remembers from one run to the next.\n" +
                               OptionTag("/usr/share/kx4200/Picture/", "") +
                               "The buttons' pictures; a Picture folder in the current directory comes first.\n");
  page += ".SH EXAMPLES\n" + Example("Try the panel on a simulated unit:", "kx4200 --simulate") +
          Example("Let port 1 mean a USB adapter and port 2 a serial server:",
                  "kx4200 --com 1=/dev/ttyUSB0 --com 2=rfc2217://10.0.0.5:4001");
  return page + SeeAlso({"kx4200-cli", "kx4200-sim"});
}

std::string SimManPage() {
  const UsagePage usage = FromUsage(SimUsageText(), "kx4200-sim");
  std::string page = Head("kx4200-sim", "simulated KX4200 battery monitoring unit on a pseudo-terminal");
  page += Section("SYNOPSIS", usage.synopsis) + Section("DESCRIPTION", usage.description) +
          Section("OPTIONS", usage.options);
  page += Section("EXIT STATUS", OptionTag("0", "") + "Stopped by SIGINT or SIGTERM.\n" + OptionTag("1", "") + "No pseudo-terminal could be created.\n" + OptionTag("2", "") +
                                     "Bad arguments.\n");
  page += ".SH EXAMPLES\n" +
          Example("A unit at address 3 whose cell 7 loses its lead at the tenth reading, and the tool reading it:",
                  "kx4200-sim --address 3 --lose-cell 7@10\nkx4200-cli --port PATH --address 3 acquire --count 20") +
          Example("The line on TCP as a serial server would serve it:", "kx4200-sim --listen 127.0.0.1:4001");
  return page + SeeAlso({"kx4200", "kx4200-cli"});
}

}  // namespace kx::manual
