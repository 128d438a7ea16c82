// The unit's texts in the language asked for; JSON keeps the source texts.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "Chinese.h"
#include "CliFixture.h"
#include "lang/LanguageId.h"

namespace {

class CliLanguageTest : public kxtest::CliFixture {};

TEST_F(CliLanguageTest, LangEnPrintsTheUnitsTextsInEnglishAndJsonKeepsTheSourceTexts) {
  device.SetAlarmWordOverride(0x0181);
  EXPECT_EQ(Run({"--lang", "en", "alarms", "get"}), 0);
  EXPECT_EQ(out.out, "Total voltage under-voltage alarm\nTotal voltage over-voltage alarm\nTemp 1 high alarm\n");

  EXPECT_EQ(Run({"acquire", "--lang", "en"}), 0);  // after the command as well
  EXPECT_NE(out.out.find("\nCell 17 "), std::string::npos) << out.out;
  EXPECT_FALSE(kx::test::HasChinese(QString::fromStdString(out.out + out.err))) << out.out << out.err;

  EXPECT_EQ(Run({"--lang", "en", "download", "9"}), 1);
  EXPECT_NE(out.err.find("No data for this curve"), std::string::npos) << out.err;
  EXPECT_FALSE(kx::test::HasChinese(QString::fromStdString(out.err))) << out.err;

  // The environment's choice (main reads LC_ALL, LC_MESSAGES, LANG) stands without --lang.
  hooks.language = kx::Language::English;
  EXPECT_EQ(Run({"alarms", "get"}), 0);
  EXPECT_EQ(out.out.substr(0, 5), "Total");
  EXPECT_EQ(Run({"--lang", "zh", "alarms", "get"}), 0);
  EXPECT_EQ(out.out.substr(0, 21), "总电压欠压报警");
  EXPECT_EQ(Run({"--json", "alarms", "get"}), 0);
  const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(out.out)).object();
  EXPECT_EQ(o["alarms"].toArray().first().toString(), QStringLiteral("总电压欠压报警"));

  // A refusal that quotes the panel quotes it in the language asked for.
  EXPECT_EQ(Run({"--lang", "en", "clear"}), 2);
  EXPECT_NE(out.err.find("(Really clear all curve data?); add --yes"), std::string::npos) << out.err;
  EXPECT_EQ(RunBare({"--lang", "fr", "--simulate", "version"}), 2);
  EXPECT_NE(out.err.find("--lang must be zh or en, not 'fr'"), std::string::npos) << out.err;
}

}  // namespace
