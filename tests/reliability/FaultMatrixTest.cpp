// Every device operation of the panel against every fault of the simulated unit:
// the operation's own message, its read-outs as its description says, the group
// it held kept, and the port closed (no terminal descriptor left, the port can be
// opened again at once). One table of operations, one of faults.

#include <QComboBox>
#include <QLineEdit>
#include <functional>
#include <set>

#include "PanelFixture.h"
#include "Probes.h"
#include "link/Exchange.h"

namespace {

using namespace kx::panel::ids;

using kx::Fault;

// How each fault is switched on: on every reply of the operation's command, with
// parameters that make it a fault for every command (100 extra bytes also pass
// the 200 bytes an acquisition accepts).
struct FaultCase {
  const char* name;
  Fault fault;
  int param;
};
const FaultCase kFaults[] = {
    {"Silence", Fault::Silence, 0}, {"ShortReply", Fault::Short, 1},
    {"LongReply", Fault::Long, 100}, {"WrongChecksum", Fault::Checksum, 0},
    {"OversizePacket", Fault::Oversize, 0}, {"SlowBytes", Fault::Slow, 1100},
    {"HangUpMidReply", Fault::HangUp, 0},
};

QStringList Texts(std::initializer_list<const char*> texts) {
  QStringList out;
  for (const char* t : texts) out << QString::fromUtf8(t);
  return out;
}

class Matrix;

struct Operation {
  const char* name;
  uint8_t command;  // the faults hit replies to this command only
  int waitMs;       // the operation's longest wait, shortened to about 300 ms
  // The reply is taken on its length alone (pause-then-read and read-at-once):
  // extra bytes stay unread and the checksum is not examined.
  bool lengthOnly;
  QStringList failed;      // no reply, short, slow, hang-up (and long for waited replies)
  QStringList badChecksum; // checked replies only
  QStringList ok;          // when the fault does not touch what the operation examines
  std::set<int> failureChanges;  // controls a failure is documented to change
  std::function<void(Matrix&)> prepare;
  std::function<void(Matrix&)> run;
  std::function<void(Matrix&)> afterFailure;  // extra checks of the failed state
};

class Matrix : public PanelFixture, public ::testing::WithParamInterface<std::tuple<int, int>> {
 public:
  void ForceGroups() {
    const time_t start = 1399338187;
    device->SetGroups({kx::VirtualDevice::MakeGroup(start, 5, 1), kx::VirtualDevice::MakeGroup(start, 8, 2)});
  }
  CTesterDlg& Panel() { return *panel; }
  using PanelFixture::Combo;
  using PanelFixture::Edit;
  using PanelFixture::IconButton;
  using PanelFixture::Tick;
  ScriptedPrompts& Prompts() { return prompts; }
};

std::vector<Operation> Operations() {
  const QStringList none;
  auto noPrep = [](Matrix&) {};
  std::vector<Operation> ops = {
      {"Acquire", 0x00, 1000, false, Texts({"通讯失败"}), Texts({"通讯失败"}), none, {}, noPrep,
       [](Matrix& m) { m.Panel().OnAcquire(); }, {}},
      {"ContinuousTick", 0x00, 1000, false, none, none, none, {kEditFailCount}, noPrep,
       [](Matrix& m) {
         m.Panel().OnContinuous();
         m.Tick();
         m.Panel().OnContinuous();
       },
       [](Matrix& m) {
         EXPECT_EQ(m.Probe().FailCount(), 1);
         EXPECT_EQ(m.Probe().SuccessCount(), 0);
       }},
      {"SetTime", 0x04, 1000, true, Texts({"设置系统时间失败"}), none,
       Texts({"设置系统时间成功:2014-05-06 09:03:07"}), {},
       [](Matrix& m) { m.Panel().SetClockSource([] { return int64_t{1399338187}; }); },
       [](Matrix& m) { m.Panel().OnSetTime(); }, {}},
      {"ReadTime", 0x0A, 1000, false, Texts({"读取时间!"}), Texts({"校验错!"}), none, {}, noPrep,
       [](Matrix& m) { m.Panel().OnReadTime(); }, {}},
      {"QueryCurveCount", 0x07, 1000, true, Texts({"通讯失败!"}), none, none, {}, noPrep,
       [](Matrix& m) { m.Panel().OnQueryCurveCount(); }, {}},
      // A group is held before: a failed download must keep it.
      {"ReadGroup", 0x08, 1000, true, Texts({"读数据失败", "读曲线数据错误"}), none, none,
       {kStaticGroupCount, kBtnViewPoint, kBtnSaveFile, kBtnShowCurves},  // the count query before it succeeded
       [](Matrix& m) {
         m.ForceGroups();
         m.Edit(kEditGroupNo)->setText("2");
         m.Panel().OnReadGroup();
         ASSERT_EQ(m.Probe().GroupPoints(), 8);
         m.Edit(kEditGroupNo)->setText("1");
       },
       [](Matrix& m) { m.Panel().OnReadGroup(); },
       [](Matrix& m) {
         EXPECT_FALSE(m.IconButton(kBtnViewPoint)->isEnabled());
         EXPECT_FALSE(m.IconButton(kBtnSaveFile)->isEnabled());
         EXPECT_FALSE(m.IconButton(kBtnShowCurves)->isEnabled());
         EXPECT_EQ(m.Probe().ViewerGroup().PointCount(), 8);
       }},
      {"ClearCurves", 0x0B, 1000, true, Texts({"是否真的清除所有曲线数据?", "清除失败!"}), none,
       Texts({"是否真的清除所有曲线数据?", "清除成功!"}), {},
       [](Matrix& m) { m.Prompts().answers = {kx::Prompts::Answer::Yes}; },
       [](Matrix& m) { m.Panel().OnClearCurves(); }, {}},
      {"ReadVersion", 0x03, 500, false, Texts({"读数据失败！"}), Texts({"校验错!"}), none, {}, noPrep,
       [](Matrix& m) { m.Panel().OnReadVersion(); }, {}},
      {"SetAddress", 0x10, 1000, false, Texts({"设置失败!"}), Texts({"校验错!"}), none, {},
       [](Matrix& m) { m.Edit(kEditNewAddress)->setText("7"); },
       [](Matrix& m) { m.Panel().OnSetAddress(); }, {}},
      {"SetBaud", 0x11, 1000, false, Texts({"设置失败!"}), Texts({"校验错!"}), none, {},
       [](Matrix& m) { m.Combo(kComboNewBaud)->setCurrentIndex(5); },
       [](Matrix& m) { m.Panel().OnSetBaud(); }, {}},
      {"ReadGear", 0x01, 1000, false, Texts({"读数据失败!"}), Texts({"校验错!"}), none, {}, noPrep,
       [](Matrix& m) { m.Panel().OnReadGear(); }, {}},
      {"SetGear", 0x20, 1000, false, Texts({"设置失败!"}), Texts({"校验错!"}), none, {},
       [](Matrix& m) { m.Combo(kComboGear)->setCurrentIndex(2); },
       [](Matrix& m) { m.Panel().OnSetGear(); }, {}},
      // The 2 V cell row has its own wrong-count text; the others share one.
      {"CalibrateCell2V", 0x21, 30000, false, Texts({"校准失败!"}), Texts({"校验错!"}), none, {},
       [](Matrix& m) { m.Combo(kComboCalCell2V)->setCurrentIndex(0); },
       [](Matrix& m) { m.Panel().OnCalibrate(kBtnCalCell2V); }, {}},
      {"CalibrateTemperature", 0x21, 5000, false, Texts({"校准失败!!"}), Texts({"校验错!"}), none, {},
       [](Matrix& m) { m.Combo(kComboCalTemp)->setCurrentIndex(1); },
       [](Matrix& m) { m.Panel().OnCalibrate(kBtnCalTemp); }, {}},
      {"ReadAlarm", 0x02, 1000, false, Texts({"读数据失败!"}), Texts({"校验错!"}), none, {}, noPrep,
       [](Matrix& m) { m.Panel().OnReadAlarm(); }, {}},
      {"SetVoltAlarm", 0x12, 500, false, Texts({"设置失败!"}), Texts({"校验错!"}), none, {}, noPrep,
       [](Matrix& m) { m.Panel().OnSetVoltAlarm(); }, {}},
      {"SetCurrentAlarm", 0x13, 500, false, Texts({"设置失败!"}), Texts({"校验错!"}), none, {}, noPrep,
       [](Matrix& m) { m.Panel().OnSetCurrentAlarm(); }, {}},
      {"SetTemp3Alarm", 0x16, 500, false, Texts({"设置失败!"}), Texts({"校验错!"}), none, {}, noPrep,
       [](Matrix& m) { m.Panel().OnSetTempAlarm(3); }, {}},
  };
  return ops;
}

const std::vector<Operation>& AllOperations() {
  static const std::vector<Operation> ops = Operations();
  return ops;
}

TEST_P(Matrix, EndsInTheOperationsMessageWithThePortClosed) {
  const Operation& op = AllOperations()[static_cast<size_t>(std::get<0>(GetParam()))];
  const FaultCase& fc = kFaults[std::get<1>(GetParam())];

  // About 300 ms for the operation's wait: room for a good reply, short for silence.
  panel->SetWaitScale(300.0 / op.waitMs);
  device->SetAddress(1);
  Edit(kEditAddress)->setText("1");
  op.prepare(*this);
  if (HasFatalFailure()) return;
  // Read-outs hold something of their own, so that an overwrite shows.
  for (QLabel* label : {Static(kStaticDeviceTime), Static(kStaticGroupCount), Static(kStaticVersion)}) {
    label->setText(QStringLiteral("before"));
  }
  Edit(kEditRangeGear)->setText(QStringLiteral("before"));
  IconButton(kBtnViewPoint)->setEnabled(true);
  IconButton(kBtnSaveFile)->setEnabled(true);
  IconButton(kBtnShowCurves)->setEnabled(true);

  prompts.Clear();
  const size_t terminals = rel::TerminalDescriptors();
  const rel::Snapshot before = rel::TakeSnapshot(*panel);
  const std::vector<uint8_t> image = Probe().GroupBuffer();
  const int imageBytes = Probe().GroupBytes();

  device->SetFault(fc.fault, kx::VirtualDevice::kAlways, fc.param, -1, op.command);
  op.run(*this);

  // What the operation examines decides whether the fault is a failure at all.
  QStringList expected = op.failed;
  bool failure = true;
  if (fc.fault == Fault::Oversize) {
    expected = Texts({"读曲线数据错误"});
  } else if ((fc.fault == Fault::Long || fc.fault == Fault::Checksum) && op.lengthOnly) {
    expected = op.ok;
    failure = false;
  } else if (fc.fault == Fault::Checksum) {
    expected = op.badChecksum;
  }
  // A download takes its packets on their length, then warns of the corrupt one.
  if (fc.fault == Fault::Checksum && op.command == 0x08) expected = Texts({"警告: 1 个数据包校验错误，曲线数据可能有误!"});
  EXPECT_EQ(prompts.Texts(), expected);

  EXPECT_EQ(Probe().Port(), nullptr);
  EXPECT_LE(rel::TerminalDescriptors(), terminals) << "a descriptor of the port stayed open";
  if (failure) {
    const rel::Snapshot after = rel::TakeSnapshot(*panel);
    rel::Snapshot expectedAfter = before;
    for (int id : op.failureChanges) {
      const QString key = QString::number(id);
      expectedAfter[key] = after.count(key) ? after.at(key) : QString();
    }
    EXPECT_TRUE(expectedAfter == after) << "changed: " << rel::Differences(expectedAfter, after).toStdString();
    EXPECT_EQ(Probe().GroupBytes(), imageBytes);
    EXPECT_TRUE(Probe().GroupBuffer() == image) << "the held group image changed";
    if (op.afterFailure) op.afterFailure(*this);
  }

  // The unit comes back (after a hang-up, plugged in again) and the port opens at once.
  device->ClearFaults();
  if (fc.fault == Fault::HangUp) {
    ASSERT_TRUE(host->Replug());
  }
  EXPECT_TRUE(rel::CanOpenAtOnce(host->Path()));
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<int, int>>& info) {
  return std::string(AllOperations()[static_cast<size_t>(std::get<0>(info.param))].name) + "_" +
         kFaults[std::get<1>(info.param)].name;
}

// Every pair, except an oversize packet for commands whose replies announce no length.
std::vector<std::tuple<int, int>> Cases() {
  std::vector<std::tuple<int, int>> cases;
  for (size_t o = 0; o < AllOperations().size(); ++o) {
    for (size_t f = 0; f < std::size(kFaults); ++f) {
      if (kFaults[f].fault == Fault::Oversize && AllOperations()[o].command != 0x08) continue;
      cases.emplace_back(static_cast<int>(o), static_cast<int>(f));
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryOperationEveryFault, Matrix, ::testing::ValuesIn(Cases()), CaseName);

}  // namespace
