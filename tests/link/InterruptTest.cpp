#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "link/CurveTransfer.h"
#include "link/Frame.h"
#include "link/SerialPort.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"

namespace kx {
namespace {

// A wait that would last 30 s against a silent unit ends as soon as another thread
// interrupts it, and the port opens normally afterwards.
TEST(SerialPortInterrupt, EndsALongWaitAndLeavesThePortReusable) {
  VirtualDevice device;
  SimHost host{device};
  ASSERT_TRUE(host.Start());
  device.SetFault(Fault::Silence);
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 9600), LinkError::None);
  const auto request = RequestFrame(0, 0x21, std::vector<uint8_t>{0x13, 1});
  ASSERT_EQ(port.Write(request.data(), request.size()), request.size());

  std::thread canceller([&] {
    // Interrupting before the wait has begun must work too: the flag is kept.
    port.Interrupt();
  });
  const size_t queued = port.WaitForBytes(11, 30000);
  canceller.join();
  EXPECT_EQ(queued, 0u);
  EXPECT_EQ(port.LastError(), LinkError::Cancelled);
  uint8_t byte = 0;
  EXPECT_EQ(port.Read(&byte, 1, 30000), 0u);
  EXPECT_EQ(port.LastError(), LinkError::Cancelled);
  EXPECT_EQ(port.Write(request.data(), request.size()), 0u);

  // The unit must have taken the first request while silent: one it took only
  // after the faults are cleared would be answered into the reopened port.
  for (int i = 0; i < 30000 && device.RequestCount() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_EQ(device.RequestCount(), 1u);
  device.ClearFaults();
  ASSERT_EQ(port.Open(host.Path(), 9600), LinkError::None);
  const auto version = RequestFrame(0, 0x03);
  ASSERT_EQ(port.Write(version.data(), version.size()), version.size());
  EXPECT_EQ(port.WaitForBytes(11, 5000), 11u);
}

// Once a reply is under way the wait sleeps through its line time; an interruption
// still ends that sleep at once, not when the rest of the reply is due.
TEST(SerialPortInterrupt, EndsASleepThroughAPacedReply) {
  VirtualDevice device;
  device.SetGroups(VirtualDevice::DefaultGroups(1700000000, 1));
  device.SetBaud(1200);
  device.SetPacing(true);  // a 909-byte packet: 7.6 s on the line
  SimHost host{device};
  ASSERT_TRUE(host.Start());
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 1200), LinkError::None);
  const auto request = GroupImageFrame(0, 1);
  ASSERT_EQ(port.Write(request.data(), request.size()), request.size());

  std::thread canceller([&] {
    for (int i = 0; i < 30000 && device.RequestCount() == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    port.Interrupt();
  });
  port.WaitForBytes(909, 30000);
  const size_t arrived = port.Queued();  // taken in or still in the driver
  canceller.join();
  EXPECT_EQ(port.LastError(), LinkError::Cancelled);
  // The wait ended about 35 bytes in; a sleep that only the reply's due time could
  // end would have returned with nearly all of it there.
  EXPECT_LT(arrived, 450u);
}

}  // namespace
}  // namespace kx
