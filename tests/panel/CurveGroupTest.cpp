#include <QApplication>
#include <QDir>
#include <QHelpEvent>
#include <QFile>
#include <QTemporaryDir>
#include <ctime>

#include "PanelFixture.h"

#include <sys/stat.h>

#include <QFileInfo>
#include "curves/CurveGroup.h"
#include "curves/CurveFile.h"
#include "link/CurveTransfer.h"
#include "link/Exchange.h"

namespace {

using namespace kx::panel::ids;

using Bytes = std::vector<uint8_t>;

time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
  return kx::MakeLocalTime(year, month, day, hour, minute, second);
}

Bytes ReadAll(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray data = f.readAll();
  return Bytes(data.begin(), data.end());
}

void WriteAll(const QString& path, const Bytes& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

// The file form of an image: little-endian length, then the image.
Bytes FileOf(const Bytes& image) {
  const auto n = static_cast<uint32_t>(image.size());
  Bytes out(4 + image.size());
  for (int i = 0; i < 4; ++i) out[static_cast<size_t>(i)] = static_cast<uint8_t>(n >> (8 * i));
  std::copy(image.begin(), image.end(), out.begin() + 4);
  return out;
}

class CurveGroups : public PanelFixture {
 protected:
  void SetUp() override {
    PanelFixture::SetUp();
    panel->SetWaitScale(0.05);
    ASSERT_TRUE(folder.isValid());
    groups = kx::VirtualDevice::DefaultGroups(LocalTime(2024, 6, 1, 12, 0, 0));  // 250, 91, 12, 255, 220 points
    device->SetGroups(groups);
  }

  void Read(int group) {
    Edit(kEditGroupNo)->setText(QString::number(group));
    IconButton(kBtnReadGroup)->click();
  }
  bool GroupButtons(bool enabled) const {
    return IconButton(kBtnViewPoint)->isEnabled() == enabled && IconButton(kBtnSaveFile)->isEnabled() == enabled &&
           IconButton(kBtnShowCurves)->isEnabled() == enabled;
  }
  Bytes CurrentImage() const {
    return Probe().GroupImage();
  }
  QString Path(const QString& name) const { return folder.filePath(name); }

  QTemporaryDir folder;
  std::vector<kx::StoredGroup> groups;
};

TEST_F(CurveGroups, CountDecidesWhichGroupsCanBeRead) {
  device->SetCurveCounts(3, 1);
  IconButton(kBtnQueryCount)->click();
  EXPECT_EQ(Static(kStaticGroupCount)->text(), QStringLiteral("共3条曲线,1条在画"));
  EXPECT_TRUE(prompts.Texts().isEmpty());

  Read(2);
  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  EXPECT_EQ(Probe().GroupPoints(), 91);
  EXPECT_TRUE(GroupButtons(true));

  const auto expect = [&](int recorded, int recording, int group, const QStringList& texts) {
    device->SetCurveCounts(recorded, recording);
    prompts.Clear();
    Read(group);
    EXPECT_EQ(prompts.Texts(), texts) << recorded << "/" << recording << " group " << group;
    EXPECT_TRUE(GroupButtons(false));
    EXPECT_EQ(Probe().GroupPoints(), 91);  // the previous group stays
  };
  expect(3, 1, 3, {"无该条曲线数据"});
  expect(3, 1, 0, {"无该条曲线数据"});
  expect(2, 2, 1, {"无曲线数据"});
  expect(0, 1, 1, {"读数据错误"});
  expect(0, 2, 1, {"无该条曲线数据"});
  // The count's own failures come first.
  device->SetCurveCounts(std::nullopt, std::nullopt);
  device->SetFault(kx::Fault::Short, 1, 1, -1, 0x07);
  expect(4, 0, 1, {"通讯失败!", "读数据错误"});
  Edit(kEditPort)->setText("7");  // no such port
  expect(4, 0, 1, {" 通讯失败!", "读数据错误"});

  // The count button alone: only its own message, and the read-out stays.
  prompts.Clear();
  IconButton(kBtnQueryCount)->click();
  EXPECT_EQ(prompts.Texts(), QStringList({" 通讯失败!"}));
  EXPECT_EQ(Static(kStaticGroupCount)->text(), QStringLiteral("共0条曲线,2条在画"));
  EXPECT_EQ(Probe().Port(), nullptr);
}

TEST_F(CurveGroups, DownloadFillsTheGroupAndReadsItsDate) {
  Edit(kEditAddress)->setText("3");
  device->SetAddress(3);
  Read(1);
  ASSERT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  EXPECT_EQ(Probe().GroupBytes(), 22251);
  EXPECT_EQ(Probe().GroupPoints(), 250);
  EXPECT_EQ(CurrentImage(), groups[0].image);
  EXPECT_EQ(Probe().ViewerGroup().PointCount(), 250);
  EXPECT_EQ(Static(kStaticPointCount)->text(), QStringLiteral("250"));
  EXPECT_EQ(Static(kStaticGroupDate)->text().toStdString(), kx::FormatGroupDate(groups[0].date));
  EXPECT_TRUE(GroupButtons(true));
  // The date keeps clear of "读取"; too wide for its static, it is whole in its tooltip.
  QLabel* date = Static(kStaticGroupDate);
  EXPECT_LT(date->geometry().right(), IconButton(kBtnReadGroup)->geometry().left());
  ASSERT_GT(date->fontMetrics().horizontalAdvance(date->text()), date->contentsRect().width());
  QHelpEvent hover(QEvent::ToolTip, QPoint(1, 1), date->mapToGlobal(QPoint(1, 1)));
  QApplication::sendEvent(date, &hover);
  EXPECT_EQ(date->toolTip(), date->text());
  EXPECT_EQ(Probe().Port(), nullptr);

  // Count query, 25 identical packet requests, then the date of group 1.
  const auto sent = Requests();
  ASSERT_EQ(sent.size(), 27u);
  EXPECT_EQ(sent.front(), kx::CurveCountFrame(3));
  for (size_t i = 1; i <= 25; ++i)
    EXPECT_EQ(sent[i], (Bytes{0x14, 0x2E, 0x00, 0x03, 0x08, 0x00, 0x02, 0x01, 0x00, 0xFF, 0xC3}));
  EXPECT_EQ(sent.back(), kx::GroupDateFrame(3, 1));

  // 91 points are exactly nine packets of 900: a tenth, empty one ends it.
  device->ClearRequests();
  Read(2);
  EXPECT_EQ(Probe().GroupBytes(), 8100);
  EXPECT_EQ(Requests().size(), 1u + 10u + 1u);
}

TEST_F(CurveGroups, FailedDownloadsKeepThePreviousGroup) {
  Read(3);  // 12 points
  ASSERT_EQ(Probe().GroupPoints(), 12);
  const Bytes before = CurrentImage();
  const QString date = Static(kStaticGroupDate)->text();

  Bytes overlong(56 * 900, 0x11);  // more than the 50,000-byte image can take
  groups.push_back({overlong, {}});
  device->SetGroups(groups);

  struct Case {
    const char* what;
    std::function<void()> arrange;
    int group;
    QStringList texts;
  };
  const std::vector<Case> cases = {
      {"short header", [&] { device->SetFault(kx::Fault::Silence, 1, 0, -1, 0x08); }, 1,
       {"读数据失败", "读曲线数据错误"}},
      {"short payload", [&] { device->SetFault(kx::Fault::Short, 1, 5, -1, 0x08); }, 1,
       {"读数据失败", "读曲线数据错误"}},
      {"oversize packet", [&] { device->SetFault(kx::Fault::Oversize, 1); }, 1, {"读曲线数据错误"}},
      {"overlong transfer", [] {}, static_cast<int>(groups.size()), {"读曲线数据错误"}},
  };
  for (const Case& c : cases) {
    prompts.Clear();
    IconButton(kBtnViewPoint)->setEnabled(true);
    c.arrange();
    Read(c.group);
    EXPECT_EQ(prompts.Texts(), c.texts) << c.what;
    EXPECT_TRUE(GroupButtons(false)) << c.what;
    EXPECT_EQ(CurrentImage(), before) << c.what;
    EXPECT_EQ(Probe().GroupPoints(), 12) << c.what;
    EXPECT_EQ(Probe().ViewerGroup().PointCount(), 12) << c.what;
    EXPECT_EQ(Static(kStaticGroupDate)->text(), date) << c.what;
    EXPECT_EQ(Probe().Port(), nullptr) << c.what;
  }
  // Overflow: stopped at the 56th packet, the date never asked for.
  const auto sent = Requests();
  EXPECT_EQ(sent.back(), kx::GroupImageFrame(0, static_cast<int>(groups.size())));
}

TEST_F(CurveGroups, FailedDateReadKeepsTheOldDateButTakesTheGroup) {
  Read(1);
  const QString date = Static(kStaticGroupDate)->text();
  device->SetFault(kx::Fault::Silence, 1, 0, -1, 0x09);
  Read(3);
  EXPECT_TRUE(prompts.Texts().isEmpty());
  EXPECT_EQ(Static(kStaticGroupDate)->text(), date);
  EXPECT_EQ(Static(kStaticPointCount)->text(), QStringLiteral("12"));
  EXPECT_EQ(Probe().GroupPoints(), 12);
  EXPECT_TRUE(GroupButtons(true));
}

TEST_F(CurveGroups, PointViewShowsValuesAndTime) {
  Read(3);
  const Bytes& image = groups[2].image;
  Edit(kEditPointNo)->setText("1");
  IconButton(kBtnViewPoint)->click();
  EXPECT_TRUE(prompts.Texts().isEmpty());
  auto expected = [&](int channel) {
    const int raw = image[1 + 7 + 2 * channel] << 8 | image[1 + 8 + 2 * channel];
    const double scale = channel < 40 ? 17.0 / 32768 : 600.0 / 32768;
    return QString::asprintf("%.3f", static_cast<double>(static_cast<float>(raw * scale)));
  };
  for (int row = 0; row <= 30; ++row) EXPECT_EQ(Cell(kListPointValues, row, 1), expected(row)) << row;
  for (int row = 0; row <= 9; ++row) EXPECT_EQ(Cell(kListPointValues, row, 3), expected(31 + row)) << row;
  EXPECT_EQ(Cell(kListPointValues, 10, 3), QString());
  const auto& d = kx::DecodeBcdDateTime(image.data() + 1);
  EXPECT_EQ(Static(kStaticPointTime)->text(),
            QString::asprintf("数据点记录时间：%02d:%02d:%02d", d.hour, d.minute, d.second));

  const QString shown = Cell(kListPointValues, 0, 1);
  Edit(kEditPointNo)->setText("0");
  IconButton(kBtnViewPoint)->click();
  EXPECT_EQ(prompts.Texts(), QStringList({"错误值"}));
  prompts.Clear();
  Edit(kEditPointNo)->setText("13");
  IconButton(kBtnViewPoint)->click();
  EXPECT_EQ(prompts.Texts(), QStringList({"错误点数", "错误值"}));
  EXPECT_EQ(Cell(kListPointValues, 0, 1), shown);

  // The last point is the 12th.
  prompts.Clear();
  Edit(kEditPointNo)->setText("12");
  IconButton(kBtnViewPoint)->click();
  EXPECT_TRUE(prompts.Texts().isEmpty());
  const auto& last = kx::DecodeBcdDateTime(image.data() + 1 + 89 * 11);
  EXPECT_EQ(Static(kStaticPointTime)->text(),
            QString::asprintf("数据点记录时间：%02d:%02d:%02d", last.hour, last.minute, last.second));
}

TEST_F(CurveGroups, SaveOpenAndShowRoundTrip) {
  groups[0] = kx::VirtualDevice::MakeGroup(LocalTime(2014, 3, 5, 10, 20, 30), 40, 99);
  device->SetGroups(groups);
  Read(1);
  const Bytes image = CurrentImage();

  prompts.savePaths.push_back(Path("2014-3-5_10-20-30"));
  IconButton(kBtnSaveFile)->click();
  ASSERT_EQ(prompts.saveRequests.size(), 1u);
  EXPECT_EQ(prompts.saveRequests[0].defaultName, QStringLiteral("2014-3-5_10-20-30"));
  EXPECT_EQ(prompts.saveRequests[0].title, QStringLiteral("保存"));
  EXPECT_EQ(prompts.saveRequests[0].filters, QStringList({"Data Files (*.bin)"}));
  const QString saved = Path("2014-3-5_10-20-30.bin");
  EXPECT_EQ(ReadAll(saved), FileOf(image));

  // Open it over another group: the date has no time and no leading zeros.
  Read(3);
  prompts.Clear();
  prompts.openPaths.push_back(saved);
  IconButton(kBtnViewPoint)->setEnabled(false);
  IconButton(kBtnShowCurves)->setEnabled(false);
  IconButton(kBtnSaveFile)->setEnabled(false);
  IconButton(kBtnOpenFile)->click();
  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  ASSERT_EQ(prompts.openRequests.size(), 1u);
  EXPECT_EQ(prompts.openRequests[0].filters, QStringList({"Data Files (*.bin)"}));
  EXPECT_EQ(Static(kStaticGroupDate)->text(), QStringLiteral("2014-3-5"));
  EXPECT_EQ(Static(kStaticPointCount)->text(), QStringLiteral("40"));
  EXPECT_EQ(CurrentImage(), image);
  EXPECT_EQ(Probe().ViewerGroup().PointCount(), 40);
  EXPECT_TRUE(IconButton(kBtnViewPoint)->isEnabled());
  EXPECT_TRUE(IconButton(kBtnShowCurves)->isEnabled());
  EXPECT_FALSE(IconButton(kBtnSaveFile)->isEnabled());

  QString execTitle;
  prompts.onExec = [&](QDialog& d) {
    execTitle = static_cast<CCurveViewDlg&>(d).m_strTitle;
    return int(QDialog::Accepted);
  };
  IconButton(kBtnShowCurves)->click();
  EXPECT_EQ(execTitle, QStringLiteral("2014-3-5.bin"));

  // Saving what was opened writes the same bytes; a name ending in .bin gets no second one.
  prompts.savePaths.push_back(Path("copy.BIN"));
  panel->OnSaveCurveFile();
  EXPECT_EQ(ReadAll(Path("copy.BIN")), ReadAll(saved));
  EXPECT_FALSE(QFile::exists(Path("copy.BIN.bin")));
}

TEST_F(CurveGroups, SavingAsksAboutTheFileReallyReplacedAndNeverDamagesIt) {
  Read(3);
  const Bytes image = CurrentImage();
  const Bytes old{1, 0, 0, 0, 0};
  WriteAll(Path("a.bin"), old);

  // Typed without the extension: the question concerns a.bin, which is written.
  prompts.savePaths = {Path("a"), Path("a")};
  prompts.answers = {kx::Prompts::Answer::No, kx::Prompts::Answer::Yes};
  IconButton(kBtnSaveFile)->click();
  EXPECT_EQ(ReadAll(Path("a.bin")), old);
  IconButton(kBtnSaveFile)->click();
  EXPECT_EQ(ReadAll(Path("a.bin")), FileOf(image));
  EXPECT_EQ(prompts.Texts(), QStringList({"a.bin 已存在。\n要替换它吗?", "a.bin 已存在。\n要替换它吗?"}));
  EXPECT_FALSE(QFile::exists(Path("a")));
  EXPECT_FALSE(QFile::exists(Path("a.bin.bin")));

  // Stopped before the rename: the old file stays whole, and the operator is told.
  prompts.Clear();
  WriteAll(Path("a.bin"), old);
  panel->SetSaveInterruption([](const std::string&) { return false; });
  prompts.savePaths = {Path("a.bin")};
  prompts.answers = {kx::Prompts::Answer::Yes};
  IconButton(kBtnSaveFile)->click();
  EXPECT_EQ(ReadAll(Path("a.bin")), old);
  ASSERT_EQ(prompts.Texts().size(), 2);
  EXPECT_TRUE(prompts.Texts()[1].startsWith(QStringLiteral("保存曲线文件被中断"))) << prompts.Texts()[1].toStdString();
  panel->SetSaveInterruption({});

  // A folder that does not exist: said aloud, nothing written.
  prompts.Clear();
  prompts.savePaths = {Path("missing/b")};
  IconButton(kBtnSaveFile)->click();
  EXPECT_EQ(prompts.Texts(), QStringList({QStringLiteral("无法创建曲线文件!\n") + Path("missing/b.bin")}));

  // A dangling link is an existing name: asked about, then the file it names is made.
  prompts.Clear();
  ASSERT_TRUE(QFile::link(Path("made.bin"), Path("link.bin")));
  prompts.savePaths = {Path("link.bin")};
  prompts.answers = {kx::Prompts::Answer::Yes};
  IconButton(kBtnSaveFile)->click();
  EXPECT_EQ(prompts.Texts(), QStringList({"link.bin 已存在。\n要替换它吗?"}));
  EXPECT_TRUE(QFileInfo(Path("link.bin")).isSymLink());
  EXPECT_EQ(ReadAll(Path("made.bin")), FileOf(image));

  // Cancelled: nothing at all.
  prompts.Clear();
  IconButton(kBtnSaveFile)->click();
  EXPECT_TRUE(prompts.Texts().isEmpty());
}

TEST_F(CurveGroups, BadFilesChangeNothingAndAnEmptyGroupHasNoDate) {
  Read(3);
  const Bytes image = CurrentImage();
  const QString date = Static(kStaticGroupDate)->text();
  IconButton(kBtnSaveFile)->setEnabled(false);

  WriteAll(Path("cut.bin"), {100, 0, 0, 0, 12, 1, 2});  // announces 100 bytes, holds 3
  WriteAll(Path("huge.bin"), {0x51, 0xC3, 0, 0, 1});     // 50,001 bytes announced
  // A FIFO named like a curve file would block a plain open for ever.
  ASSERT_EQ(::mkfifo(QFile::encodeName(Path("fifo.bin")).constData(), 0600), 0);
  for (const QString& name : {QStringLiteral("cut.bin"), QStringLiteral("huge.bin"), QStringLiteral("fifo.bin"),
                              QStringLiteral("none.bin")}) {
    prompts.Clear();
    prompts.openPaths.push_back(Path(name));
    IconButton(kBtnViewPoint)->setEnabled(false);
    IconButton(kBtnOpenFile)->click();
    EXPECT_EQ(prompts.Texts().size(), 1) << name.toStdString();
    EXPECT_EQ(CurrentImage(), image) << name.toStdString();
    EXPECT_EQ(Probe().ViewerGroup().PointCount(), 12);
    EXPECT_EQ(Static(kStaticGroupDate)->text(), date);
    EXPECT_EQ(Static(kStaticPointCount)->text(), QStringLiteral("12"));
    EXPECT_FALSE(IconButton(kBtnViewPoint)->isEnabled());
  }
  EXPECT_EQ(prompts.Texts()[0], QStringLiteral("无法打开曲线文件!\n") + Path("none.bin"));

  // A group of no points opens, shows no date and proposes no date as the name.
  prompts.Clear();
  WriteAll(Path("empty.bin"), {1, 0, 0, 0, 0});
  prompts.openPaths.push_back(Path("empty.bin"));
  IconButton(kBtnOpenFile)->click();
  EXPECT_TRUE(prompts.Texts().isEmpty());
  EXPECT_EQ(Probe().GroupBytes(), 1);
  EXPECT_EQ(Probe().GroupPoints(), 0);
  EXPECT_EQ(Static(kStaticGroupDate)->text(), QStringLiteral("0000-00-00"));
  EXPECT_EQ(Static(kStaticPointCount)->text(), QStringLiteral("0"));
  panel->OnSaveCurveFile();
  ASSERT_EQ(prompts.saveRequests.size(), 1u);
  EXPECT_EQ(prompts.saveRequests[0].defaultName, QStringLiteral("0000-00-00"));
  Edit(kEditPointNo)->setText("1");
  panel->OnViewPoint();
  EXPECT_EQ(prompts.Texts(), QStringList({"错误点数", "错误值"}));
}

TEST_F(CurveGroups, ClearingAsksFirstAndReportsTheOutcome) {
  const Bytes request{0x14, 0x2E, 0x00, 0x00, 0x0B, 0x00, 0x00, 0xFF, 0xC6};
  IconButton(kBtnClearCurves)->click();  // answered No
  EXPECT_EQ(device->RequestCount(), 0u);
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].kind, QStringLiteral("question"));
  EXPECT_EQ(prompts.shown[0].caption, QStringLiteral("提示!"));
  EXPECT_EQ(prompts.shown[0].text, QStringLiteral("是否真的清除所有曲线数据?"));

  const auto clear = [&] {
    prompts.Clear();
    prompts.answers.push_back(kx::Prompts::Answer::Yes);
    IconButton(kBtnClearCurves)->click();
    EXPECT_EQ(Probe().Port(), nullptr);
    return prompts.Texts().mid(1);
  };
  device->SetFault(kx::Fault::Short, 1, 1, -1, 0x0B);
  EXPECT_EQ(clear(), QStringList({"清除失败!"}));
  EXPECT_EQ(clear(), QStringList({"清除成功!"}));
  EXPECT_EQ(Requests(), std::vector<Bytes>(2, request));
  EXPECT_TRUE(device->Groups().empty());

  Edit(kEditPort)->setText("7");
  const size_t sent = device->RequestCount();
  EXPECT_EQ(clear(), QStringList({"通讯失败!", "清除失败!"}));
  EXPECT_EQ(device->RequestCount(), sent);
}

TEST_F(CurveGroups, PortOperationsWaitForAcquisitionToStop) {
  Probe().Continuous() = 1;
  prompts.answers.push_back(kx::Prompts::Answer::Yes);
  prompts.openPaths.push_back(Path("x.bin"));
  panel->OnQueryCurveCount();
  panel->OnReadGroup();
  panel->OnOpenCurveFile();
  panel->OnClearCurves();
  EXPECT_EQ(prompts.Texts(), QStringList(4, QStringLiteral("请先停止当前采集!")));
  EXPECT_TRUE(prompts.openRequests.empty());
  EXPECT_EQ(device->RequestCount(), 0u);
  Probe().Continuous() = 0;
}

}  // namespace
