#pragma once
// The language the program speaks: Chinese (the source texts) or English, from the
// translation file built into the programs. One language for the whole process,
// chosen at start: the panel from --lang, its settings or the desktop; the command
// line from --lang or the environment.

#include <QString>
#include <QStringList>
#include <optional>
#include <string_view>

#include "lang/LanguageId.h"

namespace kx {

// "zh" or "en" (as --lang takes them); nothing for anything else.
std::optional<Language> ParseLanguage(std::string_view code);
const char* LanguageCode(Language language);

// The desktop's choice: English when its first UI language is English (en, en-US,
// ...), Chinese otherwise, a "C" locale and an empty list included.
Language LanguageOfUiLanguages(const QStringList& uiLanguages);
// A command-line tool's choice from the locale variables, the first one set of
// LC_ALL, LC_MESSAGES and LANG: English when it starts with "en", else Chinese.
Language LanguageOfEnvironment();

// Makes language the one every lookup answers in: kx::Tr, QTr and, when an
// application object exists, Qt's own tr(). Not to be called while other threads
// are looking texts up.
void UseLanguage(Language language);
Language CurrentLanguage();

// The text in the current language, as a QString.
QString QTr(const char* context, const char* source);

// Switches the language for a scope (a command-line run, a test) and restores the
// previous one after.
class ScopedLanguage {
 public:
  explicit ScopedLanguage(Language language) : m_previous(CurrentLanguage()) { UseLanguage(language); }
  ~ScopedLanguage() { UseLanguage(m_previous); }
  ScopedLanguage(const ScopedLanguage&) = delete;
  ScopedLanguage& operator=(const ScopedLanguage&) = delete;

 private:
  Language m_previous;
};

}  // namespace kx
