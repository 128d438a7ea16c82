#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "GroupImageBuilder.h"
#include "curves/CurveFile.h"
#include "curves/CurveGroup.h"
#include "link/CommandTable.h"

namespace {

namespace fs = std::filesystem;
using kx::CurveFileStatus;

std::string Sample(const char* name) { return std::string(KX_TEST_DATA_DIR) + "/" + name; }

std::vector<uint8_t> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "kx_curves_XXXXXX").string();
    m_path = ::mkdtemp(pattern.data());
  }
  ~TempFolder() { fs::remove_all(m_path); }
  std::string File(const char* name) const { return (fs::path(m_path) / name).string(); }
  size_t Entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(m_path), fs::directory_iterator())); }

 private:
  std::string m_path;
};

struct SampleCase {
  const char* file;
  CurveFileStatus status;
  size_t length;  // image bytes when accepted
};

class SampleFiles : public testing::TestWithParam<SampleCase> {};

TEST_P(SampleFiles, AcceptOrRefuseWithoutTouchingTheBuffer) {
  const SampleCase c = GetParam();
  std::vector<uint8_t> buffer(kx::kGroupImageCapacity, 0xAA);
  size_t length = 777;
  const kx::CurveFileResult result = kx::ReadCurveFile(Sample(c.file), buffer, length);
  EXPECT_EQ(result.status, c.status);
  if (c.status == CurveFileStatus::Ok) {
    EXPECT_EQ(length, c.length);
    EXPECT_TRUE(kx::CurveFileMessage(result.status).empty());
  } else {
    EXPECT_EQ(length, 777u);
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0xAA), static_cast<long>(buffer.size()));
    EXPECT_FALSE(kx::CurveFileMessage(result.status).empty());
    EXPECT_TRUE(kx::ReadCurveFile(Sample(c.file)).image.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Samples, SampleFiles,
    testing::Values(SampleCase{"curves_250points.bin", CurveFileStatus::Ok, 22251},
                    SampleCase{"curves_empty.bin", CurveFileStatus::Ok, 1},
                    SampleCase{"curves_trailing.bin", CurveFileStatus::Ok, 1 + 89 * 3},
                    SampleCase{"curves_broken_short.bin", CurveFileStatus::TooShort, 0},
                    SampleCase{"curves_broken_truncated.bin", CurveFileStatus::Truncated, 0},
                    SampleCase{"curves_broken_length.bin", CurveFileStatus::LengthTooLarge, 0},
                    SampleCase{"curves_no_such_file.bin", CurveFileStatus::OpenFailed, 0}));

TEST(CurveFile, TwoHundredFiftyPointFileLoadsEveryPoint) {
  const std::string path = Sample("curves_250points.bin");
  const auto raw = Bytes(path);
  ASSERT_EQ(raw.size(), 22255u);
  EXPECT_EQ(std::vector<uint8_t>(raw.begin(), raw.begin() + 4), (std::vector<uint8_t>{0xEB, 0x56, 0x00, 0x00}));

  const kx::CurveFileRead read = kx::ReadCurveFile(path);
  ASSERT_TRUE(read.result.ok());
  CCurveGroup group;
  group.LoadGroupImage(read.image);
  ASSERT_EQ(group.PointCount(), 250);
  // The sample's cell j at point k holds raw 6000 + 10 j + k; points are a minute apart from 08:00.
  EXPECT_FLOAT_EQ(group.m_curves[39]->m_values[249], static_cast<float>((6000 + 390 + 249) * kx::kCellScale));
  EXPECT_FLOAT_EQ(group.m_curves[40]->m_values[7], static_cast<float>((20000 + 7) * kx::kTotalScale));
  EXPECT_EQ(group.m_startTime, kx::MakeLocalTime(2014, 3, 5, 8, 0, 0));
  EXPECT_EQ(group.m_endTime - group.m_startTime, 249 * 60);
}

TEST(CurveFile, FiveByteFileOpensAsFortyOneEmptyCurves) {
  const kx::CurveFileRead read = kx::ReadCurveFile(Sample("curves_empty.bin"));
  ASSERT_TRUE(read.result.ok());
  CCurveGroup group;
  group.LoadGroupImage(read.image);
  EXPECT_EQ(group.m_curves.size(), 41u);
  EXPECT_EQ(group.PointCount(), 0);
}

TEST(CurveFile, SavingWhatWasOpenedGivesTheSameBytes) {
  TempFolder folder;
  for (const char* name : {"curves_250points.bin", "curves_empty.bin", "curves_trailing.bin"}) {
    const auto original = Bytes(Sample(name));
    const kx::CurveFileRead read = kx::ReadCurveFile(Sample(name));
    ASSERT_TRUE(read.result.ok()) << name;
    const std::string copy = folder.File("copy.bin");
    ASSERT_TRUE(kx::WriteCurveFile(copy, read.image).ok()) << name;
    const auto written = Bytes(copy);
    // Trailing bytes of the original are not part of the group.
    ASSERT_EQ(written.size(), 4 + read.image.size()) << name;
    EXPECT_TRUE(std::equal(written.begin(), written.end(), original.begin())) << name;
  }
}

TEST(CurveFile, WrittenGroupReadsBackToTheSameCurves) {
  TempFolder folder;
  const auto image = kxtest::BuildImage(kxtest::RealisticPoints(250));
  const std::string path = folder.File("group.bin");
  ASSERT_TRUE(kx::WriteCurveFile(path, image).ok());
  EXPECT_EQ(fs::file_size(path), 22255u);

  CCurveGroup before, after;
  before.LoadGroupImage(image);
  const kx::CurveFileRead read = kx::ReadCurveFile(path);
  ASSERT_TRUE(read.result.ok());
  EXPECT_EQ(read.image, image);
  after.LoadGroupImage(read.image);
  EXPECT_EQ(after.m_startTime, before.m_startTime);
  EXPECT_EQ(after.m_endTime, before.m_endTime);
  for (int j = 0; j < 41; ++j) {
    EXPECT_EQ(after.m_curves[j]->m_values, before.m_curves[j]->m_values);
    EXPECT_EQ(after.m_curves[j]->m_times, before.m_curves[j]->m_times);
  }
}

TEST(CurveFile, WriteFailuresAreReported) {
  TempFolder folder;
  const auto image = kxtest::BuildImage(kxtest::RealisticPoints(2));
  EXPECT_EQ(kx::WriteCurveFile(folder.File("missing/x.bin"), image).status, CurveFileStatus::CreateFailed);
  // Larger than any image buffer: our own reader would refuse it.
  const std::vector<uint8_t> huge(kx::kGroupImageCapacity + 1, 0);
  EXPECT_EQ(kx::WriteCurveFile(folder.File("huge.bin"), huge).status, CurveFileStatus::ImageTooLarge);
  EXPECT_FALSE(fs::exists(folder.File("huge.bin")));
}

TEST(CurveFile, InterruptedAtomicSaveLeavesTheOldFileWhole) {
  TempFolder folder;
  const std::string path = folder.File("group.bin");
  const auto oldImage = kxtest::BuildImage(kxtest::RealisticPoints(3));
  const auto newImage = kxtest::BuildImage(kxtest::RealisticPoints(7));
  ASSERT_TRUE(kx::WriteCurveFile(path, oldImage).ok());
  ::chmod(path.c_str(), 0640);
  const auto oldBytes = Bytes(path);

  std::string temporary;
  kx::CurveWriteOptions dying{[&](const std::string& tmp) {
                                temporary = tmp;
                                return false;
                              }};
  EXPECT_EQ(kx::WriteCurveFile(path, newImage, dying).status, CurveFileStatus::Interrupted);
  EXPECT_EQ(Bytes(path), oldBytes);
  // The temporary sits beside the target, complete, as a dying process would leave it.
  EXPECT_EQ(fs::path(temporary).parent_path(), fs::path(path).parent_path());
  EXPECT_EQ(Bytes(temporary).size(), 4 + newImage.size());
  fs::remove(temporary);

  ASSERT_TRUE(kx::WriteCurveFile(path, newImage).ok());
  EXPECT_EQ(kx::ReadCurveFile(path).image, newImage);
  EXPECT_EQ(folder.Entries(), 1u);  // no temporary left behind
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

}  // namespace
