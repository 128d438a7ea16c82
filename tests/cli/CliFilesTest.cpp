// Curve groups through the tool: the count, a download into .bin and CSV, export
// of a file as CSV, PNG and PDF, and the serial port list.

#include <QFile>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "CliFixture.h"
#include "GroupImageBuilder.h"
#include "chart/ChartDraw.h"
#include "chart/ChartRender.h"
#include "ui/SongFont.h"
#include "curves/CurveFile.h"
#include "curves/CurveGroup.h"

namespace kxtest {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class CliFilesTest : public CliFixture {
 protected:
  void SetUp() override {
    CliFixture::SetUp();
    std::string pattern = (fs::temp_directory_path() / "kx-cli-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    fs::remove_all(dir_);
    CliFixture::TearDown();
  }
  std::string Path(const char* name) const { return (dir_ / name).string(); }
  QString QPath(const char* name) const { return QString::fromStdString(Path(name)); }

  // Two points a minute apart: cells at 8.5 V and 17 V, the total at 75 V.
  static std::vector<uint8_t> KnownImage() {
    PointSpec a, b;
    a.raw.fill(0x4000);
    a.raw[40] = 0x1000;
    b = a;
    b.minute = 21;
    b.raw.fill(0x8000);
    b.raw[40] = 0x1000;
    b.raw[39] = 0xFFFF;
    return BuildImage({a, b});
  }

  fs::path dir_;
};

TEST_F(CliFilesTest, GroupsShowsTheCountsInThePanelsWords) {
  device.SetCurveCounts(3, 1);
  EXPECT_EQ(Run({"groups"}), 0);
  EXPECT_EQ(out.out, "共3条曲线,1条在画\n");
  EXPECT_EQ(device.Requests().back(), Bytes({0x14, 0x2E, 0x00, 0x00, 0x07, 0x00, 0x00, 0xFF, 0xCA}));
}

TEST_F(CliFilesTest, DownloadWritesTheGroupAsBinAndCsv) {
  device.SetGroups({kx::StoredGroup{KnownImage(), {2014, 3, 5, 10, 20, 30}}});
  EXPECT_EQ(Run({"download", "1", "-o", QPath("g.bin"), "--csv", QPath("g.csv")}), 0) << out.err;
  EXPECT_EQ(out.out, "本组曲线共有记录点：2个\n曲线组记录日期：2014-03-05 10:20:30\n");

  // The file holds the image exactly as the unit sent it.
  const kx::CurveFileRead bin = kx::ReadCurveFile(Path("g.bin"));
  ASSERT_TRUE(bin.result.ok());
  EXPECT_EQ(bin.image, KnownImage());

  const auto rows = Lines(ReadFile(Path("g.csv")));
  ASSERT_EQ(rows.size(), 3u);
  std::string header = "point,time";
  for (int i = 1; i <= 40; ++i) header += ",cell" + std::to_string(i) + "_V";
  EXPECT_EQ(rows[0], header + ",total_V");
  std::string first = "1,2014-03-05 10:20:30";
  for (int i = 0; i < 40; ++i) first += ",8.500";
  EXPECT_EQ(rows[1], first + ",75.000");
  std::string second = "2,2014-03-05 10:21:30";
  for (int i = 0; i < 39; ++i) second += ",17.000";
  EXPECT_EQ(rows[2], second + ",33.999,75.000");
}

TEST_F(CliFilesTest, DownloadRefusesGroupsTheUnitCannotGive) {
  device.SetCurveCounts(3, 1);  // groups 1 and 2 readable
  EXPECT_EQ(Run({"download", "3"}), 1);  // the unit answered: not a usage error
  EXPECT_NE(out.err.find("无该条曲线数据"), std::string::npos) << out.err;
  EXPECT_EQ(device.RequestCount(), 1u);  // the count query only

  // A packet that announces more than 900 bytes ends the download; no file is left.
  device.SetCurveCounts(std::nullopt, std::nullopt);
  device.SetFault(kx::Fault::Oversize, 1);
  EXPECT_EQ(Run({"download", "1", "-o", QPath("bad.bin")}), 1);
  EXPECT_NE(out.err.find("读曲线数据错误"), std::string::npos) << out.err;
  EXPECT_FALSE(fs::exists(Path("bad.bin")));
}

TEST_F(CliFilesTest, ExportOfTheSavedFileEqualsTheDirectDownload) {
  // The default groups: 250 points in 25 packets.
  EXPECT_EQ(Run({"download", "1", "-o", QPath("g1.bin"), "--csv", QPath("direct.csv")}), 0) << out.err;
  EXPECT_EQ(RunBare({"export", QPath("g1.bin"), "--csv", QPath("exported.csv")}), 0) << out.err;
  const std::string direct = ReadFile(Path("direct.csv"));
  EXPECT_EQ(Lines(direct).size(), 251u);
  EXPECT_EQ(ReadFile(Path("exported.csv")), direct);
}

TEST_F(CliFilesTest, ExportDrawsTheChartAsTheViewerAndThePrinterDo) {
  ASSERT_TRUE(kx::WriteCurveFile(Path("k.bin"), KnownImage()).ok());
  EXPECT_EQ(RunBare({"export", QPath("k.bin"), "--png", QPath("k.png"), "--pdf", QPath("k.pdf")}), 0) << out.err;
  EXPECT_EQ(out.out, "本组曲线共有记录点：2个\n曲线组记录日期：2014-3-5\n");

  QImage png(QPath("k.png"));
  ASSERT_EQ(png.size(), QSize(890, 560));
  // The viewer's own rendering of the same group, with its colours and font.
  kx::InstallSongSubstitution();
  CCurveGroup group;
  group.m_colors = kx::BuildCurveColors();
  group.LoadGroupImage(KnownImage());
  EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32), kx::RenderChartImage(group));

  QFile pdf(QPath("k.pdf"));
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  const QByteArray bytes = pdf.readAll();
  EXPECT_TRUE(bytes.startsWith("%PDF"));
  EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page>>") + bytes.count("/Type /Page "), 1)
      << "one page";
  // A4 at 72 points per inch: 595 x 842.
  EXPECT_TRUE(bytes.contains("/MediaBox [0 0 595") || bytes.contains("/MediaBox [0 0 594")) << "A4";
}

TEST_F(CliFilesTest, ExportRefusesBadFiles) {
  EXPECT_EQ(RunBare({"export", QPath("missing.bin"), "--csv", QPath("x.csv")}), 2);
  EXPECT_NE(out.err.find("无法打开曲线文件!"), std::string::npos) << out.err;
  EXPECT_FALSE(fs::exists(Path("x.csv")));

  EXPECT_EQ(RunBare({"export", KX_TEST_DATA_DIR "/curves_broken_truncated.bin", "--csv", QPath("y.csv")}), 2);
  EXPECT_FALSE(fs::exists(Path("y.csv")));

  // An output that cannot be written is a bad file too.
  ASSERT_TRUE(kx::WriteCurveFile(Path("k.bin"), KnownImage()).ok());
  EXPECT_EQ(RunBare({"export", QPath("k.bin"), "--csv", QPath("no/such/dir/out.csv")}), 2);
}

TEST_F(CliFilesTest, PortsListsDevicesWithTheirNumbersAndByIdNames) {
  // A fake /sys/class/tty and /dev: one USB adapter with a stable name, one ACM modem.
  const fs::path sys = dir_ / "sys", dev = dir_ / "dev";
  for (auto [name, driver] : {std::pair{"ttyUSB0", "ftdi_sio"}, std::pair{"ttyACM0", "cdc_acm"}}) {
    fs::create_directories(dir_ / "devices" / name);
    fs::create_directories(dir_ / "drivers" / driver);
    fs::create_directory_symlink(dir_ / "drivers" / driver, dir_ / "devices" / name / "driver");
    fs::create_directories(sys / name);
    fs::create_directory_symlink(dir_ / "devices" / name, sys / name / "device");
    fs::create_directories(dev);
    std::ofstream(dev / name).put('\0');
  }
  fs::create_directories(dev / "serial" / "by-id");
  fs::create_symlink("../../ttyUSB0", dev / "serial" / "by-id" / "usb-Maker_Adapter-if00-port0");
  hooks.sysClassTty = sys.string();
  hooks.devRoot = dev.string();

  EXPECT_EQ(RunBare({"ports"}), 0);
  const auto lines = OutLines();
  ASSERT_EQ(lines.size(), 2u) << out.out;
  EXPECT_EQ(lines[0], "串口号 1  " + (dev / "ttyUSB0").string() + "  driver ftdi_sio  " +
                          (dev / "serial" / "by-id" / "usb-Maker_Adapter-if00-port0").string());
  EXPECT_EQ(lines[1], "串口号 2  " + (dev / "ttyACM0").string() + "  driver cdc_acm");

  // Port 3 means nothing here: the port cannot be opened.
  EXPECT_EQ(RunBare({"--com", "3", "version"}), 3);
  EXPECT_NE(out.err.find("port 3 means no serial device"), std::string::npos) << out.err;
}

}  // namespace
}  // namespace kxtest
