#include <gtest/gtest.h>

#include <ctime>

#include "GroupImageBuilder.h"
#include "curves/CurveGroup.h"

namespace {

using kxtest::BuildImage;
using kxtest::PointSpec;

PointSpec At(int hour, int minute, int second, uint16_t raw = 0) {
  PointSpec p;
  p.hour = hour;
  p.minute = minute;
  p.second = second;
  p.raw.fill(raw);
  return p;
}

TEST(CurveGroup, StartsEmptyWithTenMinutesEndingAtConstruction) {
  const auto before = static_cast<kx::CurveTime>(std::time(nullptr));
  CCurveGroup group;
  const auto after = static_cast<kx::CurveTime>(std::time(nullptr));
  EXPECT_TRUE(group.m_curves.empty());
  EXPECT_GE(group.m_endTime, before);
  EXPECT_LE(group.m_endTime, after);
  EXPECT_EQ(group.m_endTime - group.m_startTime, 600);
  for (int flag : group.m_visible) EXPECT_EQ(flag, 1);
  EXPECT_EQ(group.m_nTimeDivs, 10);
  EXPECT_EQ(group.m_nValueDivs, 15);
}

struct ScaleCase {
  uint16_t raw;
  float cell;
  float total;
};

class RawScaling : public testing::TestWithParam<ScaleCase> {};

TEST_P(RawScaling, CellsAndTotalUseTheirOwnFullScale) {
  const ScaleCase c = GetParam();
  CCurveGroup group;
  group.LoadGroupImage(BuildImage({At(10, 0, 0, c.raw)}));
  for (int j = 0; j < 40; ++j) EXPECT_FLOAT_EQ(group.m_curves[j]->m_values[0], c.cell) << "channel " << j;
  EXPECT_FLOAT_EQ(group.m_curves[40]->m_values[0], c.total);
}

INSTANTIATE_TEST_SUITE_P(Values, RawScaling,
                         testing::Values(ScaleCase{0x0000, 0.0f, 0.0f}, ScaleCase{0x0001, 0.000518798828125f, 0.018310546875f},
                                         ScaleCase{0x8000, 17.0f, 600.0f},
                                         ScaleCase{0xFFFF, 33.99948f, 1199.9817f}));

TEST(CurveGroup, ChannelsAreReadBigEndianInOrder) {
  PointSpec p = At(10, 0, 0);
  for (int j = 0; j < 41; ++j) p.raw[j] = static_cast<uint16_t>(0x0102 * (j + 1));
  CCurveGroup group;
  group.LoadGroupImage(BuildImage({p}));
  ASSERT_EQ(group.m_curves.size(), 41u);
  for (int j = 0; j < 40; ++j)
    EXPECT_FLOAT_EQ(group.m_curves[j]->m_values[0], static_cast<float>(0x0102 * (j + 1) * kx::kCellScale));
  EXPECT_FLOAT_EQ(group.m_curves[40]->m_values[0], static_cast<float>(0x0102 * 41 * kx::kTotalScale));
}

TEST(CurveGroup, RecordTimeIsLocalCalendarTime) {
  // 20 14 03 05 10 20 30 under TZ=CST-8 is 02:20:30 UTC.
  CCurveGroup group;
  group.LoadGroupImage(BuildImage({At(10, 20, 30)}));
  EXPECT_EQ(group.m_curves[0]->m_times[0], 1393986030);
  const std::time_t t = group.m_curves[0]->m_times[0];
  std::tm local{};
  localtime_r(&t, &local);
  EXPECT_EQ(local.tm_year + 1900, 2014);
  EXPECT_EQ(local.tm_mon + 1, 3);
  EXPECT_EQ(local.tm_mday, 5);
  EXPECT_EQ(local.tm_hour, 10);
  EXPECT_EQ(local.tm_min, 20);
  EXPECT_EQ(local.tm_sec, 30);
  // Every channel carries the same time.
  for (const auto& curve : group.m_curves) EXPECT_EQ(curve->m_times[0], 1393986030);

  // Past 2038 the time goes on instead of wrapping back to 1901.
  kxtest::PointSpec late;
  late.year = 2039;
  group.LoadGroupImage(BuildImage({late}));
  EXPECT_EQ(group.m_curves[0]->m_times[0], 2182904430);
}

TEST(CurveGroup, SpanRunsFromFirstToLastPointAndSinglePointHasNoSpan) {
  CCurveGroup group;
  group.LoadGroupImage(BuildImage({At(9, 0, 0), At(9, 0, 10), At(9, 1, 0)}));
  EXPECT_EQ(group.m_endTime - group.m_startTime, 60);
  EXPECT_EQ(group.m_startTime, group.m_curves[0]->m_times.front());
  EXPECT_EQ(group.m_endTime, group.m_curves[0]->m_times.back());

  group.LoadGroupImage(BuildImage({At(11, 0, 0)}));
  EXPECT_EQ(group.m_startTime, group.m_endTime);
  EXPECT_EQ(group.PointCount(), 1);
}

TEST(CurveGroup, EmptyImageKeepsThePreviousSpan) {
  CCurveGroup fresh;
  const auto start = fresh.m_startTime, end = fresh.m_endTime;
  fresh.LoadGroupImage(std::vector<uint8_t>{0});
  EXPECT_EQ(fresh.m_curves.size(), 41u);
  EXPECT_EQ(fresh.PointCount(), 0);
  EXPECT_EQ(fresh.m_startTime, start);
  EXPECT_EQ(fresh.m_endTime, end);

  CCurveGroup loaded;
  loaded.LoadGroupImage(BuildImage({At(9, 0, 0), At(9, 5, 0)}));
  const auto loadedStart = loaded.m_startTime;
  loaded.LoadGroupImage(std::vector<uint8_t>{0});
  EXPECT_EQ(loaded.m_startTime, loadedStart);
  EXPECT_EQ(loaded.m_endTime, loadedStart + 300);
  for (const auto& curve : loaded.m_curves) EXPECT_TRUE(curve->m_values.empty() && curve->m_times.empty());
}

TEST(CurveGroup, ReloadReplacesEveryCurve) {
  CCurveGroup group;
  group.LoadGroupImage(BuildImage(kxtest::RealisticPoints(5)));
  group.LoadGroupImage(BuildImage(kxtest::RealisticPoints(3)));
  ASSERT_EQ(group.m_curves.size(), 41u);
  for (const auto& curve : group.m_curves) {
    EXPECT_EQ(curve->m_values.size(), 3u);
    EXPECT_EQ(curve->m_times.size(), 3u);
  }
}

TEST(CurveGroup, LoadingLeavesVisibilityAndColoursAlone) {
  CCurveGroup group;
  group.m_colors = {{1, 2, 3}};
  int flags[40] = {};
  flags[2] = 1;
  group.SetVisibleCells(flags);
  group.LoadGroupImage(BuildImage(kxtest::RealisticPoints(2)));
  EXPECT_EQ(group.m_visible[0], 0);
  EXPECT_EQ(group.m_visible[2], 1);
  ASSERT_EQ(group.m_colors.size(), 1u);
  EXPECT_EQ(group.m_colors[0], (kx::Rgb{1, 2, 3}));
}

struct ShortCase {
  const char* name;
  size_t keepBytes;  // of an image announcing 5 points
  int points;
};

class ShortImage : public testing::TestWithParam<ShortCase> {};

TEST_P(ShortImage, LoadsOnlyTheWholeRecordsPresent) {
  auto image = BuildImage(kxtest::RealisticPoints(5));
  image.resize(GetParam().keepBytes);
  CCurveGroup group;
  const auto start = group.m_startTime;
  group.LoadGroupImage(image);
  ASSERT_EQ(group.m_curves.size(), 41u);
  for (const auto& curve : group.m_curves) EXPECT_EQ(curve->m_values.size(), size_t(GetParam().points));
  if (GetParam().points == 0) {
    EXPECT_EQ(group.m_startTime, start);
  }
}

INSTANTIATE_TEST_SUITE_P(Cuts, ShortImage,
                         testing::Values(ShortCase{"Nothing", 0, 0}, ShortCase{"CountOnly", 1, 0},
                                         ShortCase{"OneByteShortOfFirst", 89, 0}, ShortCase{"ExactlyOne", 90, 1},
                                         ShortCase{"ThreeAndAHalf", 1 + 89 * 3 + 44, 3},
                                         ShortCase{"OneByteShortOfAll", 1 + 89 * 5 - 1, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CurveGroup, ExtraBytesBeyondTheCountAreIgnored) {
  auto image = BuildImage(kxtest::RealisticPoints(4));
  image[0] = 2;
  CCurveGroup group;
  group.LoadGroupImage(image);
  EXPECT_EQ(group.PointCount(), 2);
}

}  // namespace
