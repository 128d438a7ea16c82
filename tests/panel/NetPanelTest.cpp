// The panel with port 1 named tcp://…: the simulated unit's own listener in front
// of its line. A reading, a download, and a download cancelled half-way.

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <functional>

#include "PanelFixture.h"
#include "sim/TcpRelay.h"

namespace {

using namespace kx::panel::ids;

class NetPanel : public PanelFixture {
 protected:
  void SetUp() override {
    PanelFixture::SetUp();
    device->SetNoise(false);
    groups = {kx::VirtualDevice::MakeGroup(1399338187, 91, 1), kx::VirtualDevice::MakeGroup(1399338187, 12, 2)};
    device->SetGroups(groups);
    relay = std::make_unique<kx::TcpRelay>(host->Path(), 9600);
    std::string error;
    ASSERT_TRUE(relay->Start("127.0.0.1", 0, error)) << error;
    kx::PortNaming naming("/nonexistent/sys/class/tty", "/nonexistent/dev");
    naming.Map(1, "tcp://127.0.0.1:" + std::to_string(relay->Port()) + "?extra-wait=50");
    panel = std::make_unique<CTesterDlg>(naming);
    panel->show();
    QObject::connect(panel.get(), &CTesterDlg::ProgressChanged, panel.get(), [this](const QString&) {
      if (onProgress) std::exchange(onProgress, nullptr)();
    });
  }
  void TearDown() override {
    panel.reset();
    relay.reset();
    PanelFixture::TearDown();
  }
  void Read(int group) {
    Edit(kEditGroupNo)->setText(QString::number(group));
    IconButton(kBtnReadGroup)->click();
  }
  size_t GroupRequests() const {
    const auto sent = Requests();
    return static_cast<size_t>(std::count_if(sent.begin(), sent.end(), [](const auto& r) { return r[4] == 0x08; }));
  }

  std::unique_ptr<kx::TcpRelay> relay;
  std::vector<kx::StoredGroup> groups;  // 91 points (10 packets) and 12 points (2 packets)
  std::function<void()> onProgress;
};

TEST_F(NetPanel, ReadsAndDownloadsOverTcpAndCancelsMidDownload) {
  device->SetAllCells(3.3);
  device->SetCellVoltage(0, 8.5);
  IconButton(kBtnAcquire)->click();
  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  EXPECT_EQ(Cell(kListValues, 0, 1), "8.500");
  EXPECT_EQ(Cell(kListValues, 1, 1), "3.300");

  Read(2);
  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  EXPECT_EQ(Probe().GroupImage(), groups[1].image);
  EXPECT_EQ(Probe().Port(), nullptr);

  // Paced at 9600 baud the 91-point group takes seconds: Esc at the first packet's
  // report stops it early; the held group stays and the next operation works.
  device->SetBaud(9600);
  device->SetPacing(true);
  device->ClearRequests();
  onProgress = [this] {
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(panel.get(), &esc);
  };
  Read(1);
  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  EXPECT_GE(GroupRequests(), 1u);
  EXPECT_LT(GroupRequests(), 10u);
  EXPECT_EQ(Probe().GroupImage(), groups[1].image);
  EXPECT_EQ(Probe().Port(), nullptr);
  EXPECT_TRUE(panel->isVisible());

  device->SetPacing(false);
  Read(1);
  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  EXPECT_EQ(Probe().GroupImage(), groups[0].image);
  EXPECT_EQ(Probe().GroupPoints(), 91);
}

}  // namespace
