#include "link/LiveValues.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "link/Frame.h"
#include "link/MemoryPort.h"
#include "sim/VirtualDevice.h"
#include "texts/ChineseTexts.h"

namespace {

using kx::LiveReading;

// A well-formed acquisition reply whose 100 data bytes hold the given raw counts
// (keyed by reply offset); every other count is zero.
std::vector<uint8_t> Reply(const std::map<size_t, uint16_t>& raws) {
  std::vector<uint8_t> data(100, 0);
  for (const auto& [offset, raw] : raws) {
    data[offset - 7] = static_cast<uint8_t>(raw >> 8);
    data[offset - 6] = static_cast<uint8_t>(raw & 0xFF);
  }
  return kx::RequestFrame(0x33, 0x00, data);
}

// The text of value index (cells 1..40 are 0..39, then total, current,
// temperatures and analogue inputs).
std::string Text(const std::optional<LiveReading>& reading, size_t index) {
  return reading ? reading->Text(index) : "<no reading>";
}

TEST(LiveValues, ScalesEveryQuantityIntoItsCell) {
  const auto reply = Reply({{7, 0x4000},    // cell 1
                            {67, 0x8000},   // cell 31
                            {69, 0xFFFF},   // cell 32
                            {85, 0x0001},   // cell 40
                            {87, 0x1000},   // total
                            {89, 0x4000},   // current
                            {91, 0x0000},   // temperature 1
                            {93, 0x8000},   // temperature 2
                            {95, 0x4000},   // temperature 3
                            {97, 0x8000},   // analogue 1
                            {99, 0x2000}}); // analogue 2
  const auto values = kx::ScaleLiveValues(reply, 17, 1000);
  ASSERT_TRUE(values);

  EXPECT_EQ(Text(values, 0), "8.500");
  EXPECT_EQ(Text(values, 30), "17.000");
  EXPECT_EQ(Text(values, 31), "33.999");
  EXPECT_EQ(Text(values, 39), "0.001");
  EXPECT_EQ(Text(values, 1), "0.000");
  EXPECT_EQ(Text(values, 40), "75.00");
  EXPECT_EQ(Text(values, 41), "0.00");
  EXPECT_EQ(Text(values, 42), "-25.0");
  EXPECT_EQ(Text(values, 43), "100.0");
  EXPECT_EQ(Text(values, 44), "37.5");
  EXPECT_EQ(Text(values, 45), "5.000");
  EXPECT_EQ(Text(values, 46), "1.250");
}

// Raw counts whose scaled value lies exactly halfway between two shown texts:
// printf takes the even one (std::round would not), and the shown value is the
// number of that text, so that it gives the same text back.
TEST(LiveValues, ExactTiesRoundAsShownAndTheValueGivesItsTextBack) {
  const auto r = kx::ScaleLiveValues(Reply({{97, 2048},     // analogue 1: 0.3125 exactly
                                            {99, 6144},     // analogue 2: 0.9375
                                            {89, 1536},     // current: -453.125
                                            {91, 8192}}),   // temperature 1: 6.25
                                     17, 1000);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Text(kx::kLiveAnalogs), "0.312");
  EXPECT_EQ(r->Analogs()[0], 0.312);
  EXPECT_EQ(r->Text(kx::kLiveAnalogs + 1), "0.938");
  EXPECT_EQ(r->Analogs()[1], 0.938);
  EXPECT_EQ(r->Text(kx::kLiveCurrent), "-453.12");
  EXPECT_EQ(r->Current(), -453.12);
  EXPECT_EQ(r->Text(kx::kLiveTemps), "6.2");
  EXPECT_EQ(r->raw[kx::kLiveAnalogs], 2048);
  // Every count of every field: the text made from the shown value is printf's text of the scaled value.
  for (uint32_t raw = 0; raw <= 0xFFFF; raw += 7) {
    std::map<size_t, uint16_t> raws;
    for (const auto& f : kx::LiveFieldTable()) raws[f.offset] = static_cast<uint16_t>(raw);
    const auto all = kx::ScaleLiveValues(Reply(raws), 17, 1000);
    ASSERT_TRUE(all);
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", raw * 125.0 / 32768 - 25);
    ASSERT_EQ(all->Text(kx::kLiveTemps), text) << raw;
    std::snprintf(text, sizeof text, "%.3f", raw * 5.0 / 32768);
    ASSERT_EQ(all->Text(kx::kLiveAnalogs), text) << raw;
    std::snprintf(text, sizeof text, "%.2f", raw * 1000.0 / 32768 - 500);
    ASSERT_EQ(all->Text(kx::kLiveCurrent), text) << raw;
  }
}

TEST(LiveValues, TableReadsEachMeasurementOnceWithItsLabel) {
  const auto table = kx::LiveFieldTable();
  ASSERT_EQ(table.size(), kx::kLiveValueCount);
  std::map<size_t, int> offsets;
  for (const auto& f : table) {
    ++offsets[f.offset];
    EXPECT_GE(f.offset, 7u);
    EXPECT_LE(f.offset + 1, 100u);  // never into the unused bytes or the checksum
  }
  EXPECT_EQ(offsets.size(), table.size());
  EXPECT_EQ(kx::LiveFieldLabel(39), "电池40");
  EXPECT_EQ(kx::LiveFieldLabel(kx::kLiveTemps + 2), "温度3");
  EXPECT_EQ(kx::LiveFieldLabel(46), "模拟量2");
}

TEST(LiveValues, CurrentSpanFollowsTheRangeIncludingNegativeEntries) {
  const auto reply = Reply({{7, 0x8000}, {89, 0x0000}, {91, 0x8000}});
  auto current = [&](uint32_t I, uint16_t raw) {
    return Text(kx::ScaleLiveValues(Reply({{89, raw}}), 17, I), 41);
  };
  EXPECT_EQ(current(1000, 0x0000), "-500.00");
  EXPECT_EQ(current(1000, 0x8000), "500.00");
  EXPECT_EQ(current(200, 0xFFFF), "299.99");
  // A typed "-1000" reaches the scaling as 2^32 - 1000.
  EXPECT_EQ(current(static_cast<uint32_t>(-1000), 0x0000), "-2147483148.00");
  // V = 0 (text that was not a whole number) zeroes the cells only.
  const auto zeroV = kx::ScaleLiveValues(reply, 0, 1000);
  EXPECT_EQ(Text(zeroV, 0), "0.000");
  EXPECT_EQ(Text(zeroV, 42), "100.0");
  // V is held as a float: 2^32 - 1 becomes 2^32 (raw 0x8000 is one full scale).
  EXPECT_EQ(Text(kx::ScaleLiveValues(reply, static_cast<uint32_t>(-1), 1000), 0), "4294967296.000");
}

TEST(LiveValues, TooShortReplyDecodesToNothing) {
  auto reply = Reply({});
  reply.resize(100);  // the second analogue input would end at offset 100
  EXPECT_FALSE(kx::ScaleLiveValues(reply, 17, 1000));
  reply.resize(101);
  EXPECT_TRUE(kx::ScaleLiveValues(reply, 17, 1000));
}

TEST(AcquireLive, ReadsEverythingQueuedAndVerifiesTheFirst109) {
  kx::MemoryPort port;
  auto reply = Reply({{7, 0x4000}});
  reply.resize(150, 0xEE);  // 41 trailing bytes the device should not have sent
  port.QueueReply(reply);
  const auto result = kx::AcquireLive(port, 0);
  ASSERT_EQ(result.outcome, kx::ExchangeOutcome::Ok);
  EXPECT_EQ(result.reply.size(), 150u);
  EXPECT_EQ(port.Pending(), 0u);
  EXPECT_EQ(Text(kx::ScaleLiveValues(result.reply, 17, 1000), 0), "8.500");
  EXPECT_EQ(port.Written(), (std::vector<uint8_t>{0x14, 0x2E, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xD1}));
  EXPECT_EQ(port.PurgeCount(), 1u);
}

TEST(AcquireLive, RejectsCountsOutsideTheAcceptedRangeAndBadChecksums) {
  auto run = [](std::vector<uint8_t> reply) {
    kx::MemoryPort port;
    port.QueueReply(std::move(reply));
    return kx::AcquireLive(port, 7).outcome;
  };
  auto good = Reply({{87, 0x1234}});
  auto at200 = good;
  at200.resize(200, 0);
  EXPECT_EQ(run(at200), kx::ExchangeOutcome::Ok);
  auto at201 = good;
  at201.resize(201, 0);
  EXPECT_EQ(run(at201), kx::ExchangeOutcome::WrongCount);
  auto at108 = good;
  at108.pop_back();
  EXPECT_EQ(run(at108), kx::ExchangeOutcome::WrongCount);
  auto corrupt = good;
  corrupt[60] ^= 0x01;
  EXPECT_EQ(run(corrupt), kx::ExchangeOutcome::BadChecksum);
  // A trailing byte that breaks nothing: only the first 109 bytes are verified.
  auto trailing = good;
  trailing.push_back(0x00);
  EXPECT_EQ(run(trailing), kx::ExchangeOutcome::Ok);
}

TEST(AcquireLive, SimulatedDeviceLooksLikeARealPack) {
  kx::VirtualDevice device;
  device.SetAddress(9);
  kx::MemoryPort port;
  port.SetResponder([&](std::span<const uint8_t> w) { return device.Respond(w); });
  const auto result = kx::AcquireLive(port, 9);
  ASSERT_EQ(result.outcome, kx::ExchangeOutcome::Ok);
  const auto values = kx::ScaleLiveValues(result.reply, 17, 1000);
  ASSERT_TRUE(values);
  double sum = 0;
  for (size_t k = 0; k < kx::kLiveCells; ++k) {
    EXPECT_NEAR(values->Cells()[k], 3.3, 0.1) << "cell " << k + 1;
    sum += values->Cells()[k];
  }
  EXPECT_NEAR(values->Total(), sum, 1.0);
  EXPECT_GT(values->Current(), -500.0);  // within its span
  EXPECT_LT(values->Current(), 500.0);
  for (double t : values->Temps()) EXPECT_NEAR(t, 25.0, 10.0);
  for (double a : values->Analogs()) {
    EXPECT_GE(a, 0.0);
    EXPECT_LE(a, 5.0);
  }
  // Another address is not answered.
  EXPECT_EQ(kx::AcquireLive(port, 8).outcome, kx::ExchangeOutcome::WrongCount);
}

}  // namespace
