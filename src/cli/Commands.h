#pragma once
// The commands of kx4200-cli as functions: parsed options in, text on the output
// sink, the exit status back. The device commands open the port through env.ports
// and use the link layer's operations and texts, byte for byte as the panel does.

#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "analysis/Discharge.h"
#include "cli/CliTypes.h"
#include "link/Alarms.h"
#include "link/GearCalibration.h"
#include "link/PortNaming.h"

class QJsonObject;

namespace kx::cli {

struct AcquireOptions {
  int count = 1;  // 0: until Ctrl-C
  int periodMs = 1000;
  int currentRange = 1000;
  std::string csv;
};
int Acquire(Env& env, const AcquireOptions& options);

int ClockGet(Env& env);
// time: the local time to send; nullopt for now.
int ClockSet(Env& env, const std::optional<std::tm>& time);

int Groups(Env& env);
struct DownloadOptions {
  int group = 1;
  std::string bin;
  std::string csv;
};
int Download(Env& env, const DownloadOptions& options);
int Clear(Env& env);

int Version(Env& env);
int SetDeviceAddress(Env& env, int newAddress);
int SetDeviceBaud(Env& env, int baud);
int GearGet(Env& env);
int GearSet(Env& env, uint8_t gear);
int CalibrateInput(Env& env, const CalibrationRow& row, uint8_t point);
int AlarmsGet(Env& env);
struct AlarmSet {
  AlarmSetting setting = AlarmSetting::Volt;
  bool on = false;
  long long first = 0, second = 0;  // over/under, over, or high/low
};
int AlarmsSet(Env& env, const AlarmSet& request);

struct ExportOptions {
  std::string bin, csv, png, pdf;
  std::string stats;       // per-cell statistics CSV
  bool autoScale = false;  // the chart's voltage axis fitted to the data
};
// The PNG and PDF need a QGuiApplication.
int Export(Env& env, const ExportOptions& options);

// The discharge analysis of a curve file, against an older one when given.
struct AnalyzeOptions {
  std::string bin;
  std::string baseline;  // empty: none
  std::string csv;       // the per-cell table
  analysis::Parameters parameters;
};
int Analyze(Env& env, const AnalyzeOptions& options);

struct ReportOptions {
  std::string output;  // the PDF
  std::string group;   // a curve file for pages 2 and 3; empty: none
  std::string title;
  int currentRange = 1000;
  // The analysis page's, as analyze takes them (they need a group).
  std::string baseline;
  std::string csv;
  analysis::Parameters parameters;
};
// Needs a QGuiApplication. A unit that does not answer still gets its report.
int Report(Env& env, const ReportOptions& options);

int Ports(Env& env, const PortNaming& naming);

struct ScanOptions {
  int firstAddress = 0, lastAddress = 255;
  std::vector<int> bauds{std::begin(kBaudRates), std::end(kBaudRates)};
  int waitMs = 0;  // 0: long enough for the reply at each rate
};
int Scan(Env& env, const ScanOptions& options);

// A curve file's image; none (exit 2) after saying why it cannot be read.
std::optional<std::vector<uint8_t>> ReadGroupFile(Env& env, const std::string& path);
// Reads a curve file into group; false (exit 2) after saying why it cannot be read.
bool LoadGroupFile(Env& env, const std::string& path, CCurveGroup& group);
// Analyses group and the baseline, when given; none (exit 2) after saying why
// either holds nothing to analyse.
std::optional<analysis::Result> AnalyseGroups(Env& env, const CCurveGroup& group, const std::string& groupName,
                                              const CCurveGroup* baseline, const std::string& baselineName,
                                              const analysis::Parameters& parameters);

// Writes one output whole or not at all through the file module; "-" is standard output.
bool WriteOutput(Env& env, const std::string& path, std::string_view bytes);

// Curve CSV of a group image: header, one row per point, three decimals.
std::string CurveCsv(std::span<const uint8_t> image);

void PrintJson(Output& out, const QJsonObject& object);

// Refuses (exit 2 after saying why) outputs that are empty names, folders or
// special files, and any output that is the same file as an input or another
// output; "-" (standard output) is always fine. Called before the unit is asked anything.
bool CheckFiles(Env& env, const std::vector<std::string>& inputs, const std::vector<std::string>& outputs);

}  // namespace kx::cli
