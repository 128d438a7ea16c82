// The English translation: its file against the sources, its formats against
// their Chinese originals, and the texts the layers hand out in each language.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <cstdlib>

#include "lang/Language.h"
#include "link/LiveReading.h"
#include "texts/ChineseTexts.h"
#include "texts/Messages.h"

namespace kx {
namespace {

// The conversions a printf format or a Qt %N text takes, in order: what a
// translation must keep, or the text is filled wrongly (or not safely).
QStringList Conversions(const QString& text) {
  static const QRegularExpression conversion(
      QStringLiteral(R"(%[-+ #0]*\d*(?:\.\d+)?(hh|h|ll|l|z|j|t|L)?([diouxXeEfgGcsp%])|%(\d+))"));
  QStringList found;
  for (auto it = conversion.globalMatch(text); it.hasNext();) {
    const auto m = it.next();
    found << (m.captured(3).isEmpty() ? m.captured(1) + m.captured(2) : "%" + m.captured(3));
  }
  return found;
}

TEST(Translations, EveryTranslationTakesTheConversionsOfItsSource) {
  QFile file(QStringLiteral(KX_TRANSLATION_FILE));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  QString context, source;
  int checked = 0;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.name() == u"name") context = xml.readElementText();
    if (xml.name() == u"source") source = xml.readElementText();
    if (xml.name() == u"translation") {
      const QString translation = xml.readElementText();
      EXPECT_FALSE(translation.isEmpty()) << context.toStdString() << ": " << source.toStdString();
      QStringList want = Conversions(source), got = Conversions(translation);
      if (!source.contains(QRegularExpression(QStringLiteral(R"(%\d)")))) {  // printf: in order
        EXPECT_EQ(want, got) << context.toStdString() << ": " << source.toStdString() << " -> "
                             << translation.toStdString();
      } else {  // Qt's %N may move
        want.sort();
        got.sort();
        EXPECT_EQ(want, got) << context.toStdString() << ": " << source.toStdString();
      }
      ++checked;
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_GT(checked, 50);
}

TEST(Translations, TheLayersHandOutTheirTextsInTheLanguageInUse) {
  {
    const ScopedLanguage english(Language::English);
    EXPECT_STREQ(Tr("Messages", msg::kCurveCommFailed), "Communication failed!");
    EXPECT_EQ(LiveFieldLabel(16), "Cell 17");
    EXPECT_EQ(LiveFieldLabel(kLiveAnalogs + 1), "Analog 2");
    EXPECT_EQ(CurveCountText(3, 1), "3 curves, 1 recording");
    EXPECT_EQ(AlarmReport(1u << 8), "Total voltage under-voltage alarm\n");
    EXPECT_EQ(FormatDeviceTime({2014, 5, 6, 9, 3, 7}), "2014-5-6 9:03:07");
    // The alarm list stays in the source texts: MQTT and JSON carry them.
    EXPECT_EQ(DecodeAlarmWord(1u << 8).texts, std::vector<std::string>{"总电压欠压报警"});
    EXPECT_EQ(QTr("Messages", "no such text"), QStringLiteral("no such text"));
  }
  EXPECT_EQ(CurrentLanguage(), Language::Chinese);
  EXPECT_STREQ(Tr("Messages", msg::kCurveCommFailed), "通讯失败!");
  EXPECT_EQ(LiveFieldLabel(16), "电池17");
  EXPECT_EQ(FormatDeviceTime({2014, 5, 6, 9, 3, 7}), "2014年-5月-6日-9时-3分-7秒");
}

TEST(Translations, TheChoiceOfLanguage) {
  EXPECT_EQ(ParseLanguage("en"), Language::English);
  EXPECT_EQ(ParseLanguage("zh"), Language::Chinese);
  EXPECT_EQ(ParseLanguage("english"), std::nullopt);
  EXPECT_EQ(LanguageOfUiLanguages({"en-US", "zh-CN"}), Language::English);
  EXPECT_EQ(LanguageOfUiLanguages({"en"}), Language::English);
  EXPECT_EQ(LanguageOfUiLanguages({"de-DE", "en-US"}), Language::Chinese);
  EXPECT_EQ(LanguageOfUiLanguages({"C"}), Language::Chinese);
  EXPECT_EQ(LanguageOfUiLanguages({}), Language::Chinese);

  const auto choose = [](const char* all, const char* messages, const char* lang) {
    for (auto [name, value] : {std::pair{"LC_ALL", all}, {"LC_MESSAGES", messages}, {"LANG", lang}})
      value ? setenv(name, value, 1) : unsetenv(name);
    return LanguageOfEnvironment();
  };
  EXPECT_EQ(choose(nullptr, nullptr, "en_GB.UTF-8"), Language::English);
  EXPECT_EQ(choose("C.UTF-8", nullptr, "en_GB.UTF-8"), Language::Chinese);  // LC_ALL first
  EXPECT_EQ(choose("", "en_US", "zh_CN.UTF-8"), Language::English);       // an empty one does not count
  EXPECT_EQ(choose(nullptr, nullptr, "eng"), Language::Chinese);
  EXPECT_EQ(choose(nullptr, nullptr, nullptr), Language::Chinese);
  choose("C.UTF-8", nullptr, nullptr);  // as the test main set it
}

}  // namespace
}  // namespace kx
