#include <gtest/gtest.h>

#include "link/MemoryPort.h"

namespace kx {
namespace {

TEST(MemoryPortTest, QueuedRepliesAreReleasedOnePerWrite) {
  MemoryPort port;
  port.QueueReply({1, 2});
  port.QueueReply({3});
  EXPECT_EQ(port.WaitForBytes(1, 1000), 0u);
  const uint8_t request[] = {0xAA};
  port.Write(request, 1);
  EXPECT_EQ(port.Queued(), 2u);
  port.Write(request, 1);
  EXPECT_EQ(port.Queued(), 3u);
  uint8_t buf[8];
  EXPECT_EQ(port.Read(buf, 8), 3u);
  EXPECT_EQ(port.LastError(), LinkError::Timeout);
  EXPECT_EQ(buf[2], 3);
  EXPECT_EQ(port.Written(), (std::vector<uint8_t>{0xAA, 0xAA}));
}

TEST(MemoryPortTest, ResponderAnswersWhenNothingIsQueued) {
  MemoryPort port;
  port.SetResponder([](std::span<const uint8_t> w) { return std::vector<uint8_t>(w.begin(), w.end()); });
  const uint8_t request[] = {7, 8, 9};
  port.Write(request, 3);
  uint8_t buf[3];
  EXPECT_EQ(port.Read(buf, 3), 3u);
  EXPECT_EQ(port.LastError(), LinkError::None);
  EXPECT_EQ(buf[0], 7);
}

TEST(MemoryPortTest, StreamCanSurvivePurge) {
  MemoryPort port;
  const uint8_t stream[] = {1, 2, 3, 4};
  port.Feed(stream);
  port.SetPurgeDiscards(false);
  port.Purge();
  EXPECT_EQ(port.Queued(), 4u);
  port.SetPurgeDiscards(true);
  port.Purge();
  EXPECT_EQ(port.Queued(), 0u);
  EXPECT_EQ(port.PurgeCount(), 2u);
}

TEST(MemoryPortTest, DryInputCanMeanHangUp) {
  MemoryPort port;
  port.SetHangUpWhenDry(true);
  EXPECT_EQ(port.WaitForBytes(5, 100), 0u);
  EXPECT_EQ(port.LastError(), LinkError::HungUp);
}

TEST(MemoryPortTest, WaitComparesTheCountAsSixteenBits) {
  MemoryPort port;
  const uint8_t one[] = {1};
  port.Feed(one);
  // 65537 is 1 as a 16-bit value: one queued byte satisfies it.
  EXPECT_EQ(port.WaitForBytes(65537, 10), 1u);
  EXPECT_EQ(port.LastError(), LinkError::None);
}

}  // namespace
}  // namespace kx
