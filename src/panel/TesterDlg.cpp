#include "panel/TesterDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <functional>

#include "chart/DialogUnits.h"
#include "chart/Prompts.h"
#include "link/CommandTable.h"
#include "panel/AboutDlg.h"
#include "panel/FieldText.h"
#include "panel/Layout.h"
#include "widgets/GroupFrame.h"
#include "widgets/IconButton.h"
#include "widgets/IconPicture.h"

int g_bAlarmVoltOn = 0;
int g_bAlarmCurrentOn = 0;
int g_bAlarmTemp1On = 0;
int g_bAlarmTemp2On = 0;
int g_bAlarmTemp3On = 0;

using kx::panel::Kind;

namespace {

void SetupTable(QTableWidget* table) {
  table->setColumnCount(4);
  table->setRowCount(31);
  table->setHorizontalHeaderLabels({QStringLiteral("内容"), QStringLiteral("值"), QStringLiteral("内容"),
                                    QStringLiteral("值")});
  table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  table->horizontalHeader()->setHighlightSections(false);
  table->verticalHeader()->hide();
  table->verticalHeader()->setDefaultSectionSize(16);
  table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  table->setShowGrid(false);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setWordWrap(false);
}

void SetCell(QTableWidget* table, int row, int column, const QString& text) {
  if (auto* item = table->item(row, column)) {
    item->setText(text);
    return;
  }
  table->setItem(row, column, new QTableWidgetItem(text));
}

void FillBatteryLabels(QTableWidget* table) {
  for (int r = 0; r < 31; ++r) SetCell(table, r, 0, QStringLiteral("电池%1").arg(r + 1));
  for (int r = 0; r < 9; ++r) SetCell(table, r, 2, QStringLiteral("电池%1").arg(r + 32));
}

// Clicks on the version read-out; a static that reports clicks.
class ClickLabel final : public QLabel {
 public:
  using QLabel::QLabel;
  std::function<void()> onClick;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    QLabel::mouseReleaseEvent(event);
    if (onClick && isEnabled()) onClick();
  }
};

}  // namespace

CTesterDlg::CTesterDlg(kx::PortNaming naming, QWidget* parent)
    : QDialog(parent), m_pGroupData(kx::kGroupImageCapacity, 0), m_naming(std::move(naming)) {
  setObjectName(QStringLiteral("102"));
  setWindowTitle(QStringLiteral("KX4200(Ver 1.3)"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  BuildControls();
  ConnectHandlers();
  OnInitDialog();
}

CTesterDlg::~CTesterDlg() = default;

QWidget* CTesterDlg::Control(int id) const {
  auto it = m_controls.find(id);
  return it == m_controls.end() ? nullptr : it->second;
}

void CTesterDlg::BuildControls() {
  setFixedSize(kx::DluToPixels(kx::panel::kTemplateWidth), kx::DluToPixels(kx::panel::kTemplateHeight));
  const auto digitsOnly = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);

  for (const auto& def : kx::panel::PanelTemplate()) {
    const QString text = QString::fromUtf8(def.text);
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
        SetupTable(table);
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

  m_comboBaud = ControlAs<QComboBox>(1001);
  m_listValues = ControlAs<QTableWidget>(1011);
  m_listPointValues = ControlAs<QTableWidget>(1015);
  m_staticGroupCount = ControlAs<QLabel>(1026);
  m_staticDeviceTime = ControlAs<QLabel>(1094);
  m_staticVersion = ControlAs<QLabel>(1093);
  m_staticStatus = ControlAs<QLabel>(1133);
  m_btnSetTime = ControlAs<CIconButton>(1006);
  m_btnQueryCount = ControlAs<CIconButton>(1008);
  m_btnRead = ControlAs<CIconButton>(1009);
  m_btnClear = ControlAs<CIconButton>(1019);
  m_btnAcquire = ControlAs<CIconButton>(1024);
  m_btnContinuous = ControlAs<CIconButton>(1025);
  m_btnView = ControlAs<CIconButton>(1031);
  m_btnOpen = ControlAs<CIconButton>(1038);
  m_btnSaveAs = ControlAs<CIconButton>(1039);
  m_btnCurve = ControlAs<CIconButton>(1047);
  m_btnFactoryMode = ControlAs<QPushButton>(1074);
  m_btnReadTime = ControlAs<QPushButton>(1092);
  m_editNewAddress = ControlAs<QLineEdit>(1089);
  m_btnSetAddress = ControlAs<QPushButton>(1090);
  m_comboNewBaud = ControlAs<QComboBox>(1091);
  m_btnSetBaud = ControlAs<QPushButton>(1106);
  m_btnReadVersion = ControlAs<QPushButton>(1107);
  m_editRangeGear = ControlAs<QLineEdit>(1098);
  m_btnReadGear = ControlAs<QPushButton>(1099);
  m_editAlarmReg = ControlAs<QLineEdit>(1100);
  m_btnReadAlarm = ControlAs<QPushButton>(1105);
  m_comboGear = ControlAs<QComboBox>(1075);
  m_btnSetGear = ControlAs<QPushButton>(1076);
  m_comboCellCal2V = ControlAs<QComboBox>(1077);
  m_btnCellCal2V = ControlAs<QPushButton>(1078);
  m_comboCellCal6V = ControlAs<QComboBox>(1079);
  m_btnCellCal6V = ControlAs<QPushButton>(1080);
  m_comboCellCal12V = ControlAs<QComboBox>(1081);
  m_btnCellCal12V = ControlAs<QPushButton>(1082);
  m_comboTotalCal2V = ControlAs<QComboBox>(1083);
  m_btnTotalCal2V = ControlAs<QPushButton>(1084);
  m_comboTotalCal6V = ControlAs<QComboBox>(1085);
  m_btnTotalCal6V = ControlAs<QPushButton>(1086);
  m_comboTotalCal12V = ControlAs<QComboBox>(1087);
  m_btnTotalCal12V = ControlAs<QPushButton>(1088);
  m_comboTempCal = ControlAs<QComboBox>(1101);
  m_btnTempCal = ControlAs<QPushButton>(1102);
  m_comboCurrentCal = ControlAs<QComboBox>(1103);
  m_btnCurrentCal = ControlAs<QPushButton>(1104);
  m_checkAlarmVolt = ControlAs<QCheckBox>(1059);
  m_editOverVolt = ControlAs<QLineEdit>(1118);
  m_editUnderVolt = ControlAs<QLineEdit>(1120);
  m_btnSetVoltAlarm = ControlAs<QPushButton>(1119);
  m_checkAlarmCurrent = ControlAs<QCheckBox>(1114);
  m_editOverCurrent = ControlAs<QLineEdit>(1121);
  m_btnSetCurrentAlarm = ControlAs<QPushButton>(1122);
  m_checkAlarmTemp1 = ControlAs<QCheckBox>(1115);
  m_editTemp1High = ControlAs<QLineEdit>(1123);
  m_editTemp1Low = ControlAs<QLineEdit>(1125);
  m_btnSetTemp1Alarm = ControlAs<QPushButton>(1124);
  m_checkAlarmTemp2 = ControlAs<QCheckBox>(1116);
  m_editTemp2High = ControlAs<QLineEdit>(1126);
  m_editTemp2Low = ControlAs<QLineEdit>(1128);
  m_btnSetTemp2Alarm = ControlAs<QPushButton>(1127);
  m_checkAlarmTemp3 = ControlAs<QCheckBox>(1117);
  m_editTemp3High = ControlAs<QLineEdit>(1129);
  m_editTemp3Low = ControlAs<QLineEdit>(1131);
  m_btnSetTemp3Alarm = ControlAs<QPushButton>(1130);

  auto* edit1002 = ControlAs<QLineEdit>(1002);
  connect(edit1002, &QLineEdit::textChanged, this, [this] { OnAddressChanged(); });
  auto* edit1000 = ControlAs<QLineEdit>(1000);
  connect(edit1000, &QLineEdit::textChanged, this,
          [this, edit1000] { edit1000->setToolTip(ResolvedPortPath()); });
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
}

void CTesterDlg::OnInitDialog() {
  // Step 1: the controls get the initial field values.
  UpdateData(false);
  // Steps 2 and 3: the About item lives in the panel's context menu on Linux;
  // the window icon is the application icon.
  setWindowIcon(QApplication::windowIcon());
  // Step 4: remember the full size and narrow the window to hide the factory strip.
  m_rectWindow = QRect(pos(), size());
  setFixedSize(m_rectWindow.width() * kx::panel::kUserWidthUnits / kx::panel::kTemplateWidth,
               m_rectWindow.height());
  // Step 5.
  m_nAddress = 0;
  m_comboBaud->setCurrentIndex(3);
  m_nPort = 1;
  // Step 6: columns and the live table's labels.
  for (QTableWidget* table : {m_listValues, m_listPointValues}) {
    const bool live = table == m_listValues;
    table->setColumnWidth(0, 50);
    table->setColumnWidth(1, live ? 75 : 72);
    table->setColumnWidth(2, live ? 55 : 50);
    table->setColumnWidth(3, 72);
  }
  FillBatteryLabels(m_listValues);
  const char* quantities[] = {"总电压", "电流", "温度1", "温度2", "温度3", "模拟量1", "模拟量2"};
  for (int i = 0; i < 7; ++i) SetCell(m_listValues, 9 + i, 2, QString::fromUtf8(quantities[i]));
  // Step 7: the alarm switches follow their boxes.
  g_bAlarmVoltOn = m_checkAlarmVolt->isChecked() ? 1 : 0;
  g_bAlarmCurrentOn = m_checkAlarmCurrent->isChecked() ? 1 : 0;
  g_bAlarmTemp1On = m_checkAlarmTemp1->isChecked() ? 1 : 0;
  g_bAlarmTemp2On = m_checkAlarmTemp2->isChecked() ? 1 : 0;
  g_bAlarmTemp3On = m_checkAlarmTemp3->isChecked() ? 1 : 0;
  // Step 8.
  m_bContinuous = 0;
  FillBatteryLabels(m_listPointValues);
  SetCell(m_listPointValues, 9, 2, QStringLiteral("总电压"));
  m_hComm.reset();
  m_listValues->setColumnWidth(1, 70);
  // Step 9: button icons from Picture/ below the current directory (or beside the program).
  const std::pair<CIconButton*, const char*> icons[] = {
      {m_btnOpen, "open.ICO"},        {m_btnSaveAs, "save.ICO"}, {m_btnCurve, "曲线.ICO"},
      {m_btnAcquire, "采集.ICO"},     {m_btnContinuous, "连续采集.ICO"},
      {m_btnSetTime, "时间.ICO"},     {m_btnRead, "读取.ICO"}};
  for (const auto& [button, file] : icons) button->SetIconFile(kx::FindPictureFile(QString::fromUtf8(file)));
  m_btnRead->m_nIconPlacement = 2;
  // Step 10.
  UpdateData(true);
  ControlAs<QLineEdit>(1000)->setToolTip(ResolvedPortPath());
  m_initialised = true;
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
    ShowMessage(QString::fromUtf8(prompt));
    if (auto* e = qobject_cast<QLineEdit*>(Control(id))) {
      e->setFocus();
      e->selectAll();
    }
    return false;
  };

  // The exchange order is the template's field order; reading stops at the first
  // field that does not convert, as the toolkit's data exchange does.
  const IntField ints1[] = {{1000, &m_nPort}, {1002, &m_nAddress}, {1010, &m_nGroupNo}};
  const StringField strings1[] = {{1023, &m_strPeriod}, {1034, &m_strGroupDate},
                                  {1035, &m_strPointCount}, {1037, &m_strPointTime}};
  const IntField ints2[] = {{1022, &m_nPointNo}};
  const StringField strings2[] = {{1069, &m_strCurrentRange}};
  const IntField ints3[] = {{1071, &m_nSuccessCount}, {1072, &m_nFailCount}};

  if (!save) {
    for (const auto& f : ints1) setText(f.id, QString::number(*f.value));
    for (const auto& f : strings1) setText(f.id, *f.value);
    for (const auto& f : ints2) setText(f.id, QString::number(*f.value));
    for (const auto& f : strings2) setText(f.id, *f.value);
    for (const auto& f : ints3) setText(f.id, QString::number(*f.value));
    setText(1073, FieldText::FormatFloat(m_fVoltageRange));
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
  auto v = FieldText::ParseFloat(text(1073));
  if (!v) return fail(1073, FieldText::kFloatPrompt);
  m_fVoltageRange = *v;
  return true;
}

void CTesterDlg::OnAddressChanged() {
  if (m_inAddressCheck) return;
  const int value = kx::panel::FieldText::Atoi(ControlAs<QLineEdit>(1002)->text());
  if (value > 255 || value < 0) {
    m_inAddressCheck = true;
    ShowMessage(QStringLiteral("地址范围:0~255"));
    UpdateData(false);
    m_inAddressCheck = false;
  }
}

QString CTesterDlg::ResolvedPortPath() const {
  const auto v = kx::panel::FieldText::ParseInt(ControlAs<QLineEdit>(1000)->text());
  return QString::fromStdString(m_naming.Resolve(v.value_or(m_nPort)));
}

bool CTesterDlg::IsAcquiring() const { return m_btnContinuous->text() == QStringLiteral("取消采集"); }

void CTesterDlg::ShowMessage(const QString& text) { kx::Prompts::Current().Message(this, text); }

QString CTesterDlg::AboutItemText() { return QStringLiteral("关于 KX4200(&A)..."); }

void CTesterDlg::ShowAbout() {
  CAboutDlg about(this);
  kx::Prompts::Current().Exec(about);
}

void CTesterDlg::contextMenuEvent(QContextMenuEvent* event) {
  // The toolkit's system menu has no Linux counterpart; its About item sits here.
  QMenu menu(this);
  QAction* about = menu.addAction(AboutItemText());
  if (menu.exec(event->globalPos()) == about) ShowAbout();
}
