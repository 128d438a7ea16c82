// Panel paths that could go wrong unnoticed: each calibration button's own list
// and channel, gear read-back and index, corrupt packets, the acquisition period as typed, the version read-out's
// clicks and which icon each button shows.

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QApplication>
#include <climits>
#include <fstream>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include "PanelFixture.h"
#include "curves/CurveGroup.h"
#include "link/Exchange.h"
#include "link/UucpLock.h"
#include "chart/CurveViewDlg.h"
#include "widgets/IconPicture.h"

namespace {

using namespace kx::panel::ids;

using Bytes = std::vector<uint8_t>;

// A mouse event as the window system delivers it to the widget.
void Mouse(QWidget* w, QEvent::Type type, Qt::MouseButton button) {
  const QPointF at = QPointF(w->rect().center());
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent event(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}

void Click(QWidget* w, Qt::MouseButton button) {
  Mouse(w, QEvent::MouseButtonPress, button);
  Mouse(w, QEvent::MouseButtonRelease, button);
}

class PanelControlPaths : public PanelFixture {
 protected:
  Bytes LastData() const {
    const auto requests = Requests();
    if (requests.empty() || requests.back().size() < 9) return {};
    const Bytes& r = requests.back();
    return Bytes(r.begin() + 7, r.end() - 2);
  }
};

TEST_F(PanelControlPaths, EachCalibrationButtonReadsOnlyItsOwnListAndSendsItsOwnChannel) {
  constexpr int kLists[] = {kComboCalCell2V,  kComboCalCell6V,  kComboCalCell12V, kComboCalTotal2V,
                            kComboCalTotal6V, kComboCalTotal12V, kComboCalTemp,   kComboCalCurrent};
  constexpr int kButtons[] = {kBtnCalCell2V,  kBtnCalCell6V,   kBtnCalCell12V, kBtnCalTotal2V,
                              kBtnCalTotal6V, kBtnCalTotal12V, kBtnCalTemp,    kBtnCalCurrent};
  constexpr uint8_t kChannels[] = {0x13, 0x12, 0x11, 0x23, 0x22, 0x21, 0x30, 0x40};
  for (size_t i = 0; i < std::size(kButtons); ++i) {
    // Only this row's list has a choice: a button reading another list refuses.
    for (int list : kLists) Combo(list)->setCurrentIndex(-1);
    Combo(kLists[i])->setCurrentIndex(1);
    prompts.Clear();
    Button(kButtons[i])->click();
    EXPECT_EQ(prompts.Texts(), QStringList{QStringLiteral("校准成功!")}) << i;
    EXPECT_EQ(LastData(), (Bytes{kChannels[i], 0x02})) << i;
  }
}

TEST_F(PanelControlPaths, GearReadBackAndTheListsMiddleEntry) {
  for (const auto& [gear, text] : {std::pair{2, "2V"}, std::pair{6, "6V"}}) {
    device->SetGear(gear);
    Button(kBtnReadGear)->click();
    EXPECT_EQ(Edit(kEditRangeGear)->text(), QString::fromUtf8(text));
  }
  Combo(kComboGear)->setCurrentIndex(1);
  Button(kBtnSetGear)->click();
  EXPECT_EQ(LastData(), Bytes{6});
  EXPECT_EQ(device->Gear(), 6);
}

TEST_F(PanelControlPaths, CorruptPacketsAreTakenOnTheirLengthButWarnedAbout) {
  panel->SetWaitScale(0.05);
  device->SetGroups(kx::VirtualDevice::DefaultGroups(kx::MakeLocalTime(2024, 6, 1, 12, 0, 0)));
  device->SetFault(kx::Fault::Checksum, 3, 0, -1, static_cast<uint8_t>(kx::Command::ReadGroup));
  Edit(kEditGroupNo)->setText("1");
  IconButton(kBtnReadGroup)->click();
  EXPECT_EQ(Probe().GroupPoints(), 250);
  EXPECT_EQ(prompts.Texts(), QStringList{QStringLiteral("警告: 3 个数据包校验错误，曲线数据可能有误!")});

  prompts.Clear();
  IconButton(kBtnReadGroup)->click();  // a clean download warns of nothing
  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
}

TEST_F(PanelControlPaths, PeriodAsTypedNonNumericIsZeroAndNegativeNeverFires) {
  for (const auto& [typed, interval] : {std::pair{"abc", 0}, std::pair{"-5", INT_MAX}}) {
    Edit(kEditPeriod)->setText(QString::fromUtf8(typed));
    IconButton(kBtnContinuous)->click();
    ASSERT_TRUE(panel->IsAcquiring()) << typed;
    EXPECT_EQ(panel->AcquisitionTimer().interval(), interval) << typed;
    IconButton(kBtnContinuous)->click();
    ASSERT_FALSE(panel->IsAcquiring()) << typed;
  }
}

TEST_F(PanelControlPaths, VersionReadOutReadsOnceForEachLeftClickOnly) {
  panel->show();
  QWidget* readOut = Static(kStaticVersion);
  auto versionRequests = [&] {
    size_t n = 0;
    for (const Bytes& r : Requests()) n += r.size() > 4 && r[4] == 0x03;
    return n;
  };
  Click(readOut, Qt::RightButton);
  Click(readOut, Qt::MiddleButton);
  EXPECT_EQ(versionRequests(), 0u);
  Click(readOut, Qt::LeftButton);
  EXPECT_EQ(versionRequests(), 1u);
  // A double-click: press, release, press, double-click, release. One read.
  Click(readOut, Qt::LeftButton);
  Mouse(readOut, QEvent::MouseButtonPress, Qt::LeftButton);
  Mouse(readOut, QEvent::MouseButtonDblClick, Qt::LeftButton);
  Mouse(readOut, QEvent::MouseButtonRelease, Qt::LeftButton);
  EXPECT_EQ(versionRequests(), 2u);
}

TEST_F(PanelControlPaths, EachButtonShowsItsOwnIcon) {
  const std::pair<int, const char*> icons[] = {{kBtnOpenFile, "open.ICO"},   {kBtnSaveFile, "save.ICO"},
                                               {kBtnShowCurves, "曲线.ICO"}, {kBtnAcquire, "采集.ICO"},
                                               {kBtnContinuous, "连续采集.ICO"}, {kBtnSetTime, "时间.ICO"},
                                               {kBtnReadGroup, "读取.ICO"}};
  auto render = [](const CIconPicture& picture) {
    QImage image(48, 48, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    picture.RenderAt(&painter, 0, 0);
    return image;
  };
  for (const auto& [id, file] : icons) {
    CIconPicture expected;
    expected.SetNominalSize(IconButton(id)->Icon().NominalSize());
    ASSERT_EQ(expected.LoadFromFile(kx::FindPictureFile(QString::fromUtf8(file))), 1) << file;
    EXPECT_EQ(render(IconButton(id)->Icon()), render(expected)) << file;
  }
}

}  // namespace

namespace {

TEST_F(PanelControlPaths, TheDownloadsOwnOpenFailureARefusedClearAndTheViewersCaption) {
  // Another program takes the port's lock while the count is being answered: the
  // count succeeds, the download's own open fails.
  char real[PATH_MAX];
  ASSERT_NE(::realpath(host->Path().c_str(), real), nullptr);
  const std::string device_ = real;
  const std::string lock = kx::UucpLock::Folder() + "/LCK.." + device_.substr(device_.rfind('/') + 1);
  device->SetRequestObserver([lock](std::span<const uint8_t> r) {
    if (r.size() > 4 && r[4] == static_cast<uint8_t>(kx::Command::QueryCurveCount))
      std::ofstream(lock) << "     " << ::getppid() << "\n";
  });
  Edit(kEditGroupNo)->setText("1");
  IconButton(kBtnReadGroup)->click();
  EXPECT_EQ(prompts.Texts(), QStringList({"打开通信端口失败", "读曲线数据错误"}));
  device->SetRequestObserver({});
  ::unlink(lock.c_str());

  // The unit refuses to clear: said so, and the groups stay.
  prompts.Clear();
  device->SetClearRefused(true);
  prompts.answers = {kx::Prompts::Answer::Yes};
  IconButton(kBtnClearCurves)->click();
  EXPECT_EQ(prompts.Texts(), QStringList({"是否真的清除所有曲线数据?", "清除失败!"}));

  // After a download the viewer is titled with the group's date.
  prompts.Clear();
  IconButton(kBtnReadGroup)->click();
  ASSERT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  QString title;
  prompts.onExec = [&title](QDialog& dialog) {
    // The title it takes when it is shown.
    if (auto* viewer = qobject_cast<CCurveViewDlg*>(&dialog)) title = viewer->m_strTitle;
    return 0;
  };
  IconButton(kBtnShowCurves)->click();
  EXPECT_EQ(title, Static(kStaticGroupDate)->text() + ".bin");
  EXPECT_FALSE(Static(kStaticGroupDate)->text().startsWith("0000"));
}

}  // namespace
