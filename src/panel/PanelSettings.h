#pragma once
// What the panel remembers between runs (~/.config/kx4200/kx4200.ini): the link,
// the acquisition's period and current range, where the window was, the last
// folders of the file dialogs and the language. Never the factory mode, never a
// password. The defaults are the panel's start-up values.

#include <QPoint>
#include <QString>
#include <memory>
#include <optional>

#include "lang/LanguageId.h"
#include "link/CommandTable.h"

class QSettings;

namespace kx::panel {

struct PanelSettings {
  int port = 1;
  int baud = kx::kDefaultBaud;  // a rate of the baud list
  int address = 0;
  QString period = QStringLiteral("1000");
  QString currentRange = QStringLiteral("1000");
  std::optional<QPoint> windowPos;  // none: where the window system puts it
  QString openFolder, saveFolder, logFolder;  // empty: the current folder
  std::optional<kx::Language> language;  // none: the desktop's (chosen at start)

  bool operator==(const PanelSettings&) const = default;
};

// Each field is read and checked on its own: one missing, unreadable or out of
// range (a port below 1, a rate not in the list, an address beyond 0..255, a
// period or range that is not a whole number the panel takes, a position on no
// screen, a folder that is gone, a language other than "zh" and "en") falls back
// to its default; the others stay.
PanelSettings ReadPanelSettings(QSettings& store);
void WritePanelSettings(QSettings& store, const PanelSettings& settings);

// The folders are written as soon as they are chosen, under these keys.
inline constexpr const char* kKeyOpenFolder = "folders/open";
inline constexpr const char* kKeySaveFolder = "folders/save";
inline constexpr const char* kKeyLogFolder = "folders/log";
// The language too, when chosen in the context menu: "zh" or "en".
inline constexpr const char* kKeyLanguage = "ui/language";

// The store of the program: QSettings in INI format under the user's
// configuration folder (XDG_CONFIG_HOME, ~/.config by default): kx4200/kx4200.ini.
// Null, after saying so on stderr, when something other than a regular file
// stands there (a FIFO would hang the panel): nothing is then read or remembered.
std::unique_ptr<QSettings> OpenUserSettings();

}  // namespace kx::panel
