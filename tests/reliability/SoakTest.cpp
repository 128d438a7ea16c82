// Continuous acquisition at period 0 for thousands of readings with about 1 %
// faults: every reading is counted once, as good or failed, and neither
// descriptors nor memory grow.

#include <QCoreApplication>

#include "PanelFixture.h"
#include "Probes.h"
#include "link/Exchange.h"

namespace {

using namespace kx::panel::ids;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;  // its quarantine holds freed memory; its leak check runs instead
#else
constexpr bool kAddressSanitizer = false;
#endif

class Soak : public PanelFixture {
 protected:
  void TearDown() override {
    kx::SetFrameTracer(nullptr);
    PanelFixture::TearDown();
  }
  // Runs the panel's own timer until `readings` ticks have been counted.
  void RunReadings(int readings) {
    Edit(kEditPeriod)->setText("0");
    panel->OnContinuous();
    ASSERT_TRUE(panel->IsAcquiring());
    ASSERT_EQ(panel->AcquisitionTimer().interval(), 0);
    while (Probe().SuccessCount() + Probe().FailCount() < readings) QCoreApplication::processEvents();
    panel->OnContinuous();
  }
  size_t AcquisitionRequests() const {
    size_t n = 0;
    for (const auto& r : device->Requests()) n += r.size() > 4 && r[4] == 0x00;
    return n;
  }
};

TEST_F(Soak, ThousandsOfReadingsWithOnePercentFaults) {
  constexpr int kReadings = 3000;
  panel->SetWaitScale(0.5);
  RunReadings(200);  // warm up: first allocations of the table, the fonts and the port
  ASSERT_EQ(Probe().FailCount(), 0);
  device->ClearRequests();
  const size_t descriptors = rel::OpenDescriptors();
  const long resident = rel::ResidentPages();

  // One fault in a hundred readings, rotating through the kinds that spoil a reply.
  // Each is set for one reply while no other is pending, and none near the end,
  // so every injected fault is exactly one failed reading.
  const kx::Fault kinds[] = {kx::Fault::Checksum, kx::Fault::Short, kx::Fault::Silence};
  auto sent = std::make_shared<int>(0);
  auto injected = std::make_shared<int>(0);
  kx::SetFrameTracer([&, sent, injected](const kx::FrameEvent& frame) {
    if (!frame.sent || frame.bytes.size() < 5 || frame.bytes[4] != 0x00) return;
    if (++*sent % 100 == 50 && *sent < kReadings - 10) {
      device->SetFault(kinds[*injected % 3], 1);
      ++*injected;
    }
  });
  RunReadings(kReadings);
  kx::SetFrameTracer(nullptr);

  EXPECT_EQ(*injected, kReadings / 100);
  EXPECT_EQ(Probe().SuccessCount() + Probe().FailCount(), kReadings);
  EXPECT_EQ(AcquisitionRequests(), static_cast<size_t>(kReadings));
  EXPECT_EQ(Probe().FailCount(), *injected);
  EXPECT_TRUE(prompts.Texts().isEmpty());
  EXPECT_EQ(Probe().Port(), nullptr);
  EXPECT_EQ(rel::OpenDescriptors(), descriptors);
  if (!kAddressSanitizer) {
    // 2,000 pages (8 MB) is far above the noise and far below a leak per reading.
    EXPECT_LT(rel::ResidentPages() - resident, 2000);
  }
}

}  // namespace
