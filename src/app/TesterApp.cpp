#include "app/TesterApp.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QIcon>
#include <QLocale>
#include <QSettings>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <span>
#include <string>

#include "files/SafeFile.h"
#include "kxres/ResourcePaths.h"
#include "lang/Language.h"
#include "link/NetLine.h"
#include "panel/PanelSettings.h"
#include "panel/TesterDlg.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"
#include "ui/SongFont.h"
#include "version/Version.h"

namespace {

const char* const kUsage =
    "Usage: kx4200 [--com N=PATH]... [--simulate] [--defaults] [--lang zh|en]\n"
    "\n"
    "The service and test panel for the battery monitoring unit.\n"
    "\n"
    "  --com N=PATH   let port number N on the panel mean the device PATH, or a\n"
    "                 serial server: tcp://HOST:PORT or rfc2217://HOST:PORT, each\n"
    "                 with ?extra-wait=MS (default 100) added to every reply wait\n"
    "                 (repeatable; e.g. --com 1=/dev/ttyUSB0 --com 2=rfc2217://10.0.0.5:4001)\n"
    "  --simulate     serve a simulated unit on a pseudo-terminal and map port 1 to it\n"
    "  --defaults     start with the start-up values, not the remembered ones; the\n"
    "                 settings shown when the panel closes are remembered as usual\n"
    "  --screenshot FILE  save a picture of the panel as it starts (PNG) and quit\n"
    "  --lang zh|en   the panel's language: Chinese or English (remembered); without\n"
    "                 it the one remembered, else English when the desktop's first\n"
    "                 language is English and Chinese otherwise\n"
    "  --help         show this text\n"
    "  --version      show the program's version\n"
    "\n"
    "Without --com, port N is the N-th serial device found: USB adapters (ttyUSB*)\n"
    "first, then ttyACM*, then the other serial ports. The port edit's tooltip shows\n"
    "the device a number means.\n"
    "\n"
    "The panel remembers the port number, baud rate, address, acquisition period,\n"
    "current range, window position, language and the last folders of its file\n"
    "dialogs in ~/.config/kx4200/kx4200.ini (below $XDG_CONFIG_HOME when set).\n";

// SIGTERM, SIGHUP and SIGINT (a logout, a closed terminal, Ctrl-C) close the
// panel as its close button does, so that its settings are remembered and the
// simulated unit's folder goes. The handler only wakes the event loop through a
// pipe; a second signal of the same kind ends the program at once.
class QuitSignals {
 public:
  QuitSignals() {
    if (::pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    struct sigaction action{};
    action.sa_handler = [](int) {
      const char byte = 1;
      [[maybe_unused]] const ssize_t n = ::write(s_pipe[1], &byte, 1);
    };
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals) ::sigaction(signal, &action, nullptr);
  }
  ~QuitSignals() {
    for (int signal : kSignals) ::signal(signal, SIG_DFL);
    for (int& fd : s_pipe) {
      if (fd >= 0) ::close(fd);
      fd = -1;
    }
  }
  QuitSignals(const QuitSignals&) = delete;
  QuitSignals& operator=(const QuitSignals&) = delete;

  int ReadFd() const { return s_pipe[0]; }
  void Drain() const {
    char bytes[16];
    while (::read(s_pipe[0], bytes, sizeof bytes) > 0) {
    }
  }

 private:
  static constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
  static inline int s_pipe[2] = {-1, -1};
};

// As a logout: whatever the operator has open on top of the panel is dismissed,
// then the panel closes (remembering its settings, ending an exchange in flight).
void CloseForQuit(CTesterDlg& panel) {
  for (int i = 0; i < 16; ++i) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == &panel) break;
    if (auto* dialog = qobject_cast<QDialog*>(modal))
      dialog->reject();
    else
      modal->close();
  }
  panel.close();
}

// The picture of the panel through the file module, as every file the tool writes.
int SaveScreenshot(CTesterDlg& panel, const std::string& path) {
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly) || !panel.grab().save(&buffer, "PNG")) {
    std::fprintf(stderr, "kx4200: could not draw the panel for %s\n", path.c_str());
    return 1;
  }
  const kx::files::FileResult written = kx::files::WriteFile(
      path, std::span(reinterpret_cast<const uint8_t*>(png.constData()), static_cast<size_t>(png.size())));
  if (!written.ok()) {
    std::fprintf(stderr, "kx4200: %s\n", kx::files::Describe(written).c_str());
    return 1;
  }
  return 0;
}

}  // namespace

AppOptions ParseAppOptions(const QStringList& arguments) {
  AppOptions options;
  bool mapped = false;
  for (int i = 1; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
      options.help = true;
    } else if (a == QLatin1String("--version")) {
      options.version = true;
    } else if (a == QLatin1String("--defaults")) {
      options.defaults = true;
    } else if (a == QLatin1String("--simulate")) {
      options.simulate = true;
    } else if (a == QLatin1String("--screenshot")) {
      if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
        options.error = "--screenshot needs a file name";
        return options;
      }
      options.screenshot = arguments[++i];
    } else if (a == QLatin1String("--lang") || a.startsWith(QLatin1String("--lang="))) {
      if (a == QLatin1String("--lang") && i + 1 >= arguments.size()) {
        options.error = "--lang needs zh or en";
        return options;
      }
      const QString value = a == QLatin1String("--lang") ? arguments[++i] : a.mid(7);
      options.language = kx::ParseLanguage(value.toStdString());
      if (!options.language) {
        options.error = "--lang takes zh or en, not '" + value.toStdString() + "'";
        return options;
      }
    } else if (a == QLatin1String("--com") || a.startsWith(QLatin1String("--com="))) {
      QString value;
      if (a == QLatin1String("--com")) {
        if (i + 1 >= arguments.size()) {
          options.error = "--com needs N=PATH";
          return options;
        }
        value = arguments[++i];
      } else {
        value = a.mid(6);
      }
      if (!options.naming.MapFromText(value.toStdString())) {
        options.error = "--com needs N=PATH with N a positive port number, not '" + value.toStdString() + "'";
        return options;
      }
      const std::string path = value.mid(value.indexOf('=') + 1).toStdString();
      if (std::string error; kx::IsNetPortName(path) && !kx::ParseNetPortName(path, error)) {
        options.error = "--com: " + error;
        return options;
      }
      mapped = true;
    } else {
      options.error = "unknown argument '" + a.toStdString() + "'";
      return options;
    }
  }
  // The simulated unit takes port 1; a mapping beside it would be silently ignored.
  if (options.simulate && mapped) options.error = "--simulate cannot be combined with --com";
  return options;
}

const char* AppUsageText() { return kUsage; }

kx::Language StartLanguage(std::optional<kx::Language> option, std::optional<kx::Language> remembered,
                           const QStringList& uiLanguages) {
  if (option) return *option;
  if (remembered) return *remembered;
  return kx::LanguageOfUiLanguages(uiLanguages);
}

bool AnswerOptions(const AppOptions& options, int& exitCode) {
  if (options.help) {
    std::fputs(kUsage, stdout);
    exitCode = 0;
    return true;
  }
  if (options.version) {
    std::printf("kx4200 %s\n", kx::VersionText());
    exitCode = 0;
    return true;
  }
  if (!options.error.empty()) {
    std::fprintf(stderr, "kx4200: %s\n\n%s", options.error.c_str(), kUsage);
    exitCode = 2;
    return true;
  }
  return false;
}

CTesterApp::CTesterApp() = default;
CTesterApp::~CTesterApp() = default;

int CTesterApp::Run(AppOptions options) {
  int exitCode = 0;
  if (AnswerOptions(options, exitCode)) return exitCode;
  // A bad picture file is refused before anything starts.
  const std::string screenshot = QFile::encodeName(options.screenshot).toStdString();
  if (!screenshot.empty()) {
    const kx::files::FileResult checked = kx::files::CheckOutput(screenshot);
    if (!checked.ok()) {
      std::fprintf(stderr, "kx4200: %s\n", kx::files::Describe(checked).c_str());
      return 2;
    }
  }
  const QuitSignals quitSignals;
  // The dialog face must be mapped before any widget exists.
  kx::InstallDialogFont();
  QIcon icon;
  for (int size : kx::res::kAppIconSizes) icon.addFile(QStringLiteral(":/res/icons/kx4200-%1.png").arg(size));
  QApplication::setWindowIcon(icon);

  if (options.simulate) {
    m_device = std::make_unique<kx::VirtualDevice>();
    m_host = std::make_unique<kx::SimHost>(*m_device);
    if (!m_host->Start()) {
      std::fprintf(stderr, "kx4200: could not start the simulated device (no pseudo-terminal)\n");
      return 1;
    }
    options.naming.Map(1, m_host->Path());
    std::fprintf(stderr, "kx4200: simulated device on %s (port 1)\n", m_host->Path().c_str());
  }
  // The language is chosen before the panel is built, from the store the panel then
  // takes over (opened once). --defaults does not read it, as it reads no setting.
  std::unique_ptr<QSettings> store;
  std::optional<kx::Language> remembered;
  if (!options.defaults) {
    store = kx::panel::OpenUserSettings();
    if (store) remembered = kx::panel::ReadPanelSettings(*store).language;
  }
  kx::UseLanguage(StartLanguage(options.language, remembered, QLocale::system().uiLanguages()));
  CTesterDlg panel(options.naming);
  if (options.defaults)
    panel.UseSettings(kx::panel::OpenUserSettings, true);
  else
    panel.UseSettings([&store] { return std::move(store); }, false);
  if (options.language) panel.RememberLanguage(*options.language);
  if (!screenshot.empty()) {
    panel.show();
    QApplication::processEvents();
    return SaveScreenshot(panel, screenshot);
  }
  // A handler may open another box after the one dismissed: the quit is repeated
  // until the panel's own loop has ended.
  QSocketNotifier quitNotifier(QSocketNotifier::Read);
  QTimer quitting;
  QObject::connect(&quitting, &QTimer::timeout, [&panel] { CloseForQuit(panel); });
  QObject::connect(&quitNotifier, &QSocketNotifier::activated, [&] {
    quitSignals.Drain();
    quitting.start(50);
    CloseForQuit(panel);
  });
  if (quitSignals.ReadFd() >= 0) {
    quitNotifier.setSocket(quitSignals.ReadFd());
    quitNotifier.setEnabled(true);
  }
  panel.exec();
  return 0;
}
