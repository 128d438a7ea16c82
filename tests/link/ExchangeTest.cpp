#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/Exchange.h"
#include "link/Frame.h"
#include "link/MemoryPort.h"

namespace kx {
namespace {

std::vector<uint8_t> Reply(Command command, std::vector<uint8_t> data) {
  return RequestFrame(0, static_cast<uint8_t>(command), data);  // a reply has the request's layout
}

// A MemoryPort that logs each call with its size and time-out, so that the way a
// reply is awaited can be checked step by step.
class LoggingPort final : public Port {
 public:
  void Purge() override {
    log.push_back("purge");
    memory.Purge();
  }
  size_t Write(const uint8_t* data, size_t n) override {
    log.push_back("write");
    return memory.Write(data, n);
  }
  size_t Read(uint8_t* data, size_t n, int extraMs) override {
    log.push_back("read " + std::to_string(n) + " +" + std::to_string(extraMs));
    return memory.Read(data, n, extraMs);
  }
  size_t WaitForBytes(size_t count, int timeoutMs) override {
    log.push_back("wait " + std::to_string(count) + " " + std::to_string(timeoutMs));
    return memory.WaitForBytes(count, timeoutMs);
  }
  size_t Queued() override { return memory.Queued(); }
  LinkError LastError() const override { return memory.LastError(); }

  MemoryPort memory;
  std::vector<std::string> log;
};

class ExchangeTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetFrameTracer(nullptr);
  }
  LoggingPort port;
};

using Log = std::vector<std::string>;

TEST_F(ExchangeTest, EachAwaitKindFollowsTheTable) {
  // Wait: purge, write, wait the table's time for exactly the reply length, read it.
  port.memory.QueueReply(Reply(Command::ReadVersion, {0x00, 0x82}));
  ExchangeResult r = Transact(port, 1, Command::ReadVersion, {});
  EXPECT_EQ(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(r.reply, Reply(Command::ReadVersion, {0x00, 0x82}));
  EXPECT_EQ(port.memory.Writes().back(), RequestFrame(1, 0x03));
  EXPECT_EQ(port.log, (Log{"purge", "write", "wait 11 500", "read 11 +0"}));

  // Pause then read: no purge, the pause folded into the read.
  port.log.clear();
  const uint8_t group[] = {2};
  port.memory.QueueReply(Reply(Command::ReadGroupDate, {0x20, 0x14, 0x05, 0x06, 0x09, 0x03, 0x07}));
  r = Transact(port, 1, Command::ReadGroupDate, group);
  EXPECT_EQ(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(port.memory.Writes().back(), RequestFrame(1, 0x09, group));
  EXPECT_EQ(port.log, (Log{"write", "read 16 +50"}));

  // Read at once: purge, write, read without a pause.
  port.log.clear();
  port.memory.QueueReply(Reply(Command::ClearCurves, {0xFF}));
  r = Transact(port, 1, Command::ClearCurves, {});
  EXPECT_EQ(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(port.log, (Log{"purge", "write", "read 10 +0"}));
}

TEST_F(ExchangeTest, CalibrationWaitsByChannelWithoutPurge) {
  const uint8_t cell[] = {0x13, 0x01};
  const uint8_t temp[] = {0x30, 0x02};
  port.memory.QueueReply(Reply(Command::Calibrate, {0x13, 0x01}));
  EXPECT_EQ(Transact(port, 1, Command::Calibrate, cell).outcome, ExchangeOutcome::Ok);
  port.memory.QueueReply(Reply(Command::Calibrate, {0x30, 0x02}));
  EXPECT_EQ(Transact(port, 1, Command::Calibrate, temp).outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(port.log, (Log{"write", "wait 11 30000", "read 11 +0", "write", "wait 11 5000", "read 11 +0"}));
}

TEST_F(ExchangeTest, WaitRefusesAWrongCountAndABadChecksum) {
  std::vector<uint8_t> reply = Reply(Command::ReadClock, {0x20, 0x14, 0x05, 0x06, 0x09, 0x03, 0x07});
  reply.pop_back();
  port.memory.QueueReply(reply);
  ExchangeResult r = Transact(port, 1, Command::ReadClock, {});
  EXPECT_EQ(r.outcome, ExchangeOutcome::WrongCount);
  EXPECT_EQ(r.cause, LinkError::Timeout);
  EXPECT_TRUE(r.reply.empty());  // nothing is read after a wrong count

  reply.push_back(0x00);
  reply.push_back(0x00);  // one byte more than the reply's length
  port.memory.QueueReply(reply);
  EXPECT_EQ(Transact(port, 1, Command::ReadClock, {}).outcome, ExchangeOutcome::WrongCount);

  reply = Reply(Command::ReadGear, {0x0C});
  reply.back() ^= 0xFF;
  port.memory.QueueReply(reply);
  r = Transact(port, 1, Command::ReadGear, {});
  EXPECT_EQ(r.outcome, ExchangeOutcome::BadChecksum);
  EXPECT_EQ(r.reply, reply);
}

TEST_F(ExchangeTest, PauseThenReadChecksOnlyTheLength) {
  std::vector<uint8_t> reply = Reply(Command::QueryCurveCount, {3, 1});
  reply.back() ^= 0xFF;  // a wrong checksum does not matter here
  port.memory.QueueReply(reply);
  ExchangeResult r = Transact(port, 1, Command::QueryCurveCount, {});
  EXPECT_EQ(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(r.reply, reply);

  port.memory.QueueReply(std::vector<uint8_t>(reply.begin(), reply.begin() + 10));
  r = Transact(port, 1, Command::QueryCurveCount, {});
  EXPECT_EQ(r.outcome, ExchangeOutcome::ShortRead);
  EXPECT_EQ(r.reply.size(), 10u);
}

TEST_F(ExchangeTest, OptionsWidenTheCountAndReplaceTheWait) {
  const std::vector<uint8_t> reply = Reply(Command::Acquire, std::vector<uint8_t>(100, 0x40));
  std::vector<uint8_t> longer = reply;
  longer.resize(150, 0xEE);  // trailing noise: read, and left out of the checksum
  port.memory.QueueReply(longer);
  ExchangeResult r = Transact(port, 0, Command::Acquire, {}, {.maxQueued = 200});
  EXPECT_EQ(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(r.reply.size(), 150u);
  EXPECT_EQ(port.memory.Pending(), 0u);
  longer.resize(201, 0xEE);
  port.memory.QueueReply(longer);
  EXPECT_EQ(Transact(port, 0, Command::Acquire, {}, {.maxQueued = 200}).outcome, ExchangeOutcome::WrongCount);

  port.log.clear();
  port.memory.QueueReply(Reply(Command::ReadVersion, {0x00, 0x82}));
  EXPECT_EQ(Transact(port, 3, Command::ReadVersion, {}, {.waitMs = 27}).outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(port.log, (Log{"purge", "write", "wait 11 27", "read 11 +0"}));
}

TEST_F(ExchangeTest, WriteFailureIsReported) {
  port.memory.SetWriteLimit(4);
  const ExchangeResult r = Transact(port, 1, Command::ReadVersion, {});
  EXPECT_EQ(r.outcome, ExchangeOutcome::WriteFailed);
  EXPECT_EQ(r.cause, LinkError::Timeout);
  EXPECT_EQ(port.log, (Log{"purge", "write"}));
}

TEST_F(ExchangeTest, TracerSeesRequestsAndReplies) {
  std::vector<std::pair<bool, std::vector<uint8_t>>> seen;
  SetFrameTracer([&](const FrameEvent& frame) {
    seen.emplace_back(frame.sent, std::vector<uint8_t>(frame.bytes.begin(), frame.bytes.end()));
  });
  port.memory.QueueReply(Reply(Command::ReadGear, {0x06}));
  Transact(port, 1, Command::ReadGear, {});
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_TRUE(seen[0].first);
  EXPECT_EQ(seen[0].second, RequestFrame(1, 0x01));
  EXPECT_FALSE(seen[1].first);
  EXPECT_EQ(seen[1].second, Reply(Command::ReadGear, {0x06}));

  SetFrameTracer(nullptr);
  port.memory.QueueReply(Reply(Command::ReadGear, {0x06}));
  Transact(port, 1, Command::ReadGear, {});
  EXPECT_EQ(seen.size(), 2u);
}

TEST_F(ExchangeTest, WaitScaleShortensEveryWait) {
  EXPECT_EQ(ScaledWait(port, 1000), 1000);
  port.SetWaitScale(0.01);
  EXPECT_EQ(ScaledWait(port, 30000), 300);
  EXPECT_EQ(ScaledWait(port, 1000), 200);  // room for a reply that does come
  EXPECT_EQ(ScaledWait(port, 50), 50);
  EXPECT_EQ(ScaledWait(port, 0), 0);
  EXPECT_EQ(ScaledWait(LoggingPort(), 30000), 30000);  // the scale is the port's own
  port.memory.QueueReply(Reply(Command::QueryCurveCount, {3, 1}));
  Transact(port, 1, Command::QueryCurveCount, {});
  EXPECT_EQ(port.log.back(), "read 11 +50");
  Transact(port, 1, Command::ReadVersion, {});
  EXPECT_EQ(port.log[port.log.size() - 1], "wait 11 200");
}

}  // namespace
}  // namespace kx
