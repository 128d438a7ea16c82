#pragma once
// The main control panel: every setting the operator types, every read-out, the
// open port, and the handlers of all device operations. The handlers are split
// over several source files by concern (acquisition, clock, curve download, curve
// files, factory gate, device settings, calibration, alarms); every one that talks
// to the device goes through RunOnPort.

#include <QDialog>
#include <QElapsedTimer>
#include <QSettings>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

#include "chart/CurveViewDlg.h"
#include "files/SafeFile.h"
#include "lang/Language.h"
#include "link/CurveTransfer.h"
#include "link/Exchange.h"
#include "link/LiveReading.h"
#include "link/PortNaming.h"
#include "link/SerialPort.h"
#include "panel/ExchangeWorker.h"
#include "panel/PanelSettings.h"
#include "widgets/IconButton.h"

class QCheckBox;
class QComboBox;
class QEventLoop;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableWidget;
class CLiveTrendDlg;
class CProtocolViewDlg;

class CTesterDlg : public QDialog {
  Q_OBJECT
  // The test suites' view of the fields (tests/support/PanelProbe.h).
  friend class PanelProbe;

 public:
  // The five alarm groups, each with its "开/关" switch.
  enum AlarmGroup { kAlarmVolt, kAlarmCurrent, kAlarmTemp1, kAlarmTemp2, kAlarmTemp3 };
  static constexpr int kAlarmGroups = 5;

  // naming resolves the panel's port number to a device path.
  explicit CTesterDlg(kx::PortNaming naming = kx::PortNaming(), QWidget* parent = nullptr);
  ~CTesterDlg() override;

  // Dialog data exchange: save = true reads the controls into the fields (false
  // and a prompt at the first field that does not convert; later fields keep
  // their values), save = false writes the fields into the controls.
  bool UpdateData(bool save = true);

  // The control with the given template id (panel/ControlIds.h), or nullptr.
  QWidget* Control(int id) const;
  template <class T>
  T* ControlAs(int id) const { return qobject_cast<T*>(Control(id)); }

  // Opens the port from the panel's fields (port number, selected baud item), once
  // the worker is done with the line (a tick, a drain).
  bool OpenPort();
  // Closes m_hComm and sets it to null.
  void ClosePort();
  // Why the last OpenPort failed.
  kx::LinkError LastOpenError() const { return m_lastOpenError; }
  // The device path the port number currently means (empty when none).
  QString ResolvedPortPath() const;
  const kx::PortNaming& PortNames() const { return m_naming; }
  // Multiplies every wait of the panel's exchanges (1 in the program; tests
  // shorten the waits for a silent unit). Applies from the next port opened.
  void SetWaitScale(double scale) { m_waitScale = scale; }

  // Busy rule: continuous acquisition is running.
  bool IsAcquiring() const { return m_bContinuous != 0; }
  // Shows a message box with the application's title (through the prompts seam); the
  // text is shown as it is, in the language it comes in.
  void ShowMessage(const QString& text);
  void ShowMessage(const char* utf8);

  // ---- operations: the handlers of the panel's clicks ----
  // Live acquisition
  void OnAcquire();
  void OnContinuous();
  void OnTimer();
  // Device clock
  void OnSetTime();
  void OnReadTime();
  // Curve group download
  void OnQueryCurveCount();
  void OnReadGroup();
  void OnViewPoint();
  // Curve files and clearing
  void OnOpenCurveFile();
  void OnSaveCurveFile();
  void OnShowCurves();
  void OnClearCurves();
  // Factory gate
  void OnFactoryMode();
  // Device identity and link settings
  void OnVersionClicked();
  void OnReadVersion();
  void OnSetAddress();
  void OnSetBaud();
  // Range gear and calibration
  void OnSetGear();
  void OnReadGear();
  void OnCalibrate(int button);  // the row's "校准" button id
  // Alarm registers
  void OnReadAlarm();
  void OnSetVoltAlarm();
  void OnSetCurrentAlarm();
  void OnSetTempAlarm(int which);  // 1, 2 or 3
  void OnAlarmSwitch(AlarmGroup group);

  // ---- seams ----
  // Where "now" comes from for setting the device clock (tests fix it); the
  // program uses the system clock. Seconds since 1970, UTC.
  void SetClockSource(std::function<int64_t()> now) { m_clockNow = std::move(now); }
  // Timer 1, which paces continuous acquisition.
  const QTimer& AcquisitionTimer() const { return m_acquisitionTimer; }
  // Called after a save's temporary file is complete and before it replaces the
  // target; returning false stops the save there (tests interrupt it).
  void SetSaveInterruption(std::function<bool(const std::string&)> beforeRename) {
    m_beforeSaveRename = std::move(beforeRename);
  }

  // Opens "实时曲线" (its button and the panel's context menu offer it).
  void ShowLiveTrend();
  CLiveTrendDlg& LiveTrend();
  // Opens "通讯监视", the protocol view (the panel's context menu offers it).
  void ShowProtocolView();
  CProtocolViewDlg& ProtocolView();

  // "生成报告…" (the context menu): asks for a PDF file, reads the unit through the
  // port and writes the test report, with the held curve group on page 2.
  void MakeReport();

  // ---- remembered settings ----
  // Attaches how the store the panel remembers its settings in is opened (the panel
  // itself names none, so that tests keep away from the user's). It is opened once:
  // at once, its values shown, unless startWithDefaults, which needs no file until
  // something is remembered. The settings are written back when the panel closes,
  // and each folder as soon as it is chosen; a null store remembers nothing.
  using SettingsOpener = std::function<std::unique_ptr<QSettings>()>;
  void UseSettings(SettingsOpener open, bool startWithDefaults);
  // The settings as the controls show them now (a field that does not convert
  // keeps its last good value), and showing given ones.
  kx::panel::PanelSettings CurrentSettings() const;
  void ApplySettings(const kx::panel::PanelSettings& settings);
  // Writes CurrentSettings() to the attached store, if any.
  void SaveSettings();

  // The file the running acquisition is logged to (empty when it is not).
  QString LogPath() const;

  // The language the next start speaks: the one chosen in the context menu, given
  // with --lang or remembered; the one in use when none is.
  kx::Language NextLanguage() const { return m_language.value_or(kx::CurrentLanguage()); }
  // Keeps language with the settings, written when the panel closes (--lang).
  void RememberLanguage(kx::Language language) { m_language = language; }
  // "语言 / Language" (the context menu): keeps the choice at once and says that it
  // applies at the next start; the panel goes on in the language it speaks.
  void ChooseLanguage(kx::Language language);

  // Opens the About box (the panel's context menu offers it).
  void ShowAbout();
  // The text of string 101, the About item.
  static QString AboutItemText();

  // The panel's context menu (a right click); each item does its work when triggered.
  std::unique_ptr<QMenu> ContextMenu();

  // The operation in flight is cancelled ("取消" beside its progress, or Esc):
  // the port is interrupted at once. Only a curve group download can be cancelled.
  void CancelExchange();

 signals:
  // The progress strip's text changed (also while the strip is not yet in view).
  void ProgressChanged(const QString& text);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // However the panel goes (close button, Esc), the log is closed and the settings kept.
  void done(int result) override;
  // Swallows input to the panel's controls while an exchange runs.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // ---- running an operation on the port ----
  // The part of an operation that talks to the device: it gets the open port and
  // the values it captured by value, and touches no widget and no member, so
  // that it can run away from the GUI thread.
  template <class Result>
  using Exchange = std::function<Result(kx::Port&)>;

  enum class Busy { Allowed, Refused };  // Refused: "请先停止当前采集!" while acquiring
  // How an operation comes by its port.
  struct PortUse {
    const char* openFailure;         // shown when the port does not open (texts/Messages.h); nullptr: nothing
    Busy busy = Busy::Allowed;
    bool readFirst = true;           // read the controls into the fields before the busy rule
    std::function<bool()> ready{};   // the operation's own check before the port is opened;
                                     // it shows why it refuses (Refuse)
    int waitMs = 0;                  // the wait the unit is allowed (progress); 0: not known
    bool download = false;           // a curve download: its own progress, and it can be cancelled
  };

  // The one sequence of every device operation, in the order the operator sees
  // it: read the fields, apply the busy rule and the operation's own check, open
  // the port (which reads the fields again; use.openFailure when it does not
  // open), capture() the exchange with the values it needs, run it, close the
  // port, then done(result) shows the outcome and updates fields and controls.
  // capture and done run on the GUI thread, the exchange on the worker; done is
  // skipped when the operation was cancelled or the panel closed meanwhile.
  template <class Capture, class Done>
  void RunOnPort(const PortUse& use, Capture capture, Done done);
  // Runs job on the worker with the open port and waits for it in a nested event
  // loop (input to the controls swallowed, progress shown after a moment). False
  // when it was cancelled or the panel closed meanwhile.
  bool RunExchange(const std::function<void(kx::Port&)>& job, const PortUse& use);
  // Waits (as RunExchange does) for what the worker still does on the line: a
  // continuous acquisition tick in flight, or the drain after a cancelled download.
  void AwaitLine();
  // After a cancelled download the unit goes on sending the packet it had begun:
  // the port is reopened and that rest taken off the line on the worker.
  void DrainCancelled();
  void FinishDrain();
  // The wait the table allows a command, as the exchange will wait it.
  int WaitOf(kx::Command command) const;
  // A download's progress callback: it hands each report to the GUI thread.
  kx::GroupProgressCallback DownloadProgress();
  void ShowDownloadProgress(const kx::GroupProgress& progress);
  void BuildProgressStrip();
  void BeginProgress(const PortUse& use);
  void UpdateProgress();
  void SetProgressText(const QString& text);
  void EndProgress();
  void StartTickOnWorker();
  void FinishTick(const kx::ExchangeResult& result);
  // A tick that fell due while one ran (or an exchange did) comes once, afterwards,
  // as a window timer's does.
  void DeliverDueTick();
  // Shows "请先停止当前采集!" and returns true while continuous acquisition runs.
  bool RefusedWhileAcquiring();
  // Shows why an operation does not go ahead (a text of PanelTexts.h); false, for PortUse::ready.
  bool Refuse(const char* text);

  // ---- steps shared by several operations ----
  // A reading of the live values: reads the fields and captures the exchange; its
  // completion fills the live table (false when the reading failed).
  Exchange<kx::ExchangeResult> LiveExchange();
  // Returns the reading shown; empty when the reading failed.
  std::optional<kx::LiveReading> ShowLiveValues(const kx::ExchangeResult& result);
  // After a good reading's values are shown: the extremes, the greyed cells, the
  // values beyond the alarm thresholds, the live trend.
  void ShowCellMarks(const kx::LiveReading& reading);
  void ShowThresholds();
  void ConnectLiveMarks();
  int QueryCurveCount();
  // badPackets: how many packets failed their checksum (the group is taken all the same).
  bool ReadGroupImage(int group, int& badPackets);
  bool ReadGroupDate();
  bool ClearCurves(int address);
  void ReadVersionInto(bool alsoStatus);
  void SetAlarm(AlarmGroup group);
  QCheckBox* AlarmSwitchBox(AlarmGroup group) const;

  // The log of a continuous run ("记录"): asked for as the run starts, one row per
  // tick, closed when the run stops; a failed write ends it with a message.
  void StartLog();
  void LogReading(const kx::LiveReading* reading);
  void StopLog();
  // Keeps the folder of a chosen file as the next dialog's start (and in the store).
  void RememberFolder(QString& folder, const char* key, const QString& chosenFile);

  void BuildControls();
  void OnInitDialog();
  void OnAddressChanged();
  void ConnectHandlers();
  // Each concern wires its own buttons (its source file defines it).
  void ConnectAcquisition();
  void ConnectClock();
  void ConnectCurveDownload();
  void ConnectCurveFiles();
  void ConnectFactoryGate();
  void ConnectDeviceSettings();
  void ConnectCalibration();
  void ConnectAlarms();

  // ---- value fields (exchanged with their controls) ----
  int m_nPort = 1;
  int m_nAddress = 0;
  int m_nGroupNo = 1;
  QString m_strPeriod = QStringLiteral("1000");
  QString m_strGroupDate = QStringLiteral("0000-00-00");
  QString m_strPointCount = QStringLiteral("000");
  QString m_strPointTime = kx::QTr("CTesterDlg", "数据记录点时间");
  int m_nPointNo = 1;
  QString m_strCurrentRange = QStringLiteral("1000");
  int m_nSuccessCount = 0;
  int m_nFailCount = 0;
  float m_fVoltageRange = static_cast<float>(kx::kCellFullScaleV);

  // ---- other fields ----
  std::unique_ptr<kx::SerialPort> m_hComm;  // null when no port is open
  int m_commBaud = 0;  // the rate m_hComm was opened at (a raw TCP port applies none)
  int m_bContinuous = 0;
  QRect m_rectWindow;  // the full window rectangle taken at start-up (frame geometry)
  std::vector<uint8_t> m_pGroupData;  // the current group image, 50,000 bytes
  int m_nGroupBytes = 0;
  int m_nGroupPoints = 0;
  CCurveViewDlg m_dlgCurveView;
  // The alarm switches by group (volt, current, temp1..temp3), 1 = on.
  std::array<int, kAlarmGroups> m_bAlarmOn{};
  bool m_bFactoryMode = false;  // the factory strip is in view

  // ---- control members ----
  QComboBox* m_comboBaud = nullptr;
  QTableWidget* m_listValues = nullptr;
  QTableWidget* m_listPointValues = nullptr;
  QLabel* m_staticGroupCount = nullptr;
  QLabel* m_staticDeviceTime = nullptr;
  QLabel* m_staticVersion = nullptr;
  QLabel* m_staticStatus = nullptr;
  CIconButton* m_btnSetTime = nullptr;
  CIconButton* m_btnQueryCount = nullptr;
  CIconButton* m_btnRead = nullptr;
  CIconButton* m_btnClear = nullptr;
  CIconButton* m_btnAcquire = nullptr;
  CIconButton* m_btnContinuous = nullptr;
  CIconButton* m_btnView = nullptr;
  CIconButton* m_btnOpen = nullptr;
  CIconButton* m_btnSaveAs = nullptr;
  CIconButton* m_btnCurve = nullptr;
  QPushButton* m_btnFactoryMode = nullptr;
  QPushButton* m_btnReadTime = nullptr;
  QLineEdit* m_editNewAddress = nullptr;
  QPushButton* m_btnSetAddress = nullptr;
  QComboBox* m_comboNewBaud = nullptr;
  QPushButton* m_btnSetBaud = nullptr;
  QPushButton* m_btnReadVersion = nullptr;
  QLineEdit* m_editRangeGear = nullptr;
  QPushButton* m_btnReadGear = nullptr;
  QLineEdit* m_editAlarmReg = nullptr;
  QPushButton* m_btnReadAlarm = nullptr;
  QComboBox* m_comboGear = nullptr;
  QPushButton* m_btnSetGear = nullptr;
  QComboBox* m_comboCellCal2V = nullptr;
  QPushButton* m_btnCellCal2V = nullptr;
  QComboBox* m_comboCellCal6V = nullptr;
  QPushButton* m_btnCellCal6V = nullptr;
  QComboBox* m_comboCellCal12V = nullptr;
  QPushButton* m_btnCellCal12V = nullptr;
  QComboBox* m_comboTotalCal2V = nullptr;
  QPushButton* m_btnTotalCal2V = nullptr;
  QComboBox* m_comboTotalCal6V = nullptr;
  QPushButton* m_btnTotalCal6V = nullptr;
  QComboBox* m_comboTotalCal12V = nullptr;
  QPushButton* m_btnTotalCal12V = nullptr;
  QComboBox* m_comboTempCal = nullptr;
  QPushButton* m_btnTempCal = nullptr;
  QComboBox* m_comboCurrentCal = nullptr;
  QPushButton* m_btnCurrentCal = nullptr;
  QCheckBox* m_checkAlarmVolt = nullptr;
  QLineEdit* m_editOverVolt = nullptr;
  QLineEdit* m_editUnderVolt = nullptr;
  QPushButton* m_btnSetVoltAlarm = nullptr;
  QCheckBox* m_checkAlarmCurrent = nullptr;
  QLineEdit* m_editOverCurrent = nullptr;
  QPushButton* m_btnSetCurrentAlarm = nullptr;
  QCheckBox* m_checkAlarmTemp1 = nullptr;
  QLineEdit* m_editTemp1High = nullptr;
  QLineEdit* m_editTemp1Low = nullptr;
  QPushButton* m_btnSetTemp1Alarm = nullptr;
  QCheckBox* m_checkAlarmTemp2 = nullptr;
  QLineEdit* m_editTemp2High = nullptr;
  QLineEdit* m_editTemp2Low = nullptr;
  QPushButton* m_btnSetTemp2Alarm = nullptr;
  QCheckBox* m_checkAlarmTemp3 = nullptr;
  QLineEdit* m_editTemp3High = nullptr;
  QLineEdit* m_editTemp3Low = nullptr;
  QPushButton* m_btnSetTemp3Alarm = nullptr;

  std::function<int64_t()> m_clockNow;
  bool m_bInTick = false;  // a tick is running (its prompts must not start another)
  std::function<bool(const std::string&)> m_beforeSaveRename;
  kx::PortNaming m_naming;
  kx::LinkError m_lastOpenError = kx::LinkError::None;
  double m_waitScale = 1.0;
  std::map<int, QWidget*> m_controls;
  QTimer m_acquisitionTimer;  // continuous acquisition
  bool m_bTickDue = false;  // the acquisition timer fell due while it could not tick
  QTimer m_timerDue;        // delivers that tick once the panel is free again
  bool m_inAddressCheck = false;
  std::optional<kx::LiveReading> m_lastReading;  // the last good reading
  std::unique_ptr<CLiveTrendDlg> m_dlgLiveTrend;  // made on first use
  QCheckBox* m_checkLog = nullptr;
  QLabel* m_staticLogFile = nullptr;
  std::unique_ptr<kx::files::StreamFile> m_log;  // null: the run is not logged
  std::string m_strTickTime;  // when the tick in flight started, as the log writes it
  // The last folders of the file dialogs; empty: the current folder.
  QString m_strOpenFolder, m_strSaveFolder, m_strLogFolder;
  std::optional<kx::Language> m_language;  // see NextLanguage
  // The store, opened on first use (Settings()); null then: nothing is remembered.
  SettingsOpener m_openSettings;
  std::unique_ptr<QSettings> m_settings;
  QSettings* Settings();
  std::unique_ptr<CProtocolViewDlg> m_dlgProtocolView;  // made on first use

  // ---- the worker and what the operator sees of it ----
  bool m_bExchanging = false;   // a handler waits for its exchange: input is swallowed
  bool m_bTickInFlight = false;  // a continuous acquisition tick runs on the worker
  QEventLoop* m_lineWait = nullptr;  // the loop waiting for the tick or the drain, if any
  std::unique_ptr<kx::SerialPort> m_drainPort;  // a cancelled download's line, being drained
  bool m_bCancelled = false;     // the operator cancelled the operation in progress
  bool m_bClosing = false;       // the panel closed during an exchange: no more UI
  bool m_bCancellable = false;
  int m_progressWaitMs = 0;
  QElapsedTimer m_progressClock;
  QTimer m_progressTimer;
  QString m_progressTextNow;
  QWidget* m_progressStrip = nullptr;
  QLabel* m_progressLabel = nullptr;
  QPushButton* m_btnCancelProgress = nullptr;
  // Last: it is joined before anything its jobs use goes away.
  std::unique_ptr<kx::panel::ExchangeWorker> m_worker;
};

template <class Capture, class Done>
void CTesterDlg::RunOnPort(const PortUse& use, Capture capture, Done done) {
  if (m_bClosing) return;
  if (use.readFirst) UpdateData(true);
  if (use.busy == Busy::Refused && RefusedWhileAcquiring()) return;
  if (use.ready && !use.ready()) return;
  if (!OpenPort()) {
    if (use.openFailure != nullptr) ShowMessage(kx::QTr("Messages", use.openFailure));
    return;
  }
  const auto exchange = capture();
  using Result = std::decay_t<decltype(exchange(*m_hComm))>;
  std::optional<Result> result;
  const bool finished = RunExchange([&exchange, &result](kx::Port& port) { result.emplace(exchange(port)); }, use);
  ClosePort();
  if (finished) done(*result);
}
