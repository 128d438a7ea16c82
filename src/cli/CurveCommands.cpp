// The curve-group commands: count, download, clear, and export of a ".bin" file.

#include <QImage>
#include <QJsonObject>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "analysis/AnalysisText.h"
#include "chart/CellStatistics.h"
#include "chart/ChartDraw.h"
#include "chart/ChartRender.h"
#include "cli/Commands.h"
#include "cli/DeviceSupport.h"
#include "curves/CurveFile.h"
#include "curves/CurveGroup.h"
#include "files/SafeFile.h"
#include "link/CurveTransfer.h"
#include "texts/ChineseTexts.h"
#include "texts/EnglishTexts.h"
#include "texts/Messages.h"
#include "texts/Translate.h"
#include "ui/SongFont.h"
#include "ui/Utf8.h"

namespace kx::cli {

namespace {

// "2014-05-06 09:03:07" as ISO 8601, "2014-05-06T09:03:07".
std::string IsoDate(std::string text) {
  if (text.size() > 10 && text[10] == ' ') text[10] = 'T';
  return text;
}

std::string HexBytes(std::span<const uint8_t> bytes) {
  std::string hex;
  char b[4];
  for (uint8_t v : bytes) {
    std::snprintf(b, sizeof b, hex.empty() ? "%02X" : " %02X", v);
    hex += b;
  }
  return hex;
}
// The download's progress on one stderr line, rewritten after every packet and
// ended with a newline; nothing at all when stderr is not a terminal.
class DownloadMeter {
 public:
  DownloadMeter(Output& out, bool on) : out_(out), on_(on), start_(std::chrono::steady_clock::now()) {}
  ~DownloadMeter() {
    if (shown_) out_.Err("\n");
  }
  DownloadMeter(const DownloadMeter&) = delete;
  DownloadMeter& operator=(const DownloadMeter&) = delete;

  GroupProgressCallback Callback() {
    if (!on_) return {};
    return [this](const GroupProgress& p) { Show(p); };
  }

 private:
  void Show(const GroupProgress& p) {
    std::string line = "packet " + std::to_string(p.packets);
    if (p.points < 0) {
      line += ", " + std::to_string(p.bytes) + " bytes";
    } else {
      // 1 + 89 bytes a point; a multiple of a full packet is ended by an empty one.
      const size_t total = 1 + kPointRecordSize * static_cast<size_t>(p.points);
      const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
      const double left = p.bytes == 0 ? 0.0 : elapsed * static_cast<double>(total - std::min(total, p.bytes)) / p.bytes;
      line += "/" + std::to_string(total / kGroupPacketFull + 1) + ", " + std::to_string(p.bytes) + "/" +
              std::to_string(total) + " bytes, about " + std::to_string(static_cast<long>(std::ceil(left))) +
              " s left";
    }
    const size_t width = line.size();
    if (width < width_) line.append(width_ - width, ' ');  // covers a longer line before it
    width_ = width;
    out_.Err("\r" + line);
    shown_ = true;
  }

  Output& out_;
  bool on_;
  std::chrono::steady_clock::time_point start_;
  size_t width_ = 0;
  bool shown_ = false;
};

std::string PointCountText(int points) { return analysis::Format(Tr("Chart", "本组曲线共有记录点：%d个"), points); }
std::string DateText(const std::string& date) { return analysis::Format(Tr("Chart", "曲线组记录日期：%s"), date.c_str()); }

std::string_view View(const QByteArray& bytes) { return {bytes.constData(), static_cast<size_t>(bytes.size())}; }

// The CSV, .bin, PNG and PDF outputs a group can go to; false after reporting a failure.
bool WriteGroupOutputs(Env& env, std::span<const uint8_t> image, const ExportOptions& outputs) {
  if (!outputs.bin.empty()) {
    const CurveFileResult r = WriteCurveFile(outputs.bin, image);
    if (!r.ok()) {
      env.Fail("cannot write " + outputs.bin + (r.error ? std::string(": ") + std::strerror(r.error) : ""),
               CurveFileMessage(r.status));
      return false;
    }
    env.out.ErrLine("wrote " + outputs.bin);
  }
  if (!outputs.csv.empty() && !WriteOutput(env, outputs.csv, CurveCsv(image))) return false;
  if (outputs.png.empty() && outputs.pdf.empty() && outputs.stats.empty()) return true;

  // The chart exactly as the viewer and the printer draw it.
  InstallSongSubstitution();
  CCurveGroup group;
  group.m_colors = BuildCurveColors();
  group.LoadGroupImage(image);
  if (!outputs.stats.empty() && !WriteOutput(env, outputs.stats, CellStatsCsv(group))) return false;
  if (!outputs.png.empty()) {
    const QByteArray png = RenderChartPng(group, QSize(kChartWidth, kChartHeight), outputs.autoScale);
    if (png.isEmpty()) {
      env.Fail("cannot draw the chart for " + outputs.png);
      return false;
    }
    if (!WriteOutput(env, outputs.png, View(png))) return false;
  }
  if (!outputs.pdf.empty()) {
    const QByteArray pdf = RenderChartPdf(group, outputs.autoScale);
    if (pdf.isEmpty()) {
      env.Fail("cannot draw the chart for " + outputs.pdf);
      return false;
    }
    if (!WriteOutput(env, outputs.pdf, View(pdf))) return false;
  }
  return true;
}

}  // namespace

bool WriteOutput(Env& env, const std::string& path, std::string_view bytes) {
  if (path == "-") {
    env.out.Out(bytes);
    return true;
  }
  const files::FileResult r = files::WriteFile(path, bytes);
  if (!r.ok()) {
    env.Fail(files::Describe(r));
    return false;
  }
  env.out.ErrLine("wrote " + path);
  return true;
}

bool CheckFiles(Env& env, const std::vector<std::string>& inputs, const std::vector<std::string>& outputs) {
  std::vector<std::string> files;
  for (const std::string& out : outputs)
    if (out != "-") files.push_back(out);
  const files::FileResult r = files::CheckOutputs(inputs, files);
  if (!r.ok()) env.Fail(files::Describe(r));
  return r.ok();
}

std::string CurveCsv(std::span<const uint8_t> image) {
  CCurveGroup group;
  group.LoadGroupImage(image);
  std::string csv = "point,time";
  for (int i = 1; i <= kCellCount; ++i) csv += ",cell" + std::to_string(i) + "_V";
  csv += ",total_V\n";
  const int points = group.PointCount();
  char value[32];
  for (int k = 0; k < points; ++k) {
    csv += std::to_string(k + 1) + ',' + FormatLocalTime(group.m_curves[0]->m_times[k]);
    for (int c = 0; c < kChannelCount; ++c) {
      std::snprintf(value, sizeof value, ",%.3f", static_cast<double>(group.m_curves[c]->m_values[k]));
      csv += value;
    }
    csv += '\n';
  }
  return csv;
}

namespace {

std::string CountFailureCause(const CurveCountResult& r) {
  return DescribeOutcome(r.outcome == CurveCountOutcome::BadChecksum ? ExchangeOutcome::BadChecksum
                                                                     : ExchangeOutcome::ShortRead,
                         r.cause, r.count);
}

}  // namespace

int Groups(Env& env) {
  int status = kExitOk;
  auto port = OpenDevicePort(env, Tr("Messages", msg::kCurveCountOpenFailed), status);
  if (!port) return status;
  const CurveCountResult r = QueryCurveCount(*port, env.global.address, /*verifyChecksum=*/true);
  if (r.outcome != CurveCountOutcome::Ok) {
    env.Fail(CountFailureCause(r), Tr("Messages", msg::kCurveCommFailed));
    return kExitDevice;
  }
  const std::string text = CurveCountText(r.recorded, r.recording);
  if (env.global.json)
    PrintJson(env.out, QJsonObject{{"ok", true},
                                   {"recorded", r.recorded},
                                   {"recording", r.recording},
                                   {"readable", r.Readable()},
                                   {"text", Utf8(text)}});
  else
    env.out.OutLine(text);
  return kExitOk;
}

namespace {

std::string GroupFailureCause(GroupImageOutcome outcome) {
  switch (outcome) {
    case GroupImageOutcome::Ok: return "ok";
    case GroupImageOutcome::ShortHeader: return "a packet header was cut short";
    case GroupImageOutcome::ShortPayload: return "a packet's data was cut short";
    case GroupImageOutcome::Oversize:
      return "a packet announced more than " + std::to_string(kGroupPacketFull) + " bytes";
    case GroupImageOutcome::Overflow:
      return "the group would exceed " + std::to_string(kGroupImageCapacity) + " bytes";
    case GroupImageOutcome::WriteFailed: return "the request could not be sent";
  }
  return "the download failed";
}

}  // namespace

int Download(Env& env, const DownloadOptions& options) {
  // A bad output must not cost a whole download (minutes at a low rate).
  std::vector<std::string> named;
  for (const std::string* o : {&options.bin, &options.csv})
    if (!o->empty()) named.push_back(*o);
  if (!CheckFiles(env, {}, named)) return kExitUsage;
  int status = kExitOk;
  auto port = OpenDevicePort(env, Tr("Messages", msg::kCurveCountOpenFailed), status);
  if (!port) {
    env.out.ErrLine(Tr("Messages", msg::kCurveCountFailed));
    return status;
  }
  const int address = env.global.address;
  const CurveCountResult count = QueryCurveCount(*port, address, /*verifyChecksum=*/true);
  if (count.outcome != CurveCountOutcome::Ok) {
    env.Fail(CountFailureCause(count), std::string(Tr("Messages", msg::kCurveCommFailed)) + "; " + Tr("Messages", msg::kCurveCountFailed));
    return kExitDevice;
  }
  const int readable = count.Readable();
  // The panel's texts for the counts: none readable is "no curve data"; one
  // less than none is the panel's own failure value ("read error"); fewer still
  // is "no such curve". The unit answered, so these exit 1, not as bad arguments.
  if (readable <= 0) {
    const char* text = readable == 0    ? Tr("Messages", msg::kNoCurveData)
                       : readable == -1 ? Tr("Messages", msg::kCurveCountFailed)
                                        : Tr("Messages", msg::kNoSuchCurve);
    env.Fail("the unit holds no group that can be read (" + CurveCountText(count.recorded, count.recording) + ")",
             text);
    return kExitDevice;
  }
  if (options.group < 1 || options.group > readable) {
    env.Fail("group " + std::to_string(options.group) + " is not among the " + std::to_string(readable) +
                 " readable groups",
             Tr("Messages", msg::kNoSuchCurve));
    return kExitDevice;
  }
  // Each exchange finds the port as a fresh open would.
  port->Purge();
  std::vector<uint8_t> image;
  int badPackets = 0;
  GroupImageOutcome got;
  {
    DownloadMeter meter(env.out, !env.global.quiet && env.out.ErrIsTerminal());
    got = ReadGroupImage(*port, address, options.group, image, &badPackets, meter.Callback());
  }
  if (got != GroupImageOutcome::Ok) {
    const bool shortPacket = got == GroupImageOutcome::ShortHeader || got == GroupImageOutcome::ShortPayload;
    const bool stopped = port->LastError() == LinkError::Cancelled;
    env.Fail(stopped ? Describe(LinkError::Cancelled) : GroupFailureCause(got), shortPacket ? std::string(Tr("Messages", msg::kGroupPacketFailed)) + "; " + Tr("Messages", msg::kGroupReadFailed)
                                                 : std::string(Tr("Messages", msg::kGroupReadFailed)));
    return kExitDevice;
  }
  if (badPackets > 0) {
    // Corrupt values and times are worse than none: nothing is written.
    env.Fail(std::to_string(badPackets) + (badPackets == 1 ? " packet has" : " packets have") +
                 " a wrong checksum; nothing was written",
             std::string(Tr("Messages", msg::kBadChecksum)) + "; " + Tr("Messages", msg::kGroupReadFailed));
    return kExitDevice;
  }
  port->Purge();
  const GroupDateResult date = ReadGroupDate(*port, address, options.group, /*verifyChecksum=*/true);
  port.reset();
  if (date.outcome == GroupDateOutcome::BadChecksum) {
    env.Fail(DescribeOutcome(ExchangeOutcome::BadChecksum, date.cause, date.count), Tr("Messages", msg::kBadChecksum));
    return kExitDevice;
  }

  CCurveGroup group;
  group.LoadGroupImage(image);
  const int points = group.PointCount();
  const bool dateRead = date.outcome == GroupDateOutcome::Ok;
  const bool dateValid = dateRead && IsBcdDateTime(date.raw.data());
  const std::string dateText = dateValid ? FormatGroupDate(date.date) : std::string();
  if (env.global.json) {
    QJsonObject o{{"ok", true}, {"group", options.group}, {"points", points}, {"bytes", static_cast<int>(image.size())}};
    o.insert("date", dateValid ? QJsonValue(Utf8(IsoDate(dateText))) : QJsonValue());
    if (dateRead && !dateValid) o.insert("date_raw", Utf8(HexBytes(date.raw)));
    PrintJson(env.out, o);
  } else {
    env.out.OutLine(PointCountText(points));
    if (dateValid) env.out.OutLine(DateText(dateText));
  }
  if (!dateRead) env.out.ErrLine("kx4200-cli: the group's recording date could not be read");
  if (dateRead && !dateValid)
    env.out.ErrLine("kx4200-cli: the group's recording date is an invalid date (bytes " + HexBytes(date.raw) + ")");
  ExportOptions outputs;
  outputs.bin = options.bin;
  outputs.csv = options.csv;
  return WriteGroupOutputs(env, image, outputs) ? kExitOk : kExitUsage;
}

int Clear(Env& env) {
  int status = kExitOk;
  auto port = OpenDevicePort(env, Tr("Messages", msg::kCurveCommFailed), status);
  if (!port) {
    env.out.ErrLine(Tr("Messages", msg::kClearFailed));
    return status;
  }
  const ClearOutcome r = ClearCurves(*port, env.global.address, /*verifyChecksum=*/true);
  if (r != ClearOutcome::Ok) {
    const bool stopped = port->LastError() == LinkError::Cancelled;
    env.Fail(r == ClearOutcome::Refused       ? "the unit refused"
             : r == ClearOutcome::BadChecksum ? "the unit's reply has a wrong checksum"
             : stopped                        ? Describe(LinkError::Cancelled)
                                              : "the unit's reply was missing or cut short",
             Tr("Messages", msg::kClearFailed));
    return kExitDevice;
  }
  if (env.global.json)
    PrintJson(env.out, QJsonObject{{"ok", true}, {"text", Utf8(Tr("Messages", msg::kClearOk))}});
  else
    env.out.OutLine(Tr("Messages", msg::kClearOk));
  return kExitOk;
}

std::optional<std::vector<uint8_t>> ReadGroupFile(Env& env, const std::string& path) {
  CurveFileRead read = ReadCurveFile(path);
  if (!read.result.ok()) {
    std::string cause = "cannot read " + path;
    if (read.result.error) cause += std::string(": ") + std::strerror(read.result.error);
    env.Fail(cause, CurveFileMessage(read.result.status));
    return std::nullopt;
  }
  return std::move(read.image);
}

int Export(Env& env, const ExportOptions& options) {
  std::vector<std::string> named;
  for (const std::string* o : {&options.csv, &options.png, &options.pdf, &options.stats})
    if (!o->empty()) named.push_back(*o);
  if (!CheckFiles(env, {options.bin}, named)) return kExitUsage;
  const std::optional<std::vector<uint8_t>> image = ReadGroupFile(env, options.bin);
  if (!image) return kExitUsage;
  CCurveGroup group;
  group.LoadGroupImage(*image);
  const int points = group.PointCount();
  // A file's date is its first record's day, as the panel shows it after opening one.
  std::string date;
  QJsonValue isoDate;  // JSON dates are ISO 8601 as download gives them; null when there is none
  if (points > 0 && image->size() >= 1 + kPointRecordSize) {
    const BcdDateTime t = DecodeBcdDateTime(image->data() + 1);
    date = std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day);
    if (IsBcdDateTime(image->data() + 1)) {
      char iso[32];
      std::snprintf(iso, sizeof iso, "%04d-%02d-%02d", t.year, t.month, t.day);
      isoDate = Utf8(std::string(iso));
    }
  }
  if (env.global.json)
    PrintJson(env.out, QJsonObject{{"ok", true}, {"file", Utf8(options.bin)}, {"points", points}, {"date", isoDate}});
  else {
    env.out.OutLine(PointCountText(points));
    if (!date.empty()) env.out.OutLine(DateText(date));
  }
  ExportOptions outputs = options;
  outputs.bin.clear();
  return WriteGroupOutputs(env, *image, outputs) ? kExitOk : kExitUsage;
}

}  // namespace kx::cli
