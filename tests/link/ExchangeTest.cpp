#include <gtest/gtest.h>

#include <vector>

#include "link/Exchange.h"
#include "link/Frame.h"
#include "link/MemoryPort.h"

namespace kx {
namespace {

std::vector<uint8_t> Reply(uint8_t command, std::vector<uint8_t> data) {
  return RequestFrame(0, command, data);  // a reply has the request's layout
}

class ExchangeTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetFrameTracer(nullptr);
    SetWaitScale(1.0);
  }
  MemoryPort port;
};

TEST_F(ExchangeTest, WaitExchangeTakesAReplyOfTheExactLength) {
  port.QueueReply(Reply(0x03, {0x00, 0x82}));
  const ExchangeResult r = ExchangeWait(port, RequestFrame(1, 0x03), 11, 500);
  EXPECT_EQ(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(r.reply, Reply(0x03, {0x00, 0x82}));
  EXPECT_EQ(port.Writes().size(), 1u);
  EXPECT_EQ(port.Writes()[0], RequestFrame(1, 0x03));
  EXPECT_EQ(port.PurgeCount(), 1u);
}

TEST_F(ExchangeTest, WaitExchangeRefusesAShortOrLongCount) {
  std::vector<uint8_t> reply = Reply(0x03, {0x00, 0x82});
  reply.pop_back();
  port.QueueReply(reply);
  ExchangeResult r = ExchangeWait(port, RequestFrame(1, 0x03), 11, 500);
  EXPECT_EQ(r.outcome, ExchangeOutcome::WrongCount);
  EXPECT_EQ(r.cause, LinkError::Timeout);
  EXPECT_TRUE(r.reply.empty());  // nothing is read after a wrong count

  reply = Reply(0x0A, {0x20, 0x14, 0x05, 0x06, 0x09, 0x03, 0x07});
  reply.push_back(0x00);  // 17 bytes where 16 are expected
  port.QueueReply(reply);
  r = ExchangeWait(port, RequestFrame(1, 0x0A), 16, 1000);
  EXPECT_EQ(r.outcome, ExchangeOutcome::WrongCount);
}

TEST_F(ExchangeTest, WaitExchangeChecksTheChecksum) {
  std::vector<uint8_t> reply = Reply(0x01, {0x0C});
  reply.back() ^= 0xFF;
  port.QueueReply(reply);
  ExchangeResult r = ExchangeWait(port, RequestFrame(1, 0x01), 10, 1000);
  EXPECT_EQ(r.outcome, ExchangeOutcome::BadChecksum);
  EXPECT_EQ(r.reply, reply);

  port.QueueReply(reply);
  r = ExchangeWait(port, RequestFrame(1, 0x01), 10, 1000, {.checkChecksum = false});
  EXPECT_EQ(r.outcome, ExchangeOutcome::Ok);
}

TEST_F(ExchangeTest, CalibrationWritesWithoutPurge) {
  port.QueueReply(Reply(0x21, {0x30, 0x02}));
  const ExchangeResult r = ExchangeWait(port, RequestFrame(1, 0x21, std::vector<uint8_t>{0x30, 0x02}), 11,
                                        CalibrationWaitMs(0x30), {.purge = false});
  EXPECT_EQ(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(port.PurgeCount(), 0u);
}

TEST_F(ExchangeTest, AcquisitionAcceptsUpToTwoHundredBytes) {
  const std::vector<uint8_t> reply = Reply(0x00, std::vector<uint8_t>(100, 0x40));
  const ExchangeOptions acquisition{.exactCount = false, .maxCount = 200};

  std::vector<uint8_t> longer = reply;
  longer.resize(150, 0xEE);  // 41 bytes of trailing noise: read and ignored
  port.QueueReply(longer);
  ExchangeResult r = ExchangeWait(port, RequestFrame(0, 0x00), 109, 1000, acquisition);
  EXPECT_EQ(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(r.reply.size(), 150u);
  EXPECT_EQ(port.Pending(), 0u);

  longer.resize(201, 0xEE);
  port.QueueReply(longer);
  r = ExchangeWait(port, RequestFrame(0, 0x00), 109, 1000, acquisition);
  EXPECT_EQ(r.outcome, ExchangeOutcome::WrongCount);

  port.QueueReply(std::vector<uint8_t>(reply.begin(), reply.begin() + 108));
  r = ExchangeWait(port, RequestFrame(0, 0x00), 109, 1000, acquisition);
  EXPECT_EQ(r.outcome, ExchangeOutcome::WrongCount);
}

TEST_F(ExchangeTest, WriteFailureIsReported) {
  port.SetWriteLimit(4);
  const ExchangeResult r = ExchangeWait(port, RequestFrame(1, 0x03), 11, 500);
  EXPECT_EQ(r.outcome, ExchangeOutcome::WriteFailed);
  EXPECT_EQ(r.cause, LinkError::Timeout);
}

TEST_F(ExchangeTest, PauseReadChecksOnlyTheCount) {
  std::vector<uint8_t> reply = Reply(0x07, {3, 1});
  reply.back() ^= 0xFF;  // a wrong checksum does not matter here
  port.QueueReply(reply);
  ExchangeResult r = ExchangePauseRead(port, RequestFrame(1, 0x07), 11);
  EXPECT_EQ(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(r.reply, reply);
  EXPECT_EQ(port.PurgeCount(), 0u);

  port.QueueReply(std::vector<uint8_t>(reply.begin(), reply.begin() + 10));
  r = ExchangePauseRead(port, RequestFrame(1, 0x07), 11);
  EXPECT_EQ(r.outcome, ExchangeOutcome::ShortRead);
  EXPECT_EQ(r.reply.size(), 10u);
}

TEST_F(ExchangeTest, ReadAtOncePurgesFirst) {
  const std::vector<uint8_t> stale = {1, 2, 3};
  port.Feed(stale);
  port.QueueReply(Reply(0x0B, {0xFF}));
  const ExchangeResult r = ExchangeReadAtOnce(port, RequestFrame(1, 0x0B), 10);
  EXPECT_EQ(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(r.reply[7], 0xFF);
  EXPECT_EQ(port.PurgeCount(), 1u);
}

TEST_F(ExchangeTest, TracerSeesRequestsAndReplies) {
  std::vector<std::pair<bool, std::vector<uint8_t>>> seen;
  SetFrameTracer([&](bool sent, std::span<const uint8_t> bytes) {
    seen.emplace_back(sent, std::vector<uint8_t>(bytes.begin(), bytes.end()));
  });
  port.QueueReply(Reply(0x01, {0x06}));
  ExchangeWait(port, RequestFrame(1, 0x01), 10, 1000);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_TRUE(seen[0].first);
  EXPECT_EQ(seen[0].second, RequestFrame(1, 0x01));
  EXPECT_FALSE(seen[1].first);
  EXPECT_EQ(seen[1].second, Reply(0x01, {0x06}));

  SetFrameTracer(nullptr);
  port.QueueReply(Reply(0x01, {0x06}));
  ExchangeWait(port, RequestFrame(1, 0x01), 10, 1000);
  EXPECT_EQ(seen.size(), 2u);
}

TEST_F(ExchangeTest, WaitScaleShortensEveryWait) {
  EXPECT_EQ(ScaledWait(1000), 1000);
  SetWaitScale(0.01);
  EXPECT_EQ(ScaledWait(30000), 300);
  EXPECT_EQ(ScaledWait(50), 1);  // never "do not wait at all"
  EXPECT_EQ(ScaledWait(0), 0);
}

}  // namespace
}  // namespace kx
