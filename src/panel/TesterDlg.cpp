#include "panel/TesterDlg.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <functional>
#include <utility>

#include "curves/CurveGroup.h"
#include "lang/Language.h"
#include "link/CommandTable.h"
#include "texts/Messages.h"
#include "panel/AboutDlg.h"
#include "panel/ControlIds.h"
#include "panel/FieldText.h"
#include "panel/PanelTexts.h"
#include "panel/Layout.h"
#include "panel/LiveTrendDlg.h"
#include "panel/ProtocolViewDlg.h"
#include "panel/ValueTables.h"
#include "ui/DialogUnits.h"
#include "ui/Prompts.h"
#include "widgets/GroupFrame.h"
#include "widgets/IconButton.h"
#include "widgets/IconPicture.h"

using kx::panel::Kind;
using namespace kx::panel::ids;

namespace {

// Clicks on the version read-out; a static that reports clicks: the left button
// released over it, once per click and once per double-click.
class ClickLabel final : public QLabel {
 public:
  using QLabel::QLabel;
  std::function<void()> onClick;

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    QLabel::mouseDoubleClickEvent(event);
    m_secondOfDouble = true;  // its first click has already been reported
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    QLabel::mouseReleaseEvent(event);
    const bool second = std::exchange(m_secondOfDouble, false);
    if (event->button() != Qt::LeftButton || second || !rect().contains(event->position().toPoint())) return;
    if (onClick && isEnabled()) onClick();
  }

 private:
  bool m_secondOfDouble = false;
};

// A read-out that must end where its neighbour begins: a text too wide for it is
// shown elided and whole in its tooltip. text() stays whole for the data exchange.
class ElidedLabel final : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QRect area = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
    style()->drawItemText(&painter, area, static_cast<int>(alignment()), palette(), isEnabled(), shown,
                          foregroundRole());
  }
  bool event(QEvent* event) override {
    if (event->type() == QEvent::ToolTip) {
      const bool fits = fontMetrics().horizontalAdvance(text()) <= contentsRect().width();
      setToolTip(fits ? QString() : text());
    }
    return QLabel::event(event);
  }
};

}  // namespace

CTesterDlg::CTesterDlg(kx::PortNaming naming, QWidget* parent)
    : QDialog(parent), m_pGroupData(kx::kGroupImageCapacity, 0), m_naming(std::move(naming)) {
  setObjectName(QString::number(kTemplatePanel));
  setWindowTitle(QStringLiteral("KX4200(Ver 1.3)"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  BuildControls();
  BuildProgressStrip();
  ConnectHandlers();
  OnInitDialog();
}

CTesterDlg::~CTesterDlg() {
  // An exchange still on the worker (a tick, a drain) ends at once; the port closes after it.
  m_bClosing = true;
  if (m_hComm) m_hComm->Interrupt();
  if (m_drainPort) m_drainPort->Interrupt();
  m_worker.reset();
  ClosePort();
}

QWidget* CTesterDlg::Control(int id) const {
  auto it = m_controls.find(id);
  return it == m_controls.end() ? nullptr : it->second;
}

void CTesterDlg::BuildControls() {
  setFixedSize(kx::DluToPixels(kx::panel::kTemplateWidth), kx::DluToPixels(kx::panel::kTemplateHeight));
  const auto digitsOnly = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);

  for (const auto& def : kx::panel::PanelTemplate()) {
    const QString text = kx::QTr("CTesterDlg", def.text);
    QWidget* w = nullptr;
    switch (def.kind) {
      case Kind::Label:
      case Kind::LabelHidden:
        w = new QLabel(text, this);
        break;
      case Kind::LabelRight: {
        auto* label = new QLabel(text, this);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        w = label;
        break;
      }
      case Kind::LabelElided:
        w = new ElidedLabel(text, this);
        break;
      case Kind::LabelCentre: {
        auto* label = new ClickLabel(text, this);
        label->setAlignment(Qt::AlignCenter);
        label->onClick = [this] { OnVersionClicked(); };
        w = label;
        break;
      }
      case Kind::Edit:
      case Kind::EditHidden:
        w = new QLineEdit(this);
        break;
      case Kind::EditDigits: {
        auto* edit = new QLineEdit(this);
        edit->setValidator(digitsOnly);
        w = edit;
        break;
      }
      case Kind::EditReadOnly: {
        auto* edit = new QLineEdit(this);
        edit->setReadOnly(true);
        w = edit;
        break;
      }
      case Kind::Combo: {
        auto* combo = new QComboBox(this);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->addItems(text.split(QLatin1Char('|')));
        combo->setCurrentIndex(-1);
        w = combo;
        break;
      }
      case Kind::Button:
        w = new QPushButton(text, this);
        break;
      case Kind::DefaultButton: {
        auto* button = new QPushButton(text, this);
        button->setDefault(true);
        w = button;
        break;
      }
      case Kind::IconButton:
        w = new CIconButton(text, this);
        break;
      case Kind::Check:
        w = new QCheckBox(text, this);
        break;
      case Kind::GroupBox:
        w = new QGroupBox(text, this);
        break;
      case Kind::Frame:
        w = new CGroupFrame(this);
        break;
      case Kind::List: {
        auto* table = new QTableWidget(this);
        kx::panel::SetupValueTable(table);
        w = table;
        break;
      }
    }
    QRect r = kx::DluRect(def.x, def.y, def.w, def.h);
    if (def.kind == Kind::Combo) r.setHeight(kx::DluToPixels(12));  // the drop-down part opens below
    w->setGeometry(r);
    if (def.kind == Kind::EditHidden || def.kind == Kind::LabelHidden) w->hide();
    if (def.disabled) w->setEnabled(false);
    if (def.id != 0) {
      w->setObjectName(QString::number(def.id));
      m_controls[def.id] = w;
    }
  }

  m_comboBaud = ControlAs<QComboBox>(kComboBaud);
  m_listValues = ControlAs<QTableWidget>(kListValues);
  m_listPointValues = ControlAs<QTableWidget>(kListPointValues);
  m_staticGroupCount = ControlAs<QLabel>(kStaticGroupCount);
  m_staticDeviceTime = ControlAs<QLabel>(kStaticDeviceTime);
  m_staticVersion = ControlAs<QLabel>(kStaticVersion);
  m_staticStatus = ControlAs<QLabel>(kStaticStatus);
  m_btnSetTime = ControlAs<CIconButton>(kBtnSetTime);
  m_btnQueryCount = ControlAs<CIconButton>(kBtnQueryCount);
  m_btnRead = ControlAs<CIconButton>(kBtnReadGroup);
  m_btnClear = ControlAs<CIconButton>(kBtnClearCurves);
  m_btnAcquire = ControlAs<CIconButton>(kBtnAcquire);
  m_btnContinuous = ControlAs<CIconButton>(kBtnContinuous);
  m_btnView = ControlAs<CIconButton>(kBtnViewPoint);
  m_btnOpen = ControlAs<CIconButton>(kBtnOpenFile);
  m_btnSaveAs = ControlAs<CIconButton>(kBtnSaveFile);
  m_btnCurve = ControlAs<CIconButton>(kBtnShowCurves);
  m_btnFactoryMode = ControlAs<QPushButton>(kBtnFactoryMode);
  m_btnReadTime = ControlAs<QPushButton>(kBtnReadTime);
  m_editNewAddress = ControlAs<QLineEdit>(kEditNewAddress);
  m_btnSetAddress = ControlAs<QPushButton>(kBtnSetAddress);
  m_comboNewBaud = ControlAs<QComboBox>(kComboNewBaud);
  m_btnSetBaud = ControlAs<QPushButton>(kBtnSetBaud);
  m_btnReadVersion = ControlAs<QPushButton>(kBtnReadVersion);
  m_editRangeGear = ControlAs<QLineEdit>(kEditRangeGear);
  m_btnReadGear = ControlAs<QPushButton>(kBtnReadGear);
  m_editAlarmReg = ControlAs<QLineEdit>(kEditAlarmWord);
  m_btnReadAlarm = ControlAs<QPushButton>(kBtnReadAlarm);
  m_comboGear = ControlAs<QComboBox>(kComboGear);
  m_btnSetGear = ControlAs<QPushButton>(kBtnSetGear);
  m_comboCellCal2V = ControlAs<QComboBox>(kComboCalCell2V);
  m_btnCellCal2V = ControlAs<QPushButton>(kBtnCalCell2V);
  m_comboCellCal6V = ControlAs<QComboBox>(kComboCalCell6V);
  m_btnCellCal6V = ControlAs<QPushButton>(kBtnCalCell6V);
  m_comboCellCal12V = ControlAs<QComboBox>(kComboCalCell12V);
  m_btnCellCal12V = ControlAs<QPushButton>(kBtnCalCell12V);
  m_comboTotalCal2V = ControlAs<QComboBox>(kComboCalTotal2V);
  m_btnTotalCal2V = ControlAs<QPushButton>(kBtnCalTotal2V);
  m_comboTotalCal6V = ControlAs<QComboBox>(kComboCalTotal6V);
  m_btnTotalCal6V = ControlAs<QPushButton>(kBtnCalTotal6V);
  m_comboTotalCal12V = ControlAs<QComboBox>(kComboCalTotal12V);
  m_btnTotalCal12V = ControlAs<QPushButton>(kBtnCalTotal12V);
  m_comboTempCal = ControlAs<QComboBox>(kComboCalTemp);
  m_btnTempCal = ControlAs<QPushButton>(kBtnCalTemp);
  m_comboCurrentCal = ControlAs<QComboBox>(kComboCalCurrent);
  m_btnCurrentCal = ControlAs<QPushButton>(kBtnCalCurrent);
  m_checkAlarmVolt = ControlAs<QCheckBox>(kCheckAlarmVolt);
  m_editOverVolt = ControlAs<QLineEdit>(kEditOverVolt);
  m_editUnderVolt = ControlAs<QLineEdit>(kEditUnderVolt);
  m_btnSetVoltAlarm = ControlAs<QPushButton>(kBtnSetVoltAlarm);
  m_checkAlarmCurrent = ControlAs<QCheckBox>(kCheckAlarmCurrent);
  m_editOverCurrent = ControlAs<QLineEdit>(kEditOverCurrent);
  m_btnSetCurrentAlarm = ControlAs<QPushButton>(kBtnSetCurrentAlarm);
  m_checkAlarmTemp1 = ControlAs<QCheckBox>(kCheckAlarmTemp1);
  m_editTemp1High = ControlAs<QLineEdit>(kEditTemp1High);
  m_editTemp1Low = ControlAs<QLineEdit>(kEditTemp1Low);
  m_btnSetTemp1Alarm = ControlAs<QPushButton>(kBtnSetTemp1Alarm);
  m_checkAlarmTemp2 = ControlAs<QCheckBox>(kCheckAlarmTemp2);
  m_editTemp2High = ControlAs<QLineEdit>(kEditTemp2High);
  m_editTemp2Low = ControlAs<QLineEdit>(kEditTemp2Low);
  m_btnSetTemp2Alarm = ControlAs<QPushButton>(kBtnSetTemp2Alarm);
  m_checkAlarmTemp3 = ControlAs<QCheckBox>(kCheckAlarmTemp3);
  m_editTemp3High = ControlAs<QLineEdit>(kEditTemp3High);
  m_editTemp3Low = ControlAs<QLineEdit>(kEditTemp3Low);
  m_btnSetTemp3Alarm = ControlAs<QPushButton>(kBtnSetTemp3Alarm);
  m_checkLog = ControlAs<QCheckBox>(kCheckLog);
  m_staticLogFile = ControlAs<QLabel>(kStaticLogFile);

  connect(ControlAs<QLineEdit>(kEditAddress), &QLineEdit::textChanged, this, [this] { OnAddressChanged(); });
  auto* portEdit = ControlAs<QLineEdit>(kEditPort);
  connect(portEdit, &QLineEdit::textChanged, this, [this, portEdit] { portEdit->setToolTip(ResolvedPortPath()); });
}

void CTesterDlg::ConnectHandlers() {
  ConnectAcquisition();
  ConnectClock();
  ConnectCurveDownload();
  ConnectCurveFiles();
  ConnectFactoryGate();
  ConnectDeviceSettings();
  ConnectCalibration();
  ConnectAlarms();
  ConnectLiveMarks();
}

void CTesterDlg::OnInitDialog() {
  UpdateData(false);
  // The About item lives in the panel's context menu on Linux; the window icon is
  // the application icon.
  setWindowIcon(QApplication::windowIcon());
  // Remember the full size and narrow the window to hide the factory strip.
  m_rectWindow = QRect(pos(), size());
  setFixedSize(kx::panel::UserWidth(m_rectWindow.width()), m_rectWindow.height());
  m_nAddress = 0;
  m_comboBaud->setCurrentIndex(m_comboBaud->findText(QString::number(kx::kDefaultBaud)));
  m_nPort = 1;
  // Columns and the live table's labels.
  for (QTableWidget* table : {m_listValues, m_listPointValues}) {
    const bool live = table == m_listValues;
    table->setColumnWidth(0, 50);
    table->setColumnWidth(1, live ? 75 : 72);
    table->setColumnWidth(2, live ? 55 : 50);
    table->setColumnWidth(3, 72);
  }
  kx::panel::FillBatteryLabels(m_listValues);
  const char* quantities[] = {KX_NOOP("CTesterDlg", "总电压"),  KX_NOOP("CTesterDlg", "电流"),
                              KX_NOOP("CTesterDlg", "温度1"),   KX_NOOP("CTesterDlg", "温度2"),
                              KX_NOOP("CTesterDlg", "温度3"),   KX_NOOP("CTesterDlg", "模拟量1"),
                              KX_NOOP("CTesterDlg", "模拟量2")};
  for (int i = 0; i < 7; ++i) kx::panel::SetCell(m_listValues, 9 + i, 2, kx::QTr("CTesterDlg", quantities[i]));
  // The alarm switches follow their boxes.
  for (int group = 0; group < kAlarmGroups; ++group) OnAlarmSwitch(static_cast<AlarmGroup>(group));
  m_bContinuous = 0;
  kx::panel::FillBatteryLabels(m_listPointValues);
  kx::panel::SetCell(m_listPointValues, 9, 2, kx::QTr("CTesterDlg", "总电压"));
  m_hComm.reset();
  m_listValues->setColumnWidth(1, 70);
  // Button icons from Picture/ below the current directory (or beside the program).
  const std::pair<CIconButton*, const char*> icons[] = {
      {m_btnOpen, "open.ICO"},        {m_btnSaveAs, "save.ICO"}, {m_btnCurve, "曲线.ICO"},
      {m_btnAcquire, "采集.ICO"},     {m_btnContinuous, "连续采集.ICO"},
      {m_btnSetTime, "时间.ICO"},     {m_btnRead, "读取.ICO"}};
  for (const auto& [button, file] : icons) button->SetIconFile(kx::FindPictureFile(QString::fromUtf8(file)));
  m_btnRead->m_nIconPlacement = kx::kIconAbove;
  // The fields match what the window shows.
  UpdateData(true);
  ControlAs<QLineEdit>(kEditPort)->setToolTip(ResolvedPortPath());
}

void CTesterDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The position is only known once the window is placed; the size was taken at start-up.
  m_rectWindow.moveTopLeft(pos());
}

bool CTesterDlg::UpdateData(bool save) {
  using kx::panel::FieldText;
  struct IntField {
    int id;
    int* value;
  };
  struct StringField {
    int id;
    QString* value;
  };
  auto text = [this](int id) {
    QWidget* w = Control(id);
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    return QString();
  };
  auto setText = [this](int id, const QString& value) {
    QWidget* w = Control(id);
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
      if (e->text() != value) e->setText(value);
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
      l->setText(value);
    }
  };
  auto fail = [this](int id, const char* prompt) {
    ShowMessage(kx::QTr("CTesterDlg", prompt));
    if (auto* e = qobject_cast<QLineEdit*>(Control(id))) {
      e->setFocus();
      e->selectAll();
    }
    return false;
  };

  // The exchange order is the template's field order; reading stops at the first
  // field that does not convert, as the toolkit's data exchange does.
  const IntField ints1[] = {{kEditPort, &m_nPort}, {kEditAddress, &m_nAddress}, {kEditGroupNo, &m_nGroupNo}};
  const StringField strings1[] = {{kEditPeriod, &m_strPeriod}, {kStaticGroupDate, &m_strGroupDate},
                                  {kStaticPointCount, &m_strPointCount}, {kStaticPointTime, &m_strPointTime}};
  const IntField ints2[] = {{kEditPointNo, &m_nPointNo}};
  const StringField strings2[] = {{kEditCurrentRange, &m_strCurrentRange}};
  const IntField ints3[] = {{kEditSuccessCount, &m_nSuccessCount}, {kEditFailCount, &m_nFailCount}};

  if (!save) {
    for (const auto& f : ints1) setText(f.id, QString::number(*f.value));
    for (const auto& f : strings1) setText(f.id, *f.value);
    for (const auto& f : ints2) setText(f.id, QString::number(*f.value));
    for (const auto& f : strings2) setText(f.id, *f.value);
    for (const auto& f : ints3) setText(f.id, QString::number(*f.value));
    setText(kEditVoltRange, FieldText::FormatFloat(m_fVoltageRange));
    return true;
  }
  auto readInts = [&](std::span<const IntField> fields) {
    for (const auto& f : fields) {
      auto v = FieldText::ParseInt(text(f.id));
      if (!v) return fail(f.id, FieldText::kIntPrompt);
      *f.value = *v;
    }
    return true;
  };
  auto readStrings = [&](std::span<const StringField> fields) {
    for (const auto& f : fields) *f.value = text(f.id);
  };
  if (!readInts(ints1)) return false;
  readStrings(strings1);
  if (!readInts(ints2)) return false;
  readStrings(strings2);
  if (!readInts(ints3)) return false;
  auto v = FieldText::ParseFloat(text(kEditVoltRange));
  if (!v) return fail(kEditVoltRange, FieldText::kFloatPrompt);
  m_fVoltageRange = *v;
  return true;
}

void CTesterDlg::OnAddressChanged() {
  if (m_inAddressCheck) return;
  const int value = kx::panel::FieldText::Atoi(ControlAs<QLineEdit>(kEditAddress)->text());
  if (value > 255 || value < 0) {
    m_inAddressCheck = true;
    ShowMessage(kx::QTr("CTesterDlg", "地址范围:0~255"));
    UpdateData(false);
    m_inAddressCheck = false;
  }
}

QString CTesterDlg::ResolvedPortPath() const {
  const auto v = kx::panel::FieldText::ParseInt(ControlAs<QLineEdit>(kEditPort)->text());
  return QString::fromStdString(m_naming.Resolve(v.value_or(m_nPort)));
}

void CTesterDlg::ShowMessage(const QString& text) {
  if (m_bClosing) return;  // closed mid-exchange: the operation's outcome is not shown
  kx::Prompts::Current().Message(this, text);
}

void CTesterDlg::ShowMessage(const char* utf8) { ShowMessage(QString::fromUtf8(utf8)); }

bool CTesterDlg::Refuse(const char* text) {
  ShowMessage(kx::QTr("CTesterDlg", text));
  return false;
}

bool CTesterDlg::RefusedWhileAcquiring() {
  if (!IsAcquiring()) return false;
  ShowMessage(kx::QTr("CTesterDlg", kx::msg::kStopAcquisitionFirst));
  return true;
}

void CTesterDlg::done(int result) {
  StopLog();
  SaveSettings();
  QDialog::done(result);
}

QString CTesterDlg::AboutItemText() { return kx::QTr("CTesterDlg", "关于 KX4200(&A)..."); }

void CTesterDlg::ShowAbout() {
  CAboutDlg about(this);
  kx::Prompts::Current().Exec(about);
}

std::unique_ptr<QMenu> CTesterDlg::ContextMenu() {
  // The toolkit's system menu has no Linux counterpart; its About item sits here.
  auto menu = std::make_unique<QMenu>(this);
  connect(menu->addAction(kx::QTr("CTesterDlg", "实时曲线")), &QAction::triggered, this,
          [this] { ShowLiveTrend(); });
  connect(menu->addAction(kx::QTr("CTesterDlg", "通讯监视")), &QAction::triggered, this,
          [this] { ShowProtocolView(); });
  connect(menu->addAction(kx::QTr("CTesterDlg", kx::msg::kReportItem)), &QAction::triggered, this,
          [this] { MakeReport(); });
  connect(menu->addAction(AboutItemText()), &QAction::triggered, this, [this] { ShowAbout(); });
  // In both languages: whoever looks for it may not read the one in use.
  QMenu* languages = menu->addMenu(QString::fromUtf8(kx::msg::kLanguageItem));
  auto* group = new QActionGroup(languages);
  const std::pair<kx::Language, const char*> choices[] = {{kx::Language::Chinese, "中文"},
                                                          {kx::Language::English, "English"}};
  for (const auto& [language, name] : choices) {
    QAction* item = languages->addAction(QString::fromUtf8(name));
    item->setCheckable(true);
    item->setChecked(language == NextLanguage());
    group->addAction(item);
    connect(item, &QAction::triggered, this, [this, language] { ChooseLanguage(language); });
  }
  return menu;
}

void CTesterDlg::contextMenuEvent(QContextMenuEvent* event) { ContextMenu()->exec(event->globalPos()); }
