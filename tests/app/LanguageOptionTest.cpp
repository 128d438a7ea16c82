// Which language the panel starts in: --lang, else the one remembered, else the
// desktop's; anything but zh and en is refused as a bad argument.

#include <QProcess>

#include <gtest/gtest.h>

#include "app/TesterApp.h"

namespace {

using kx::Language;

AppOptions Parse(const QStringList& args) { return ParseAppOptions(QStringList{"kx4200"} + args); }

TEST(LanguageOption, LangThenTheRememberedThenTheDesktopChoose) {
  EXPECT_EQ(Parse({"--lang", "en"}).language, Language::English);
  EXPECT_EQ(Parse({"--lang=zh", "--defaults"}).language, Language::Chinese);
  EXPECT_EQ(Parse({"--simulate"}).language, std::nullopt);
  for (const QStringList& bad : {QStringList{"--lang"}, QStringList{"--lang", "de"}, QStringList{"--lang=EN"}})
    EXPECT_NE(Parse(bad).error, "") << bad.join(' ').toStdString();

  const QStringList english{"en-GB", "zh-CN"}, chinese{"zh-CN", "en-US"}, cLocale{"C"};
  EXPECT_EQ(StartLanguage(Language::Chinese, Language::English, english), Language::Chinese);
  EXPECT_EQ(StartLanguage(std::nullopt, Language::Chinese, english), Language::Chinese);
  EXPECT_EQ(StartLanguage(std::nullopt, std::nullopt, english), Language::English);
  EXPECT_EQ(StartLanguage(std::nullopt, std::nullopt, chinese), Language::Chinese);
  EXPECT_EQ(StartLanguage(std::nullopt, std::nullopt, cLocale), Language::Chinese);
  EXPECT_EQ(StartLanguage(std::nullopt, std::nullopt, {}), Language::Chinese);

  QProcess p;
  p.setProcessEnvironment(QProcessEnvironment());  // refused before any display is needed
  p.start(KX_APP_PATH, {"--lang", "fr"});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 2);
  EXPECT_TRUE(p.readAllStandardError().startsWith("kx4200: --lang takes zh or en, not 'fr'"));
}

}  // namespace
