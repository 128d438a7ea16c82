// The panel against a unit paced at 9600 baud: the window keeps handling events
// while exchanges run on the worker, input to the controls starts nothing, a
// download can be cancelled, and closing mid-exchange ends it cleanly.

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "PanelFixture.h"
#include "link/CurveTransfer.h"
#include "link/Exchange.h"

namespace {

using namespace kx::panel::ids;

class Worker : public PanelFixture {
 protected:
  void SetUp() override {
    PanelFixture::SetUp();
    groups = {kx::VirtualDevice::MakeGroup(1399338187, 91, 1), kx::VirtualDevice::MakeGroup(1399338187, 12, 2)};
    device->SetGroups(groups);
    panel->show();
    QObject::connect(panel.get(), &CTesterDlg::ProgressChanged, panel.get(), [this](const QString& text) {
      progress << text;
      if (onProgress) std::exchange(onProgress, nullptr)();  // once, at the first report
    });
  }

  void Read(int group) {
    Edit(kEditGroupNo)->setText(QString::number(group));
    IconButton(kBtnReadGroup)->click();
  }
  void Pace() {
    device->SetBaud(9600);
    device->SetPacing(true);
  }
  size_t GroupRequests() const {
    const auto sent = Requests();
    return static_cast<size_t>(std::count_if(sent.begin(), sent.end(), [](const auto& r) { return r[4] == 0x08; }));
  }
  // A real click as the window system delivers it (press and release).
  static void Click(QWidget* widget) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(widget, &event);
    }
  }
  static void Key(QWidget* widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
  }

  std::vector<kx::StoredGroup> groups;  // 91 points (10 packets) and 12 points (2 packets)
  QStringList progress;
  std::function<void()> onProgress;
};

TEST_F(Worker, PacedDownloadKeepsTheEventLoopRunningAndReportsEveryPacket) {
  Pace();
  QElapsedTimer sinceLast;
  qint64 largestGap = 0;
  QTimer heartbeat;
  QObject::connect(&heartbeat, &QTimer::timeout, [&] {
    largestGap = std::max(largestGap, sinceLast.restart());
  });
  sinceLast.start();
  heartbeat.start(10);
  Read(1);
  heartbeat.stop();

  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  EXPECT_EQ(Probe().GroupImage(), groups[0].image);
  EXPECT_EQ(Probe().GroupPoints(), 91);
  EXPECT_EQ(Probe().Port(), nullptr);
  EXPECT_LE(largestGap, 250);  // the download alone takes about 8.5 s on this wire
  // Nine full packets of 900 and the empty one that ends them: a report for each.
  ASSERT_GE(progress.size(), 10);
  EXPECT_TRUE(progress.contains(QStringLiteral("读取曲线 10/10 包 8100/8100 字节 约 0 秒")))
      << progress.join('|').toStdString();
  EXPECT_TRUE(progress.filter(QStringLiteral("读取曲线 1/10 包 900/8100 字节")).size() == 1);
  EXPECT_FALSE(panel->findChild<QWidget*>(QStringLiteral("progressStrip"))->isVisible());
}

TEST_F(Worker, CancelledDownloadKeepsTheHeldGroupAndLeavesTheLineClean) {
  Read(2);
  ASSERT_EQ(Probe().GroupPoints(), 12);
  Pace();
  device->ClearRequests();
  onProgress = [this] { Key(panel.get(), Qt::Key_Escape); };
  Read(1);

  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  EXPECT_LT(GroupRequests(), 10u);  // stopped early, not at the end of the group
  EXPECT_EQ(Probe().GroupImage(), groups[1].image);
  EXPECT_EQ(Probe().GroupPoints(), 12);
  EXPECT_TRUE(IconButton(kBtnSaveFile)->isEnabled());
  EXPECT_EQ(Probe().Port(), nullptr);
  EXPECT_TRUE(panel->isVisible());  // Esc cancelled the download, not the window

  // The unit is still sending the rest of the cancelled packet: operations started
  // at once get the port only after it, and see none of it.
  IconButton(kBtnQueryCount)->click();
  EXPECT_EQ(Static(kStaticGroupCount)->text(), QStringLiteral("共2条曲线,0条在画"));
  Read(2);
  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  EXPECT_EQ(Probe().GroupImage(), groups[1].image);
  const auto sent = Requests();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.back()[4], 0x09);  // the download ended with the group's date
}

TEST_F(Worker, InputDuringAnExchangeStartsNothing) {
  Pace();
  onProgress = [this] {
    for (int id : {kBtnAcquire, kBtnQueryCount, kBtnReadTime, kBtnReadGroup, kBtnSetTime}) Click(panel->Control(id));
    panel->ControlAs<QWidget>(kBtnReadVersion)->setFocus();
    Key(panel->ControlAs<QWidget>(kBtnReadVersion), Qt::Key_Space);
  };
  Read(2);
  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  QApplication::processEvents();  // nothing was queued to run afterwards either
  // The count, two packets and the date: nothing else reached the unit.
  const auto sent = Requests();
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(sent.front()[4], 0x07);
  EXPECT_EQ(sent.back()[4], 0x09);
  EXPECT_EQ(Probe().GroupPoints(), 12);
}

TEST_F(Worker, ClosingMidExchangeEndsItWithoutShowingItsOutcome) {
  // A download: the held group stays, nothing is shown, the port is closed.
  Read(2);
  Pace();
  device->ClearRequests();
  onProgress = [this] { panel->close(); };
  Read(1);
  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  EXPECT_LT(GroupRequests(), 10u);
  EXPECT_EQ(Probe().GroupPoints(), 12);
  EXPECT_EQ(Probe().Port(), nullptr);
  EXPECT_FALSE(panel->isVisible());
}

TEST_F(Worker, ClosingDuringACalibrationAgainstASilentUnitEndsPromptly) {
  device->SetFault(kx::Fault::Silence);
  Combo(kComboCalCell2V)->setCurrentIndex(0);
  QTimer::singleShot(300, panel.get(), [this] { panel->close(); });
  QElapsedTimer took;
  took.start();
  panel->OnCalibrate(kBtnCalCell2V);  // the unit is allowed 30 s
  EXPECT_LT(took.elapsed(), 10000);
  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  EXPECT_EQ(Probe().Port(), nullptr);
  ASSERT_EQ(Requests().size(), 1u);
  EXPECT_EQ(Requests().front()[4], 0x21);
}

}  // namespace
