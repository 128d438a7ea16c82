// The unit unplugged in the middle of a download or of a continuous run: one
// clear failure, a panel that still answers, and everything working again once
// the unit is back.

#include <QCoreApplication>
#include <QLineEdit>

#include "PanelFixture.h"
#include "Probes.h"
#include "link/Exchange.h"

namespace {

using namespace kx::panel::ids;

class HangUp : public PanelFixture {
 protected:
  void TearDown() override {
    kx::SetFrameTracer(nullptr);
    PanelFixture::TearDown();
  }
  // Unplugs the unit right after the n-th request with this command went out.
  void UnplugAfter(uint8_t command, int n) {
    auto seen = std::make_shared<int>(0);
    kx::SetFrameTracer([this, command, n, seen](const kx::FrameEvent& frame) {
      if (frame.sent && frame.command == command && ++*seen == n) host->HangUp();
    });
  }
};

TEST_F(HangUp, MidDownloadFailsOnceAndTheNextDownloadWorksAfterReplug) {
  panel->SetWaitScale(0.2);
  const size_t terminals = rel::TerminalDescriptors();
  Edit(kEditGroupNo)->setText("1");  // 250 points: 25 packets
  UnplugAfter(0x08, 3);
  panel->OnReadGroup();
  kx::SetFrameTracer(nullptr);

  EXPECT_EQ(prompts.Texts(), QStringList({QStringLiteral("读数据失败"), QStringLiteral("读曲线数据错误")}));
  EXPECT_EQ(Probe().Port(), nullptr);
  EXPECT_LE(rel::TerminalDescriptors(), terminals);
  EXPECT_EQ(Probe().GroupBytes(), 0);
  EXPECT_FALSE(IconButton(kBtnSaveFile)->isEnabled());

  // Still responsive: events are handled and the next operation says the port is gone.
  QCoreApplication::processEvents();
  prompts.Clear();
  panel->OnAcquire();
  EXPECT_EQ(prompts.Texts(), QStringList{QStringLiteral("打开串口失败!")});
  EXPECT_EQ(panel->LastOpenError(), kx::LinkError::NotFound);

  ASSERT_TRUE(host->Replug());
  prompts.Clear();
  panel->OnReadGroup();
  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  EXPECT_EQ(Probe().GroupPoints(), 250);
  EXPECT_EQ(Probe().ViewerGroup().PointCount(), 250);
  EXPECT_TRUE(IconButton(kBtnSaveFile)->isEnabled());
  EXPECT_EQ(rel::TerminalDescriptors(), terminals);
}

TEST_F(HangUp, ContinuousRunCountsFailuresWithoutMessagesAndRestartsAfterReplug) {
  panel->SetWaitScale(0.2);
  const size_t terminals = rel::TerminalDescriptors();
  panel->OnContinuous();
  ASSERT_TRUE(panel->IsAcquiring());
  for (int k = 0; k < 5; ++k) Tick();
  ASSERT_EQ(Probe().SuccessCount(), 5);

  host->HangUp();
  for (int k = 0; k < 20; ++k) {
    Tick();
    QCoreApplication::processEvents();
  }
  EXPECT_EQ(Probe().SuccessCount(), 5);
  EXPECT_EQ(Probe().FailCount(), 20);
  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  EXPECT_EQ(Edit(kEditFailCount)->text(), QStringLiteral("20"));
  EXPECT_TRUE(panel->IsAcquiring());

  // The operator stops the run: the dead port is closed.
  panel->OnContinuous();
  EXPECT_FALSE(panel->IsAcquiring());
  EXPECT_EQ(Probe().Port(), nullptr);
  EXPECT_LE(rel::TerminalDescriptors(), terminals);

  ASSERT_TRUE(host->Replug());
  panel->OnContinuous();
  ASSERT_TRUE(panel->IsAcquiring());
  for (int k = 0; k < 5; ++k) Tick();
  panel->OnContinuous();
  EXPECT_EQ(Probe().SuccessCount(), 5);
  EXPECT_EQ(Probe().FailCount(), 0);
  EXPECT_TRUE(prompts.Texts().isEmpty());
  EXPECT_EQ(rel::TerminalDescriptors(), terminals);
}

}  // namespace
