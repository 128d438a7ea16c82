#include "lang/Language.h"

#include <QCoreApplication>
#include <QTranslator>
#include <cstdlib>
#include <mutex>
#include <string>
#include <unordered_map>

#include "texts/Translate.h"

namespace kx {
namespace {

// The English file, compiled in (see CMakeLists.txt).
constexpr const char* kEnglishFile = ":/i18n/kx4200_en.qm";

Language g_language = Language::Chinese;

QTranslator& EnglishTranslator() {
  static QTranslator* translator = [] {
    auto* t = new QTranslator;  // lives as long as the program: its texts are handed out
    if (!t->load(QString::fromLatin1(kEnglishFile))) std::abort();  // the build embeds it
    return t;
  }();
  return *translator;
}

// Tr hands out char pointers that must stay valid: each looked-up text is kept
// once, keyed by context and source.
const char* EnglishLookup(const char* context, const char* source) {
  static std::mutex mutex;
  static std::unordered_map<std::string, std::string> texts;
  std::string key = std::string(context) + '\x1f' + source;
  std::lock_guard lock(mutex);
  auto it = texts.find(key);
  if (it == texts.end()) {
    const QString text = EnglishTranslator().translate(context, source);
    if (text.isEmpty()) return nullptr;
    it = texts.emplace(std::move(key), text.toStdString()).first;
  }
  return it->second.c_str();
}

bool IsEnglish(QStringView name) {
  return name.startsWith(u"en", Qt::CaseInsensitive) && (name.size() == 2 || !name[2].isLetter());
}

}  // namespace

std::optional<Language> ParseLanguage(std::string_view code) {
  if (code == "zh") return Language::Chinese;
  if (code == "en") return Language::English;
  return std::nullopt;
}

const char* LanguageCode(Language language) { return language == Language::English ? "en" : "zh"; }

Language LanguageOfUiLanguages(const QStringList& uiLanguages) {
  return !uiLanguages.isEmpty() && IsEnglish(uiLanguages.first()) ? Language::English : Language::Chinese;
}

Language LanguageOfEnvironment() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) return IsEnglish(QString::fromLocal8Bit(value)) ? Language::English : Language::Chinese;
  }
  return Language::Chinese;
}

void UseLanguage(Language language) {
  g_language = language;
  const bool english = language == Language::English;
  SetTranslator(english ? EnglishLookup : nullptr);
  if (QCoreApplication::instance()) {
    QTranslator& translator = EnglishTranslator();
    if (english)
      QCoreApplication::installTranslator(&translator);
    else
      QCoreApplication::removeTranslator(&translator);
  }
}

Language CurrentLanguage() { return g_language; }

QString QTr(const char* context, const char* source) { return QString::fromUtf8(Tr(context, source)); }

}  // namespace kx
