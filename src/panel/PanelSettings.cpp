#include "panel/PanelSettings.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "lang/Language.h"
#include "link/CommandTable.h"
#include "panel/FieldText.h"

namespace kx::panel {
namespace {

constexpr const char* kKeyPort = "link/port";
constexpr const char* kKeyBaud = "link/baud";
constexpr const char* kKeyAddress = "link/address";
constexpr const char* kKeyPeriod = "acquisition/period";
constexpr const char* kKeyCurrentRange = "acquisition/currentRange";
constexpr const char* kKeyWindowX = "window/x";
constexpr const char* kKeyWindowY = "window/y";

// A whole number as the panel's edits take it; anything else (a list, a point,
// "12abc", an empty text) is not one.
std::optional<int> WholeNumber(const QSettings& store, const char* key) {
  const QVariant v = store.value(QLatin1String(key));
  if (v.typeId() == QMetaType::QString) return FieldText::ParseInt(v.toString());
  if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong) {
    bool ok = false;
    const int n = v.toInt(&ok);
    if (ok) return n;
  }
  return std::nullopt;
}

// The text of a number field when it is a whole number within [low, INT_MAX].
std::optional<QString> NumberText(const QSettings& store, const char* key, int low) {
  const auto n = WholeNumber(store, key);
  if (!n || *n < low) return std::nullopt;
  return QString::number(*n);
}

std::optional<QString> Folder(const QSettings& store, const char* key) {
  const QVariant v = store.value(QLatin1String(key));
  if (v.typeId() != QMetaType::QString) return std::nullopt;
  const QString path = v.toString();
  if (path.isEmpty() || !QDir::isAbsolutePath(path) || !QDir(path).exists()) return std::nullopt;
  return path;
}

bool OnSomeScreen(QPoint p) {
  const auto screens = QGuiApplication::screens();
  return std::any_of(screens.begin(), screens.end(), [p](const QScreen* s) { return s->geometry().contains(p); });
}

}  // namespace

PanelSettings ReadPanelSettings(QSettings& store) {
  PanelSettings s;
  if (const auto n = WholeNumber(store, kKeyPort); n && *n >= 1) s.port = *n;
  if (const auto n = WholeNumber(store, kKeyBaud); n && std::ranges::find(kBaudRates, *n) != std::end(kBaudRates))
    s.baud = *n;
  if (const auto n = WholeNumber(store, kKeyAddress); n && *n >= 0 && *n <= 255) s.address = *n;
  // A period of 0 reads as fast as the unit answers; a current range of 0 scales nothing.
  if (const auto t = NumberText(store, kKeyPeriod, 0)) s.period = *t;
  if (const auto t = NumberText(store, kKeyCurrentRange, 1)) s.currentRange = *t;
  const auto x = WholeNumber(store, kKeyWindowX), y = WholeNumber(store, kKeyWindowY);
  if (x && y && OnSomeScreen({*x, *y})) s.windowPos = QPoint(*x, *y);
  if (const auto f = Folder(store, kKeyOpenFolder)) s.openFolder = *f;
  if (const auto f = Folder(store, kKeySaveFolder)) s.saveFolder = *f;
  if (const auto f = Folder(store, kKeyLogFolder)) s.logFolder = *f;
  if (const QVariant v = store.value(QLatin1String(kKeyLanguage)); v.typeId() == QMetaType::QString)
    s.language = ParseLanguage(v.toString().toStdString());
  return s;
}

void WritePanelSettings(QSettings& store, const PanelSettings& s) {
  store.setValue(QLatin1String(kKeyPort), s.port);
  store.setValue(QLatin1String(kKeyBaud), s.baud);
  store.setValue(QLatin1String(kKeyAddress), s.address);
  store.setValue(QLatin1String(kKeyPeriod), s.period);
  store.setValue(QLatin1String(kKeyCurrentRange), s.currentRange);
  if (s.windowPos) {
    store.setValue(QLatin1String(kKeyWindowX), s.windowPos->x());
    store.setValue(QLatin1String(kKeyWindowY), s.windowPos->y());
  } else {
    store.remove(QLatin1String(kKeyWindowX));
    store.remove(QLatin1String(kKeyWindowY));
  }
  const std::pair<const char*, const QString*> folders[] = {
      {kKeyOpenFolder, &s.openFolder}, {kKeySaveFolder, &s.saveFolder}, {kKeyLogFolder, &s.logFolder}};
  for (const auto& [key, folder] : folders) {
    if (folder->isEmpty()) {
      store.remove(QLatin1String(key));
    } else {
      store.setValue(QLatin1String(key), *folder);
    }
  }
  if (s.language)
    store.setValue(QLatin1String(kKeyLanguage), QLatin1String(LanguageCode(*s.language)));
  else
    store.remove(QLatin1String(kKeyLanguage));
  store.sync();
}

std::unique_ptr<QSettings> OpenUserSettings() {
  const QString path =
      QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/kx4200/kx4200.ini");
  // QSettings reads whatever stands there: a FIFO would hang the panel, a device
  // be read from. Only a regular file, or none yet, is the store.
  const QByteArray name = QFile::encodeName(path);
  std::string refusal;
  struct stat st{};
  if (::stat(name.constData(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) refusal = "is not a regular file";
  } else if (errno != ENOENT) {
    refusal = std::string("cannot be used: ") + std::strerror(errno);
  }
  if (!refusal.empty()) {
    std::fprintf(stderr, "kx4200: %s %s; the panel's settings are neither read nor remembered\n", name.constData(),
                 refusal.c_str());
    return nullptr;
  }
  return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

}  // namespace kx::panel
