#include "PanelFixture.h"

#include <QCoreApplication>

#include "link/Exchange.h"

void PanelFixture::SetUp() {
  device = std::make_unique<kx::VirtualDevice>();
  host = std::make_unique<kx::SimHost>(*device);
  ASSERT_TRUE(host->Start());
  kx::PortNaming naming("/nonexistent/sys/class/tty", "/nonexistent/dev");
  naming.Map(1, host->Path());
  panel = std::make_unique<CTesterDlg>(naming);
}

void PanelFixture::TearDown() {
  panel.reset();
  host.reset();
  device.reset();
}

QString PanelFixture::Cell(int tableId, int row, int column) const {
  auto* item = Table(tableId)->item(row, column);
  return item ? item->text() : QString();
}

void PanelFixture::Tick() {
  panel->OnTimer();
  while (Probe().TickInFlight()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

std::vector<std::vector<uint8_t>> PanelFixture::Requests() const { return device->Requests(); }
