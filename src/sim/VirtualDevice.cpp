#include "sim/VirtualDevice.h"

#include <algorithm>
#include <cmath>

#include "link/CommandTable.h"

namespace kx {

namespace {

// How long delivering a reply takes: delay, pacing, slow bytes and the gap.
std::chrono::microseconds DeliveryTime(const ReplyPlan& plan) {
  const long long bytes = static_cast<long long>(plan.bytes.size());
  long long us = plan.delayMs * 1000LL + plan.gapMs * 1000LL;
  if (bytes > 1) us += (bytes - 1) * plan.byteGapMs * 1000LL;
  if (plan.paceBaud > 0) us += bytes * 10'000'000LL / plan.paceBaud;
  return std::chrono::microseconds(us);
}

uint16_t Raw(double value, double fullScale) {
  const double raw = std::round(value * 32768.0 / fullScale);
  return static_cast<uint16_t>(std::clamp(raw, 0.0, 65535.0));
}

void PutBig16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v & 0xFF));
}

// Sign and magnitude, as the alarm settings are sent.
int SignMagnitude16(uint8_t high, uint8_t low) {
  const int magnitude = (high & 0x7F) << 8 | low;
  return high & 0x80 ? -magnitude : magnitude;
}
int SignMagnitude8(uint8_t b) { return b & 0x80 ? -(b & 0x7F) : b; }

BcdDateTime LocalFields(time_t t) {
  tm fields{};
  localtime_r(&t, &fields);
  return BcdFromTm(fields);
}

bool ValidFields(const BcdDateTime& d) {
  return d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= 31 && d.hour < 24 && d.minute < 60 &&
         d.second < 60;
}

}  // namespace

VirtualDevice::VirtualDevice(uint32_t seed)
    : rng_(seed),
      now_(&std::chrono::steady_clock::now),
      clockBase_(std::chrono::system_clock::now()),
      clockSetAt_(now_()) {
  // A string of 40 cells near 3.3 V, each a little different, as real cells are.
  std::mt19937 spread(seed ^ 0x5A5A5A5Au);
  std::uniform_real_distribution<double> offset(-0.03, 0.03);
  for (double& cell : cells_) cell = 3.30 + offset(spread);
  const auto now = static_cast<time_t>(std::time(nullptr));
  groups_ = DefaultGroups(now);
}

// ---------------------------------------------------------------- raw scaling

uint16_t VirtualDevice::CellRaw(double volts) { return Raw(volts, kCellFullScaleV); }
uint16_t VirtualDevice::TotalRaw(double volts) { return Raw(volts, 600.0); }
uint16_t VirtualDevice::CurrentRaw(double amperes) { return Raw(amperes + 500.0, 1000.0); }
uint16_t VirtualDevice::TemperatureRaw(double celsius) { return Raw(celsius + 25.0, 125.0); }
uint16_t VirtualDevice::AnalogueRaw(double volts) { return Raw(volts, 5.0); }

double VirtualDevice::Noise(double amplitude) {
  if (!noise_) return 0.0;
  std::uniform_real_distribution<double> d(-amplitude, amplitude);
  return d(rng_);
}

// ---------------------------------------------------------------- settings

int VirtualDevice::Address() const {
  std::lock_guard lock(mutex_);
  return address_;
}
void VirtualDevice::SetAddress(int address) {
  std::lock_guard lock(mutex_);
  address_ = address & 0xFF;
}
int VirtualDevice::Baud() const {
  std::lock_guard lock(mutex_);
  return baud_;
}
void VirtualDevice::SetBaud(int baud) {
  std::lock_guard lock(mutex_);
  baud_ = baud;
}
void VirtualDevice::SetPacing(bool pace) {
  std::lock_guard lock(mutex_);
  pace_ = pace;
}
bool VirtualDevice::Pacing() const {
  std::lock_guard lock(mutex_);
  return pace_;
}

void VirtualDevice::SetCellVoltage(int cell, double volts) {
  std::lock_guard lock(mutex_);
  if (cell >= 0 && cell < 40) cells_[cell] = volts;
}
void VirtualDevice::SetAllCells(double volts) {
  std::lock_guard lock(mutex_);
  std::fill(std::begin(cells_), std::end(cells_), volts);
}
void VirtualDevice::SetTotalVoltage(std::optional<double> volts) {
  std::lock_guard lock(mutex_);
  total_ = volts;
}
void VirtualDevice::SetCurrent(double amperes) {
  std::lock_guard lock(mutex_);
  current_ = amperes;
}
void VirtualDevice::SetTemperature(int sensor, double celsius) {
  std::lock_guard lock(mutex_);
  if (sensor >= 0 && sensor < 3) temps_[sensor] = celsius;
}
void VirtualDevice::SetAnalogue(int input, double volts) {
  std::lock_guard lock(mutex_);
  if (input >= 0 && input < 2) analogue_[input] = volts;
}
void VirtualDevice::SetNoise(bool on) {
  std::lock_guard lock(mutex_);
  noise_ = on;
}

void VirtualDevice::SetNow(NowFunction now) {
  std::lock_guard lock(mutex_);
  const auto reading = ClockPointLocked();
  const auto sinceTransfer = now_() - transferAt_;
  now_ = now ? std::move(now) : NowFunction(&std::chrono::steady_clock::now);
  clockBase_ = reading;
  clockSetAt_ = now_();
  transferAt_ = clockSetAt_ - sinceTransfer;
}

std::chrono::system_clock::time_point VirtualDevice::ClockPointLocked() const {
  return clockBase_ + std::chrono::duration_cast<std::chrono::system_clock::duration>(now_() - clockSetAt_);
}
time_t VirtualDevice::ClockLocked() const { return std::chrono::system_clock::to_time_t(ClockPointLocked()); }
void VirtualDevice::SetClockLocked(time_t deviceNow) {
  clockBase_ = std::chrono::system_clock::from_time_t(deviceNow);
  clockSetAt_ = now_();
}
void VirtualDevice::SetClock(time_t deviceNow) {
  std::lock_guard lock(mutex_);
  SetClockLocked(deviceNow);
}
time_t VirtualDevice::Clock() const {
  std::lock_guard lock(mutex_);
  return ClockLocked();
}

void VirtualDevice::SetGroups(std::vector<StoredGroup> groups) {
  std::lock_guard lock(mutex_);
  groups_ = std::move(groups);
  transferGroup_ = 0;
  transferOffset_ = 0;
}
std::vector<StoredGroup> VirtualDevice::Groups() const {
  std::lock_guard lock(mutex_);
  return groups_;
}
void VirtualDevice::SetCurveCounts(std::optional<int> recorded, std::optional<int> recording) {
  std::lock_guard lock(mutex_);
  recorded_ = recorded;
  recording_ = recording;
}

int VirtualDevice::Gear() const {
  std::lock_guard lock(mutex_);
  return gear_;
}
void VirtualDevice::SetGear(int gear) {
  std::lock_guard lock(mutex_);
  gear_ = gear;
}
VirtualDevice::AlarmSettings VirtualDevice::Alarms() const {
  std::lock_guard lock(mutex_);
  return alarms_;
}
void VirtualDevice::SetAlarms(const AlarmSettings& alarms) {
  std::lock_guard lock(mutex_);
  alarms_ = alarms;
}
uint16_t VirtualDevice::AlarmWord() const {
  std::lock_guard lock(mutex_);
  return AlarmWordLocked();
}
void VirtualDevice::SetAlarmWordOverride(std::optional<uint16_t> word) {
  std::lock_guard lock(mutex_);
  alarmOverride_ = word;
}
void VirtualDevice::SetVersionRaw(uint16_t raw) {
  std::lock_guard lock(mutex_);
  versionRaw_ = raw;
}
void VirtualDevice::SetTransferIdleMs(int ms) {
  std::lock_guard lock(mutex_);
  transferIdle_ = std::chrono::milliseconds(ms);
}
void VirtualDevice::SetCalibrationDelayMs(int ms) {
  std::lock_guard lock(mutex_);
  calibrationDelayMs_ = ms;
}
std::vector<VirtualDevice::Calibration> VirtualDevice::Calibrations() const {
  std::lock_guard lock(mutex_);
  return calibrations_;
}

void VirtualDevice::SetFault(Fault fault, int times, int param, int param2, std::optional<uint8_t> command) {
  std::lock_guard lock(mutex_);
  if (times == 0) return;
  faults_.push_back({fault, times, param, param2, command});
}
void VirtualDevice::ClearFaults() {
  std::lock_guard lock(mutex_);
  faults_.clear();
}

std::vector<std::vector<uint8_t>> VirtualDevice::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}
size_t VirtualDevice::RequestCount() const {
  std::lock_guard lock(mutex_);
  return requests_.size();
}
void VirtualDevice::SetRequestObserver(RequestObserver observer) {
  std::lock_guard lock(mutex_);
  observer_ = std::move(observer);
}

void VirtualDevice::SetClearRefused(bool refused) {
  std::lock_guard lock(mutex_);
  clearRefused_ = refused;
}

void VirtualDevice::ClearRequests() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

// ---------------------------------------------------------------- curve groups

StoredGroup VirtualDevice::MakeGroup(time_t start, int points, uint32_t seed) {
  points = std::clamp(points, 0, 255);
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> spread(-0.025, 0.025);
  std::uniform_real_distribution<double> jitter(-0.003, 0.003);
  double base[40];
  double fade[40];
  for (int c = 0; c < 40; ++c) {
    base[c] = 3.38 + spread(rng);
    fade[c] = 1.0 + spread(rng) * 8;  // some cells give up sooner than others
  }
  StoredGroup group;
  group.image.reserve(1 + 89 * static_cast<size_t>(points));
  group.image.push_back(static_cast<uint8_t>(points));
  for (int k = 0; k < points; ++k) {
    const time_t t = start + static_cast<time_t>(k) * 60;  // one record a minute
    uint8_t stamp[7];
    EncodeBcdDateTime(LocalFields(t), stamp);
    group.image.insert(group.image.end(), stamp, stamp + 7);
    // A discharge: a slow plateau decline, then a knee in the last tenth.
    const double x = points > 1 ? static_cast<double>(k) / (points - 1) : 0.0;
    double total = 0;
    for (int c = 0; c < 40; ++c) {
      const double knee = x > 0.9 ? (x - 0.9) * (x - 0.9) * 25.0 * fade[c] : 0.0;
      const double v = base[c] - 0.22 * x * fade[c] - knee + jitter(rng);
      total += v;
      PutBig16(group.image, CellRaw(v));
    }
    PutBig16(group.image, TotalRaw(total));
  }
  group.date = LocalFields(start);
  return group;
}

StoredGroup VirtualDevice::MakeDischargeGroup(time_t start) {
  constexpr int kCells = 24;
  constexpr int kWeak[] = {6, 16};
  constexpr double kWeakMinutes[] = {182.0, 190.0};
  constexpr int kStuck = 11;
  std::mt19937 rng(2024);
  std::uniform_real_distribution<double> capacity(-5.0, 5.0);
  std::uniform_real_distribution<double> offset(-0.012, 0.012);
  std::uniform_real_distribution<double> jitter(-0.0015, 0.0015);
  // Minutes until each cell is down to 1.75 V, and its own small offset.
  double minutes[kCells], shift[kCells];
  for (int c = 0; c < kCells; ++c) {
    minutes[c] = 214.0 + capacity(rng);
    shift[c] = offset(rng);
  }
  for (int w = 0; w < 2; ++w) minutes[kWeak[w]] = kWeakMinutes[w];

  StoredGroup group;
  group.image.push_back(static_cast<uint8_t>(kDischargePoints));
  for (int k = 0; k < kDischargePoints; ++k) {
    const time_t t = start + static_cast<time_t>(k) * 60;
    uint8_t stamp[7];
    EncodeBcdDateTime(LocalFields(t), stamp);
    group.image.insert(group.image.end(), stamp, stamp + 7);
    double total = 0;
    for (int c = 0; c < 40; ++c) {
      double v = 0;
      if (c < kCells) {
        // A lead-acid cell under a constant load: a gently falling plateau, then
        // the knee; x = 1 is where it reaches 1.75 V.
        const double x = k / minutes[c];
        v = 2.06 + shift[c] - 0.12 * x - 0.19 * std::pow(x, 6) + jitter(rng);
        total += v;  // the string's real voltage, whatever a sense wire shows
        if (c == kStuck) v = 2.071;
      }
      PutBig16(group.image, CellRaw(v));
    }
    PutBig16(group.image, TotalRaw(total));
  }
  group.date = LocalFields(start);
  return group;
}

std::vector<StoredGroup> VirtualDevice::DefaultGroups(time_t end, int count) {
  static constexpr int kSizes[] = {250, 91, 12, 255, kDischargePoints};
  std::vector<StoredGroup> groups;
  for (int g = 0; g < count; ++g) {
    const int kind = g % kDefaultGroupCount;
    const int points = kSizes[kind];
    // One recording a day, the last one ending an hour before `end`.
    const time_t start = end - 3600 - static_cast<time_t>(count - 1 - g) * 86400 - points * 60;
    groups.push_back(kind == kDefaultGroupCount - 1 ? MakeDischargeGroup(start)
                                                    : MakeGroup(start, points, 1000u + static_cast<uint32_t>(g)));
  }
  return groups;
}

std::vector<uint8_t> VirtualDevice::GroupPacketLocked(int group, bool oversize, int oversizeLength) {
  const uint8_t code = static_cast<uint8_t>(Command::ReadGroup);
  if (oversize) {
    const size_t length =
        oversizeLength > static_cast<int>(kGroupPacketFull) ? static_cast<size_t>(oversizeLength) : 1000;
    std::vector<uint8_t> filler(length, 0x55);
    return RequestFrame(address_, code, filler);
  }
  static const std::vector<uint8_t> kNone;
  const std::vector<uint8_t>& image =
      group >= 1 && static_cast<size_t>(group) <= groups_.size() ? groups_[static_cast<size_t>(group) - 1].image
                                                                 : kNone;
  const auto now = now_();
  if (transferGroup_ != group || now - transferAt_ > transferIdle_) transferOffset_ = 0;
  const size_t offset = std::min(transferOffset_, image.size());
  const size_t length = std::min(kGroupPacketFull, image.size() - offset);
  std::vector<uint8_t> reply =
      RequestFrame(address_, code, std::span<const uint8_t>(image.data() + offset, length));
  if (length == kGroupPacketFull) {  // more to come, even if only an empty last packet
    transferGroup_ = group;
    transferOffset_ = offset + length;
    transferAt_ = now;
  } else {
    transferGroup_ = 0;
    transferOffset_ = 0;
  }
  return reply;
}

// ---------------------------------------------------------------- replies

uint16_t VirtualDevice::AlarmWordLocked() const {
  if (alarmOverride_) return *alarmOverride_;
  double sum = 0;
  for (double c : cells_) sum += c;
  const double total = total_.value_or(sum);
  uint16_t word = 0;
  if (alarms_.voltOn && total < alarms_.underVolt) word |= 1u << 8;
  if (alarms_.voltOn && total > alarms_.overVolt) word |= 1u << 7;
  if (alarms_.currentOn && std::fabs(current_) > std::abs(alarms_.overCurrent)) word |= 1u << 6;
  for (int s = 0; s < 3; ++s) {
    if (!alarms_.tempOn[s]) continue;
    if (temps_[s] > alarms_.tempHigh[s]) word |= static_cast<uint16_t>(1u << (2 * s));
    if (temps_[s] < alarms_.tempLow[s]) word |= static_cast<uint16_t>(1u << (2 * s + 1));
  }
  return word;
}

std::vector<uint8_t> VirtualDevice::AcquisitionLocked() {
  std::vector<uint8_t> data;
  data.reserve(100);
  double sum = 0;
  for (double cell : cells_) {
    const double v = cell + Noise(0.004);
    sum += v;
    PutBig16(data, CellRaw(v));
  }
  PutBig16(data, TotalRaw(total_.value_or(sum) + Noise(0.05)));
  PutBig16(data, CurrentRaw(current_ + Noise(0.2)));
  for (double t : temps_) PutBig16(data, TemperatureRaw(t + Noise(0.1)));
  for (double a : analogue_) PutBig16(data, AnalogueRaw(a + Noise(0.002)));
  data.resize(100, 0x00);  // bytes 101..106 of the reply are not used
  return RequestFrame(address_, static_cast<uint8_t>(Command::Acquire), data);
}

std::vector<uint8_t> VirtualDevice::ReplyLocked(std::span<const uint8_t> request, bool& answer) {
  answer = true;
  const uint8_t code = request[4];
  const std::span<const uint8_t> data = request.subspan(kFrameHeaderSize, request.size() - kFrameOverhead);
  auto frame = [&](std::initializer_list<uint8_t> bytes) {
    const std::vector<uint8_t> d(bytes);
    return RequestFrame(address_, code, d);
  };
  auto ack = [&](bool ok) { return frame({static_cast<uint8_t>(ok ? 0xFF : 0x00)}); };

  if (code != static_cast<uint8_t>(Command::ReadGroup)) {
    transferGroup_ = 0;  // any other request ends a download in progress
    transferOffset_ = 0;
  }
  switch (static_cast<Command>(code)) {
    case Command::Acquire:
      return AcquisitionLocked();
    case Command::ReadGear:
      return frame({static_cast<uint8_t>(gear_)});
    case Command::ReadAlarm: {
      const uint16_t word = AlarmWordLocked();
      return frame({static_cast<uint8_t>(word >> 8), static_cast<uint8_t>(word & 0xFF)});
    }
    case Command::ReadVersion:
      return frame({static_cast<uint8_t>(versionRaw_ >> 8), static_cast<uint8_t>(versionRaw_ & 0xFF)});
    case Command::SetClock: {
      const BcdDateTime d = DecodeBcdDateTime(data.data());
      if (!ValidFields(d)) return ack(false);
      tm fields = TmFromBcd(d);
      const time_t t = mktime(&fields);
      if (t == static_cast<time_t>(-1)) return ack(false);
      SetClockLocked(t);
      return ack(true);
    }
    case Command::QueryCurveCount: {
      const int recorded = recorded_.value_or(static_cast<int>(groups_.size()));
      const int recording = recording_.value_or(0);
      return frame({static_cast<uint8_t>(std::clamp(recorded, 0, 255)),
                    static_cast<uint8_t>(std::clamp(recording, 0, 255))});
    }
    case Command::ReadGroup:
      return GroupPacketLocked(data[0], false, 0);
    case Command::ReadGroupDate: {
      uint8_t stamp[7] = {0, 0, 0, 0, 0, 0, 0};
      const int g = data[0];
      if (g >= 1 && static_cast<size_t>(g) <= groups_.size()) {
        EncodeBcdDateTime(groups_[static_cast<size_t>(g) - 1].date, stamp);
      }
      return RequestFrame(address_, code, stamp);
    }
    case Command::ReadClock: {
      uint8_t stamp[7];
      EncodeBcdDateTime(LocalFields(ClockLocked()), stamp);
      return RequestFrame(address_, code, stamp);
    }
    case Command::ClearCurves:
      if (clearRefused_) return ack(false);
      groups_.clear();
      recorded_.reset();
      recording_.reset();
      return ack(true);
    case Command::SetAddress: {
      std::vector<uint8_t> reply = ack(true);  // answered at the old address
      address_ = data[0];
      return reply;
    }
    case Command::SetBaud: {
      const int baud = BigEndian16(data, 0);
      if (!IsBaudRate(baud)) {  // a rate it cannot take: it stays where it is, silent
        answer = false;
        return {};
      }
      std::vector<uint8_t> reply = frame({data[0], data[1]});  // answered at the old rate
      baud_ = baud;
      return reply;
    }
    case Command::SetVoltAlarm:
      alarms_.voltOn = data[0] != 0;
      alarms_.overVolt = BigEndian16(data, 1);
      alarms_.underVolt = BigEndian16(data, 3);
      return ack(true);
    case Command::SetCurrentAlarm:
      alarms_.currentOn = data[0] != 0;
      alarms_.overCurrent = SignMagnitude16(data[1], data[2]);
      return ack(true);
    case Command::SetTemp1Alarm:
    case Command::SetTemp2Alarm:
    case Command::SetTemp3Alarm: {
      const int s = code - static_cast<uint8_t>(Command::SetTemp1Alarm);
      alarms_.tempOn[s] = data[0] != 0;
      alarms_.tempHigh[s] = SignMagnitude8(data[1]);
      alarms_.tempLow[s] = SignMagnitude8(data[2]);
      return ack(true);
    }
    case Command::SetGear: {
      const int g = data[0];
      const bool ok = g == 2 || g == 6 || g == 12;
      if (ok) gear_ = g;
      return ack(ok);
    }
    case Command::Calibrate:
      calibrations_.push_back({data[0], data[1]});
      return frame({data[0], data[1]});
  }
  answer = false;
  return {};
}

ReplyPlan VirtualDevice::Answer(std::span<const uint8_t> request, int portBaud) {
  std::lock_guard lock(mutex_);
  requests_.emplace_back(request.begin(), request.end());
  if (observer_) observer_(request);
  ReplyPlan plan;

  // What a real unit would not hear, it does not answer: a garbled or foreign frame,
  // a frame at another baud rate, another address, an unknown command.
  if (request.size() < kFrameOverhead || request[0] != 0x14 || request[1] != 0x2E) return plan;
  if (request.size() != kFrameOverhead + BigEndian16(request, 5)) return plan;
  if (!ReplyChecksumOk(request)) return plan;
  if (portBaud != 0 && portBaud != baud_) return plan;
  if (request[3] != address_) return plan;
  const uint8_t code = request[4];
  const CommandInfo* info = FindCommand(code);
  if (info == nullptr || static_cast<size_t>(info->requestDataLength) != request.size() - kFrameOverhead) {
    return plan;
  }
  const int baudBefore = baud_;

  // The faults that apply to this reply; each one used up counts down.
  std::vector<ActiveFault> apply;
  for (ActiveFault& f : faults_) {
    if (f.command && *f.command != code) continue;
    if (f.fault == Fault::Oversize && code != static_cast<uint8_t>(Command::ReadGroup)) continue;
    apply.push_back(f);
    if (f.times > 0) --f.times;
  }
  std::erase_if(faults_, [](const ActiveFault& f) { return f.times == 0; });
  auto find = [&](Fault kind) -> const ActiveFault* {
    for (const ActiveFault& f : apply) {
      if (f.fault == kind) return &f;
    }
    return nullptr;
  };

  bool answer = true;
  if (const ActiveFault* f = find(Fault::Oversize)) {
    plan.bytes = GroupPacketLocked(request[kFrameHeaderSize], true, f->param);
  } else {
    plan.bytes = ReplyLocked(request, answer);
  }
  if (!answer || find(Fault::Silence)) {
    plan.bytes.clear();
    return plan;
  }
  if (code == static_cast<uint8_t>(Command::Calibrate)) plan.delayMs = calibrationDelayMs_;

  if (find(Fault::Checksum)) plan.bytes.back() ^= 0x5A;
  if (const ActiveFault* f = find(Fault::Short)) {
    const size_t k = std::min(plan.bytes.size(), static_cast<size_t>(f->param > 0 ? f->param : 1));
    plan.bytes.resize(plan.bytes.size() - k);
  }
  if (const ActiveFault* f = find(Fault::Long)) {
    plan.bytes.resize(plan.bytes.size() + static_cast<size_t>(f->param > 0 ? f->param : 4), 0xA5);
  }
  if (const ActiveFault* f = find(Fault::Slow)) plan.byteGapMs = f->param > 0 ? f->param : 1100;
  if (const ActiveFault* f = find(Fault::Gap)) {
    plan.gapMs = f->param > 0 ? f->param : 1100;
    plan.gapAt = f->param2 >= 0 ? static_cast<size_t>(f->param2) : plan.bytes.size() / 2;
  }
  if (const ActiveFault* f = find(Fault::HangUp)) {
    plan.hangUpAfter = f->param > 0    ? static_cast<size_t>(f->param)
                       : f->param == 0 ? plan.bytes.size() / 2
                                       : 0;
  }
  if (const ActiveFault* f = find(Fault::Delay)) plan.delayMs += f->param > 0 ? f->param : 1100;
  if (pace_) plan.paceBaud = baudBefore;
  // A paced packet at a low rate takes seconds; the idle time starts once it is sent.
  if (transferGroup_ != 0) transferAt_ += DeliveryTime(plan);
  return plan;
}

std::vector<uint8_t> VirtualDevice::Respond(std::span<const uint8_t> request) {
  ReplyPlan plan = Answer(request, 0);
  if (plan.hangUpAfter && *plan.hangUpAfter < plan.bytes.size()) plan.bytes.resize(*plan.hangUpAfter);
  return plan.bytes;
}

}  // namespace kx
