// The panel in English: every text it shows, in both sizes and after a reading,
// is English and fits its control; its failures speak English; the language
// chosen in its context menu is kept for the next start.

#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>

#include "PanelFixture.h"
#include "WidgetTexts.h"
#include "lang/Language.h"
#include "link/Exchange.h"
#include "panel/PanelSettings.h"
#include "panel/PanelTexts.h"

namespace {

using namespace kx::panel::ids;

std::string Lines(const std::vector<std::string>& problems) {
  std::string text;
  for (const std::string& p : problems) text += p + "\n";
  return text;
}

// The context menu's language item: the one text of the menu in both languages.
QAction* LanguageItem(const QMenu& menu) {
  for (QAction* a : menu.actions())
    if (a->menu() && a->text() == QString::fromUtf8(kx::msg::kLanguageItem)) return a;
  return nullptr;
}

class EnglishPanel : public PanelFixture {
 protected:
  void SetUp() override {
    PanelFixture::SetUp();
    panel->SetWaitScale(0.05);
  }
  void OpenFactoryStrip() {
    prompts.onExec = [](QDialog& dialog) {
      dialog.findChild<QLineEdit*>(QString::number(kEditPassword))->setText("531790");
      dialog.findChild<QPushButton*>(QString::number(kButtonOk))->click();
      return dialog.result();
    };
    panel->OnFactoryMode();
  }

  // Made before the panel, so that it is built in English.
  const kx::ScopedLanguage english{kx::Language::English};
};

TEST_F(EnglishPanel, EveryTextIsEnglishAndFitsInBothSizes) {
  device->SetAllCells(3.3);
  IconButton(kBtnAcquire)->click();
  ASSERT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  panel->show();
  EXPECT_EQ(Lines(kx::test::TextProblems(*panel)), "");

  OpenFactoryStrip();
  EXPECT_EQ(prompts.Texts(), QStringList{"Operation successful!"});
  EXPECT_EQ(Lines(kx::test::TextProblems(*panel)), "");

  const std::unique_ptr<QMenu> menu = panel->ContextMenu();
  QAction* language = LanguageItem(*menu);
  ASSERT_NE(language, nullptr);
  QStringList names;
  for (const QAction* a : language->menu()->actions()) names << a->text() + (a->isChecked() ? "*" : "");
  EXPECT_EQ(names, QStringList({"中文", "English*"}));
  menu->removeAction(language);
  EXPECT_EQ(Lines(kx::test::MenuProblems(*menu)), "");
  panel->hide();
}

TEST_F(EnglishPanel, AFailedReadingAndAFailedDownloadSayWhyInEnglish) {
  device->SetFault(kx::Fault::Silence, 1);
  IconButton(kBtnAcquire)->click();
  device->SetGroups(kx::VirtualDevice::DefaultGroups(0));
  device->SetFault(kx::Fault::Silence, 1, 0, -1, 0x08);  // the group's first packet
  IconButton(kBtnReadGroup)->click();
  Edit(kEditPort)->setText("7");  // nothing behind it
  IconButton(kBtnReadGroup)->click();
  EXPECT_EQ(prompts.Texts(), QStringList({"Communication failed", "Reading data failed", "Reading curve data failed",
                                          " Communication failed!", "Read data error"}));
  // Under the application's title.
  for (const ScriptedPrompts::Shown& shown : prompts.shown) EXPECT_EQ(shown.caption, "") << shown.text.toStdString();
}

TEST_F(EnglishPanel, TheLanguageChosenIsKeptForTheNextStart) {
  QTemporaryDir dir;
  const QString file = dir.filePath("kx4200.ini");
  panel->UseSettings([file] { return std::make_unique<QSettings>(file, QSettings::IniFormat); }, false);
  EXPECT_EQ(panel->CurrentSettings().language, std::nullopt);  // the desktop's, not frozen
  EXPECT_EQ(panel->NextLanguage(), kx::Language::English);

  const std::unique_ptr<QMenu> menu = panel->ContextMenu();
  LanguageItem(*menu)->menu()->actions().at(0)->trigger();  // 中文
  // Said in both languages, and the panel goes on in English.
  EXPECT_EQ(prompts.Texts(), QStringList{"语言将在下次启动时生效。\nThe language changes at the next start."});
  EXPECT_EQ(kx::CurrentLanguage(), kx::Language::English);
  EXPECT_EQ(QSettings(file, QSettings::IniFormat).value(kx::panel::kKeyLanguage).toString(), "zh");
  EXPECT_EQ(panel->NextLanguage(), kx::Language::Chinese);

  // Written with the rest when the panel closes, read back; anything else is no choice.
  panel->RememberLanguage(kx::Language::English);
  panel->reject();
  QSettings store(file, QSettings::IniFormat);
  EXPECT_EQ(kx::panel::ReadPanelSettings(store).language, kx::Language::English);
  store.setValue(kx::panel::kKeyLanguage, "fr");
  EXPECT_EQ(kx::panel::ReadPanelSettings(store).language, std::nullopt);
}

}  // namespace
