#include "link/CurveTransfer.h"

#include <gtest/gtest.h>

#include <numeric>

#include "link/MemoryPort.h"
#include "sim/VirtualDevice.h"
#include "texts/ChineseTexts.h"

namespace {

using Bytes = std::vector<uint8_t>;

// One download packet as the device frames it: header with L, payload, checksum.
Bytes Packet(const Bytes& payload) { return kx::RequestFrame(0, 0x08, payload); }

Bytes Counting(size_t n, uint8_t from = 0) {
  Bytes b(n);
  std::iota(b.begin(), b.end(), from);
  return b;
}

// A port whose device holds exactly this image as group 1 (any bytes at all).
void ServeImage(kx::MemoryPort& port, kx::VirtualDevice& device, Bytes image) {
  device.SetGroups({kx::StoredGroup{std::move(image), {}}});
  port.SetResponder([&device](std::span<const uint8_t> written) { return device.Respond(written); });
}

TEST(CurveCount, RequestAndBothCounts) {
  kx::MemoryPort port;
  auto reply = kx::RequestFrame(0, 0x07, Bytes{3, 1});
  reply.back() ^= 0x33;  // the checksum is not examined
  port.QueueReply(reply);
  const auto result = kx::QueryCurveCount(port, 0);
  EXPECT_EQ(port.Written(), (Bytes{0x14, 0x2E, 0x00, 0x00, 0x07, 0x00, 0x00, 0xFF, 0xCA}));
  EXPECT_EQ(port.PurgeCount(), 0u);
  ASSERT_EQ(result.outcome, kx::CurveCountOutcome::Ok);
  EXPECT_EQ(result.recorded, 3);
  EXPECT_EQ(result.recording, 1);
  EXPECT_EQ(result.Readable(), 2);
  EXPECT_EQ(kx::CurveCountText(result.recorded, result.recording), "共3条曲线,1条在画");

  // Counts are unsigned bytes; more recording than recorded goes negative.
  port.QueueReply(kx::RequestFrame(0, 0x07, Bytes{0xC8, 0xFF}));
  const auto big = kx::QueryCurveCount(port, 0);
  EXPECT_EQ(big.recorded, 200);
  EXPECT_EQ(big.Readable(), -55);

  auto shortReply = kx::RequestFrame(0, 0x07, Bytes{3, 1});
  shortReply.pop_back();
  port.QueueReply(shortReply);
  EXPECT_EQ(kx::QueryCurveCount(port, 0).outcome, kx::CurveCountOutcome::ShortReply);
}

TEST(GroupImage, FullGroupArrivesIn25IdenticalRequests) {
  kx::MemoryPort port;
  kx::VirtualDevice device;
  const kx::StoredGroup group = kx::VirtualDevice::MakeGroup(1400000000, 250, 7);
  ServeImage(port, device, group.image);

  Bytes image;
  ASSERT_EQ(kx::ReadGroupImage(port, 0, 1, image), kx::GroupImageOutcome::Ok);
  EXPECT_EQ(image.size(), 22251u);
  EXPECT_EQ(image, group.image);
  ASSERT_EQ(port.Writes().size(), 25u);  // 24 × 900, then 651
  for (const auto& w : port.Writes()) EXPECT_EQ(w, kx::GroupImageFrame(0, 1));
  EXPECT_EQ(port.PurgeCount(), 0u);
}

TEST(GroupImage, RequestBytesCarryAddressAndGroup) {
  EXPECT_EQ(kx::GroupImageFrame(1, 2), (Bytes{0x14, 0x2E, 0x00, 0x01, 0x08, 0x00, 0x02, 0x02, 0x00, 0xFF, 0xC4}));
  EXPECT_EQ(kx::GroupDateFrame(1, 2), (Bytes{0x14, 0x2E, 0x00, 0x01, 0x09, 0x00, 0x01, 0x02, 0xFF, 0xC4}));
  EXPECT_EQ(kx::ClearCurvesFrame(0), (Bytes{0x14, 0x2E, 0x00, 0x00, 0x0B, 0x00, 0x00, 0xFF, 0xC6}));
}

TEST(GroupImage, MultipleOf900EndsOnlyWithAnEmptyPacket) {
  kx::MemoryPort port;
  port.QueueReply(Packet(Counting(900, 0)));
  port.QueueReply(Packet(Counting(900, 7)));
  port.QueueReply(Packet({}));
  port.QueueReply(Packet(Counting(10)));  // must never be asked for
  Bytes image;
  ASSERT_EQ(kx::ReadGroupImage(port, 0, 1, image), kx::GroupImageOutcome::Ok);
  EXPECT_EQ(image.size(), 1800u);
  EXPECT_EQ(image[900], 7);
  EXPECT_EQ(port.Writes().size(), 3u);
}

TEST(GroupImage, ExactlyFiftyThousandBytesFitOneMoreDoesNot) {
  {
    kx::MemoryPort port;
    for (int i = 0; i < 55; ++i) port.QueueReply(Packet(Counting(900, static_cast<uint8_t>(i))));
    port.QueueReply(Packet(Counting(500)));
    Bytes image;
    ASSERT_EQ(kx::ReadGroupImage(port, 0, 1, image), kx::GroupImageOutcome::Ok);
    EXPECT_EQ(image.size(), 50000u);
  }
  {
    // A device that never stops sending full packets: stopped at the 56th.
    kx::MemoryPort port;
    port.SetResponder([](std::span<const uint8_t>) { return Packet(Counting(900)); });
    Bytes image{1, 2, 3};
    EXPECT_EQ(kx::ReadGroupImage(port, 0, 1, image), kx::GroupImageOutcome::Overflow);
    EXPECT_EQ(port.Writes().size(), 56u);
    EXPECT_EQ(image, (Bytes{1, 2, 3}));  // the caller's image is untouched
  }
  {
    kx::MemoryPort port;
    for (int i = 0; i < 55; ++i) port.QueueReply(Packet(Counting(900)));
    port.QueueReply(Packet(Counting(501)));
    Bytes image;
    EXPECT_EQ(kx::ReadGroupImage(port, 0, 1, image), kx::GroupImageOutcome::Overflow);
    EXPECT_TRUE(image.empty());
  }
}

TEST(GroupImage, BrokenTransfersFailAndKeepTheImage) {
  const Bytes previous{9, 9, 9};
  auto run = [&](std::vector<Bytes> replies, size_t writeLimit = SIZE_MAX) {
    kx::MemoryPort port;
    port.SetWriteLimit(writeLimit);
    for (auto& r : replies) port.QueueReply(std::move(r));
    Bytes image = previous;
    const auto outcome = kx::ReadGroupImage(port, 0, 1, image);
    EXPECT_EQ(image, previous);
    return std::make_pair(outcome, port.Pending());
  };
  // A header cut short in the second packet.
  Bytes header = Packet(Counting(3));
  header.resize(5);
  EXPECT_EQ(run({Packet(Counting(900)), header}).first, kx::GroupImageOutcome::ShortHeader);
  EXPECT_EQ(run({}).first, kx::GroupImageOutcome::ShortHeader);
  // The checksum's last byte missing is a short payload too.
  Bytes body = Packet(Counting(400));
  body.pop_back();
  EXPECT_EQ(run({body}).first, kx::GroupImageOutcome::ShortPayload);
  // Announcing 1,000 bytes: abandoned without reading them.
  const auto [outcome, left] = run({Packet(Counting(1000))});
  EXPECT_EQ(outcome, kx::GroupImageOutcome::Oversize);
  EXPECT_EQ(left, 1002u);
  // Announcing 901 is already too many, whatever follows.
  EXPECT_EQ(run({Packet(Counting(901))}).first, kx::GroupImageOutcome::Oversize);
  EXPECT_EQ(run({Packet(Counting(10))}, 5).first, kx::GroupImageOutcome::WriteFailed);
}

TEST(GroupDate, DecodesTheRecordingDate) {
  kx::MemoryPort port;
  port.QueueReply(kx::RequestFrame(0, 0x09, Bytes{0x20, 0x14, 0x03, 0x05, 0x10, 0x20, 0x30}));
  const auto result = kx::ReadGroupDate(port, 1, 2);
  EXPECT_EQ(port.Written(), kx::GroupDateFrame(1, 2));
  ASSERT_EQ(result.outcome, kx::GroupDateOutcome::Ok);
  EXPECT_EQ(kx::FormatGroupDate(result.date), "2014-03-05 10:20:30");
  // Fields past their range are normalised as a local time value is.
  EXPECT_EQ(kx::FormatGroupDate({2014, 2, 30, 0, 0, 0}), "2014-03-02 00:00:00");

  auto shortReply = kx::RequestFrame(0, 0x09, Bytes{0x20, 0x14, 0x03, 0x05, 0x10, 0x20, 0x30});
  shortReply.resize(15);
  port.QueueReply(shortReply);
  EXPECT_EQ(kx::ReadGroupDate(port, 1, 2).outcome, kx::GroupDateOutcome::ShortReply);
}

TEST(ClearCurves, OnlyAFullAcknowledgeOfFFSucceeds) {
  auto run = [](Bytes reply) {
    kx::MemoryPort port;
    port.Feed(Bytes{0xEE, 0xEE});  // stale input: the purge must drop it
    port.QueueReply(std::move(reply));
    const auto outcome = kx::ClearCurves(port, 5);
    EXPECT_EQ(port.PurgeCount(), 1u);
    EXPECT_EQ(port.Written(), kx::ClearCurvesFrame(5));
    return outcome;
  };
  EXPECT_EQ(run(kx::RequestFrame(0, 0x0B, Bytes{0xFF})), kx::ClearOutcome::Ok);
  EXPECT_EQ(run(kx::RequestFrame(0, 0x0B, Bytes{0x00})), kx::ClearOutcome::Refused);
  Bytes cut = kx::RequestFrame(0, 0x0B, Bytes{0xFF});
  cut.pop_back();
  EXPECT_EQ(run(cut), kx::ClearOutcome::ShortReply);
}

}  // namespace
