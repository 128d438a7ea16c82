#pragma once
// The simulated battery monitoring unit: answers every command of the command
// table from its own state. Thread-safe: tests configure it while a SimHost serves
// it from another thread.
//
// A request goes in through Answer(), which returns a ReplyPlan: the reply bytes
// plus how they are to be delivered (delay, gaps, hang-up, pacing). The device
// decides what to say; the host (or a MemoryPort responder) delivers it.

#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <span>
#include <vector>

#include "link/CommandTable.h"
#include "link/Frame.h"

namespace kx {

// Fault switches. Several can be on at once; each applies to a number of replies
// (or to all), optionally only to replies of one command.
enum class Fault {
  Silence,   // no reply at all
  Short,     // drop the last `param` bytes (default 1)
  Long,      // append `param` extra bytes (default 4)
  Checksum,  // the reply's checksum is wrong
  Oversize,  // a curve packet announces `param` bytes (default 1000, above 900) and sends them
  Slow,      // `param` ms between two bytes (default 1100, past the 1000 ms interval time-out)
  Gap,       // one pause of `param` ms (default 1100) before byte `param2` (default: the middle)
  HangUp,    // hang up after `param` bytes of the reply (default, param 0: half of it;
             // negative: before the first byte)
  Delay,     // answer `param` ms late (default 1100)
};

// How the host is to deliver one reply.
struct ReplyPlan {
  std::vector<uint8_t> bytes;     // empty: no answer
  int delayMs = 0;                // before the first byte
  int byteGapMs = 0;              // between two bytes
  size_t gapAt = 0;               // a pause of gapMs before byte gapAt (when gapMs > 0)
  int gapMs = 0;
  std::optional<size_t> hangUpAfter;  // hang up after this many bytes
  int paceBaud = 0;               // pace at 10 bits per byte at this rate (0: no pacing)
};

// One stored curve group: its image (count byte, then 89-byte records)
// and its recording date.
struct StoredGroup {
  std::vector<uint8_t> image;
  BcdDateTime date;
};

class VirtualDevice {
 public:
  static constexpr int kAlways = -1;

  explicit VirtualDevice(uint32_t seed = 4200);

  // The device's sense of time: its clock runs on it, and a download left
  // half-way is forgotten by it. Tests give it their own to move time on without
  // sleeping; it is called with the device locked. nullptr: the steady clock. The
  // clock keeps its reading across the change.
  using NowFunction = std::function<std::chrono::steady_clock::time_point()>;
  void SetNow(NowFunction now);

  // The reply to one complete request frame. portBaud is the rate the client's
  // port is set to (0: unknown, not checked); the device answers only when it
  // matches its own rate, and only requests to its own address.
  ReplyPlan Answer(std::span<const uint8_t> request, int portBaud = 0);
  // Just the bytes of the reply (for a MemoryPort responder); timing faults ignored.
  std::vector<uint8_t> Respond(std::span<const uint8_t> request);

  // --- link settings
  int Address() const;
  void SetAddress(int address);
  int Baud() const;
  void SetBaud(int baud);
  void SetPacing(bool pace);
  bool Pacing() const;

  // --- live values (volts, amperes, degrees Celsius)
  void SetCellVoltage(int cell, double volts);  // cell 0..39
  void SetAllCells(double volts);
  void SetTotalVoltage(std::optional<double> volts);  // nullopt: near the sum of the cells
  void SetCurrent(double amperes);
  void SetTemperature(int sensor, double celsius);  // sensor 0..2
  void SetAnalogue(int input, double volts);         // input 0..1
  void SetNoise(bool on);  // small seeded noise on every reading (on by default)
  // The 100 data bytes of the next acquisition reply would hold these raw values.
  static uint16_t CellRaw(double volts);
  static uint16_t TotalRaw(double volts);
  static uint16_t CurrentRaw(double amperes);
  static uint16_t TemperatureRaw(double celsius);
  static uint16_t AnalogueRaw(double volts);

  // --- clock: runs from the moment it was set
  void SetClock(time_t deviceNow);
  time_t Clock() const;

  // --- stored curve groups
  void SetGroups(std::vector<StoredGroup> groups);
  std::vector<StoredGroup> Groups() const;
  // Counts reported by command 0x07; nullopt: the number of stored groups and 0.
  void SetCurveCounts(std::optional<int> recorded, std::optional<int> recording);
  // A download left half-way is forgotten after this long without a packet request,
  // counted from when the last packet has left the line (default 3000 ms).
  void SetTransferIdleMs(int ms);
  // A realistic discharge recording: points records, one a minute, from start.
  static StoredGroup MakeGroup(time_t start, int points, uint32_t seed);
  // A capacity test of a 24-cell string of 2 V cells (channels 25 to 40 empty):
  // 220 records a minute apart; the string's mean reaches 1.75 V near 214 min.
  // Cells 7 and 17 are weak (they reach 1.75 V near 184 and 192 min) and cell 12's
  // sense wire is loose: it reads 2.071 V throughout.
  static StoredGroup MakeDischargeGroup(time_t start);
  static constexpr int kDischargePoints = 220;
  // The default set: groups of 250 (24 packets of 900 and one of 651), 91 (exactly
  // 9 packets of 900, so an empty final packet), 12 and 255 points, then the
  // capacity test; more than five repeat them.
  static constexpr int kDefaultGroupCount = 5;
  static std::vector<StoredGroup> DefaultGroups(time_t end, int count = kDefaultGroupCount);

  // --- gear, alarms, version, calibration
  int Gear() const;
  void SetGear(int gear);
  struct AlarmSettings {
    bool voltOn = false;
    int overVolt = 0, underVolt = 0;  // whole volts
    bool currentOn = false;
    int overCurrent = 0;              // amperes, sign and magnitude on the wire
    bool tempOn[3] = {false, false, false};
    int tempHigh[3] = {0, 0, 0}, tempLow[3] = {0, 0, 0};  // degrees, sign and magnitude
  };
  AlarmSettings Alarms() const;
  void SetAlarms(const AlarmSettings& alarms);
  // The alarm word the device reports now (from values and thresholds, or the override).
  uint16_t AlarmWord() const;
  void SetAlarmWordOverride(std::optional<uint16_t> word);
  void SetVersionRaw(uint16_t raw);  // 130 = "Ver1.30"
  void SetCalibrationDelayMs(int ms);
  struct Calibration {
    uint8_t channel;
    uint8_t point;
  };
  std::vector<Calibration> Calibrations() const;

  // --- faults
  void SetFault(Fault fault, int times = kAlways, int param = 0, int param2 = -1,
                std::optional<uint8_t> command = std::nullopt);
  void ClearFaults();

  // --- what was received: every framed request, exactly as it came
  std::vector<std::vector<uint8_t>> Requests() const;
  size_t RequestCount() const;
  void ClearRequests();
  // Called with every request as it arrives, before it is answered (tests step in
  // between two exchanges of one operation). Runs on the host's thread.
  using RequestObserver = std::function<void(std::span<const uint8_t> request)>;
  void SetRequestObserver(RequestObserver observer);
  // Answer "clear all curves" with a refusal (0x00) and keep the groups.
  void SetClearRefused(bool refused);

 private:
  struct ActiveFault {
    Fault fault;
    int times;
    int param;
    int param2;
    std::optional<uint8_t> command;
  };

  std::vector<uint8_t> ReplyLocked(std::span<const uint8_t> request, bool& ok);
  std::vector<uint8_t> AcquisitionLocked();
  std::vector<uint8_t> GroupPacketLocked(int group, bool oversize, int oversizeLength);
  uint16_t AlarmWordLocked() const;
  double Noise(double amplitude);
  std::chrono::system_clock::time_point ClockPointLocked() const;
  time_t ClockLocked() const;
  void SetClockLocked(time_t deviceNow);

  mutable std::mutex mutex_;
  std::mt19937 rng_;
  int address_ = 0;
  int baud_ = kDefaultBaud;
  bool pace_ = false;

  double cells_[40];
  std::optional<double> total_;
  double current_ = 12.5;
  double temps_[3] = {25.0, 25.5, 24.8};
  double analogue_[2] = {2.5, 1.2};
  bool noise_ = true;

  NowFunction now_;
  // The clock read clockBase_ at the moment clockSetAt_ (of now_).
  std::chrono::system_clock::time_point clockBase_;
  std::chrono::steady_clock::time_point clockSetAt_;

  std::vector<StoredGroup> groups_;
  std::optional<int> recorded_, recording_;
  // The packet transfer in progress: which group, how far, and when the last packet went.
  int transferGroup_ = 0;
  size_t transferOffset_ = 0;
  std::chrono::steady_clock::time_point transferAt_{};  // the last packet is off the line
  std::chrono::milliseconds transferIdle_{3000};

  int gear_ = 6;
  AlarmSettings alarms_;
  std::optional<uint16_t> alarmOverride_;
  uint16_t versionRaw_ = 130;
  int calibrationDelayMs_ = 0;
  std::vector<Calibration> calibrations_;

  std::vector<ActiveFault> faults_;
  std::vector<std::vector<uint8_t>> requests_;
  RequestObserver observer_;
  bool clearRefused_ = false;
};

}  // namespace kx
