#include "chart/DischargePane.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "analysis/AnalysisText.h"
#include "lang/Language.h"
#include "ui/Prompts.h"
#include "ui/Utf8.h"

namespace {

std::optional<double> Number(const QString& text) {
  bool ok = false;
  const double v = text.trimmed().toDouble(&ok);
  return ok ? std::optional(v) : std::nullopt;
}

QString Text(double v) { return QString::number(v, 'g', 10); }
QString Text(const std::optional<double>& v) { return v ? Text(*v) : QString(); }

}  // namespace

namespace kx {

namespace {

constexpr const char* kKeyEndVoltage = "analysis/endVoltage";
constexpr const char* kKeyRated = "analysis/ratedMinutes";
constexpr const char* kKeyK = "analysis/kFactor";
constexpr const char* kKeyPass = "analysis/passPercent";
constexpr const char* kKeyWeak = "analysis/weakPercent";
constexpr const char* kKeyDrift = "analysis/driftPercent";
constexpr const char* kKeyBaseline = "analysis/baseline";

}  // namespace

AnalysisSettings ReadAnalysisSettings(QSettings& store) {
  AnalysisSettings s;
  // One value at a time onto the defaults: a bad one costs only itself.
  const auto take = [&store, &s](const char* key, auto apply) {
    const QVariant v = store.value(QLatin1String(key));
    if (v.typeId() != QMetaType::QString) return;
    analysis::Parameters trial = s.parameters;
    apply(trial, v.toString().trimmed());
    if (analysis::CheckParameters(trial) == analysis::ParameterError::None) s.parameters = trial;
  };
  using P = analysis::Parameters;
  // An empty end voltage or rated time is a setting of its own: assumed, not rated.
  const auto optional = [](std::optional<double>& field, const QString& t) {
    field = t.isEmpty() ? std::nullopt : std::optional(Number(t).value_or(-1));
  };
  const auto plain = [](double& field, const QString& t) { field = Number(t).value_or(-1); };
  take(kKeyEndVoltage, [&](P& p, const QString& t) { optional(p.endVoltage, t); });
  take(kKeyRated, [&](P& p, const QString& t) { optional(p.ratedMinutes, t); });
  take(kKeyK, [&](P& p, const QString& t) { plain(p.kFactor, t); });
  take(kKeyPass, [&](P& p, const QString& t) { plain(p.passPercent, t); });
  take(kKeyWeak, [&](P& p, const QString& t) { plain(p.weakPercent, t); });
  take(kKeyDrift, [&](P& p, const QString& t) { plain(p.driftPercent, t); });
  const QVariant baseline = store.value(QLatin1String(kKeyBaseline));
  if (baseline.typeId() == QMetaType::QString && QFileInfo(baseline.toString()).isFile())
    s.baselinePath = baseline.toString();
  return s;
}

void WriteAnalysisSettings(QSettings& store, const AnalysisSettings& s) {
  const analysis::Parameters& p = s.parameters;
  store.setValue(QLatin1String(kKeyEndVoltage), Text(p.endVoltage));
  store.setValue(QLatin1String(kKeyRated), Text(p.ratedMinutes));
  store.setValue(QLatin1String(kKeyK), Text(p.kFactor));
  store.setValue(QLatin1String(kKeyPass), Text(p.passPercent));
  store.setValue(QLatin1String(kKeyWeak), Text(p.weakPercent));
  store.setValue(QLatin1String(kKeyDrift), Text(p.driftPercent));
  store.setValue(QLatin1String(kKeyBaseline), s.baselinePath);
  store.sync();
}

}  // namespace kx

namespace {

const QColor kWeakFill(0xFA, 0xD4, 0xCF);
const QColor kDriftFill(0xFF, 0xEE, 0xC2);

QLineEdit* NumberEdit(QWidget* parent, const char* name, const QString& placeholder = {}) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QLatin1String(name));
  edit->setPlaceholderText(placeholder);
  edit->setMaximumWidth(90);
  return edit;
}

QWidget* WithUnit(QWidget* parent, QWidget* field, const QString& unit) {
  auto* row = new QWidget(parent);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(field);
  layout->addWidget(new QLabel(unit, row));
  layout->addStretch(1);
  return row;
}

QTableWidgetItem* Item(const QString& text, Qt::Alignment align = Qt::AlignRight) {
  auto* item = new QTableWidgetItem(text);
  item->setTextAlignment(align | Qt::AlignVCenter);
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  return item;
}

using kx::Utf8;

}  // namespace

CDischargePane::CDischargePane(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("analysisPane"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);

  auto* box = new QGroupBox(kx::QTr("DischargePane", "参数"), this);
  auto* form = new QFormLayout(box);
  form->setContentsMargins(6, 4, 6, 4);
  form->setVerticalSpacing(3);
  m_editEndVoltage = NumberEdit(box, "endVoltage", kx::QTr("DischargePane", "自动"));
  m_editRated = NumberEdit(box, "ratedMinutes", kx::QTr("DischargePane", "不评容量"));
  m_editK = NumberEdit(box, "kFactor");
  m_editPass = NumberEdit(box, "passPercent");
  m_editWeak = NumberEdit(box, "weakPercent");
  m_editDrift = NumberEdit(box, "driftPercent");
  form->addRow(kx::QTr("DischargePane", "终止电压"),
               WithUnit(box, m_editEndVoltage, kx::QTr("DischargePane", "V/单体")));
  form->addRow(kx::QTr("DischargePane", "额定时间"), WithUnit(box, m_editRated, kx::QTr("DischargePane", "分钟")));
  form->addRow(kx::QTr("DischargePane", "温度系数"), WithUnit(box, m_editK, QStringLiteral("K")));
  form->addRow(kx::QTr("DischargePane", "合格线"), WithUnit(box, m_editPass, QStringLiteral("%")));
  form->addRow(kx::QTr("DischargePane", "落后阈值"), WithUnit(box, m_editWeak, kx::QTr("DischargePane", "% 低于平均")));
  form->addRow(kx::QTr("DischargePane", "漂移阈值"), WithUnit(box, m_editDrift, kx::QTr("DischargePane", "个百分点")));
  for (QLineEdit* edit : {m_editEndVoltage, m_editRated, m_editK, m_editPass, m_editWeak, m_editDrift})
    connect(edit, &QLineEdit::editingFinished, this, &CDischargePane::ParametersChanged);

  auto* baselineRow = new QWidget(box);
  auto* baselineLayout = new QHBoxLayout(baselineRow);
  baselineLayout->setContentsMargins(0, 0, 0, 0);
  m_editBaseline = new QLineEdit(baselineRow);
  m_editBaseline->setObjectName(QStringLiteral("baseline"));
  m_editBaseline->setReadOnly(true);
  m_editBaseline->setPlaceholderText(kx::QTr("DischargePane", "无"));
  auto* choose = new QPushButton(kx::QTr("DischargePane", "选择…"), baselineRow);
  choose->setObjectName(QStringLiteral("chooseBaseline"));
  auto* clear = new QPushButton(kx::QTr("DischargePane", "清除"), baselineRow);
  clear->setObjectName(QStringLiteral("clearBaseline"));
  for (QPushButton* b : {choose, clear}) {
    b->setAutoDefault(false);
    b->setMaximumWidth(60);
  }
  baselineLayout->addWidget(m_editBaseline, 1);
  baselineLayout->addWidget(choose);
  baselineLayout->addWidget(clear);
  form->addRow(kx::QTr("DischargePane", "基准文件"), baselineRow);
  connect(choose, &QPushButton::clicked, this, &CDischargePane::ChooseBaseline);
  connect(clear, &QPushButton::clicked, this, [this] {
    if (m_strBaselinePath.isEmpty()) return;
    SetBaseline({});
    emit ParametersChanged();
  });
  layout->addWidget(box);

  m_staticVerdict = new QLabel(this);
  m_staticVerdict->setObjectName(QStringLiteral("verdict"));
  m_staticVerdict->setWordWrap(true);
  QFont bold = m_staticVerdict->font();
  bold.setBold(true);
  m_staticVerdict->setFont(bold);
  m_staticFindings = new QLabel(this);
  m_staticFindings->setObjectName(QStringLiteral("findings"));
  m_staticFindings->setWordWrap(true);
  m_staticFindings->setTextFormat(Qt::PlainText);
  layout->addWidget(m_staticVerdict);
  layout->addWidget(m_staticFindings);

  m_table = new QTableWidget(this);
  m_table->setObjectName(QStringLiteral("analysisTable"));
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->setSelectionMode(QAbstractItemView::SingleSelection);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->verticalHeader()->hide();
  m_table->verticalHeader()->setDefaultSectionSize(20);
  m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  connect(m_table, &QTableWidget::itemSelectionChanged, this, [this] {
    const auto rows = m_table->selectionModel()->selectedRows();
    if (!rows.isEmpty()) emit CellChosen(m_table->item(rows.first().row(), 1)->data(Qt::UserRole).toInt());
  });
  layout->addWidget(m_table, 1);
}

std::optional<kx::analysis::Parameters> CDischargePane::ReadParameters() {
  using kx::analysis::ParameterError;
  kx::analysis::Parameters p;
  const auto read = [](QLineEdit* edit) { return Number(edit->text()).value_or(-1); };
  if (!m_editEndVoltage->text().trimmed().isEmpty()) p.endVoltage = read(m_editEndVoltage);
  if (!m_editRated->text().trimmed().isEmpty()) p.ratedMinutes = read(m_editRated);
  p.kFactor = read(m_editK);
  p.passPercent = read(m_editPass);
  p.weakPercent = read(m_editWeak);
  p.driftPercent = read(m_editDrift);
  QString problem;
  switch (kx::analysis::CheckParameters(p)) {
    case ParameterError::None: return p;
    case ParameterError::EndVoltage:
      problem = kx::QTr("DischargePane", "终止电压须大于 0 且不超过 %1 V").arg(kx::analysis::kMaxEndVoltage);
      break;
    case ParameterError::RatedMinutes:
      problem = kx::QTr("DischargePane", "额定时间须大于 0 分钟");
      break;
    case ParameterError::KFactor:
      problem = kx::QTr("DischargePane", "温度系数须大于 0 且不超过 10");
      break;
    case ParameterError::PassPercent:
      problem = kx::QTr("DischargePane", "合格线须大于 0%");
      break;
    case ParameterError::WeakPercent:
      problem = kx::QTr("DischargePane", "落后阈值须为 0 或正数");
      break;
    case ParameterError::DriftPercent:
      problem = kx::QTr("DischargePane", "漂移阈值须为 0 或正数");
      break;
  }
  ShowProblem(kx::QTr("DischargePane", "参数有误: ") + problem);
  return std::nullopt;
}

void CDischargePane::SetSettings(const kx::AnalysisSettings& s) {
  m_editEndVoltage->setText(Text(s.parameters.endVoltage));
  m_editRated->setText(Text(s.parameters.ratedMinutes));
  m_editK->setText(Text(s.parameters.kFactor));
  m_editPass->setText(Text(s.parameters.passPercent));
  m_editWeak->setText(Text(s.parameters.weakPercent));
  m_editDrift->setText(Text(s.parameters.driftPercent));
  SetBaseline(s.baselinePath);
}

QString CDischargePane::BaselinePath() const { return m_strBaselinePath; }

void CDischargePane::SetBaseline(const QString& path) {
  m_strBaselinePath = path;
  m_editBaseline->setText(path.isEmpty() ? QString() : QFileInfo(path).fileName());
  m_editBaseline->setToolTip(path);
}

void CDischargePane::ChooseBaseline() {
  kx::FileDialogRequest request;
  request.title = kx::QTr("DischargePane", "基准文件");
  request.initialFolder = m_strBaselinePath.isEmpty() ? QString() : QFileInfo(m_strBaselinePath).absolutePath();
  request.filters = {QStringLiteral("Data Files (*.bin)")};
  const QString path = kx::Prompts::Current().OpenFile(this, request);
  if (path.isEmpty()) return;
  SetBaseline(path);
  emit ParametersChanged();
}

void CDischargePane::ShowProblem(const QString& text) {
  m_staticVerdict->setText(text);
  m_staticFindings->clear();
  m_table->clear();
  m_table->setRowCount(0);
  m_table->setColumnCount(0);
}

QString CDischargePane::VerdictText() const { return m_staticVerdict->text(); }

void CDischargePane::ShowResult(const kx::analysis::Result& r, const kx::analysis::Parameters& p, const QString& note) {
  using kx::analysis::Fixed;
  m_staticVerdict->setText(Utf8(kx::analysis::VerdictLine(r)));
  QStringList findings;
  for (const std::string& line : kx::analysis::FindingLines(r, p)) findings << Utf8(line);
  if (!note.isEmpty()) findings << note;
  m_staticFindings->setText(findings.join(QLatin1Char('\n')));

  const bool compared = r.baseline && r.baseline->status == kx::analysis::Status::Ok;
  QStringList heads{kx::QTr("DischargePane", "排名"),     kx::QTr("DischargePane", "电池"),
                    kx::QTr("DischargePane", "到达(分)"), kx::QTr("DischargePane", "电压(V)"),
                    kx::QTr("DischargePane", "偏差(%)"),  kx::QTr("DischargePane", "偏差(mV)"),
                    kx::QTr("DischargePane", "标记")};
  if (compared) heads << kx::QTr("DischargePane", "基准排名") << kx::QTr("DischargePane", "漂移");
  m_table->clear();
  m_table->setColumnCount(static_cast<int>(heads.size()));
  m_table->setHorizontalHeaderLabels(heads);
  const auto order = r.ByRank();
  m_table->setRowCount(static_cast<int>(order.size()));
  for (int row = 0; row < static_cast<int>(order.size()); ++row) {
    const kx::analysis::CellResult& c = *order[static_cast<size_t>(row)];
    const kx::analysis::BaselineCell* b = compared ? r.BaselineOf(c.cell) : nullptr;
    const bool stuck = std::find(r.stuckCells.begin(), r.stuckCells.end(), c.cell) != r.stuckCells.end();
    QStringList marks;
    if (c.weak) marks << kx::QTr("DischargePane", "落后");
    if (b && b->drifted) marks << kx::QTr("DischargePane", "漂移");
    if (stuck) marks << kx::QTr("DischargePane", "不变");
    QList<QTableWidgetItem*> items{Item(QString::number(c.rank)), Item(Utf8(kx::analysis::CellText(c.cell)), Qt::AlignLeft),
                                   Item(c.endMin ? Utf8(Fixed(*c.endMin, 1)) : QStringLiteral("-")),
                                   Item(Utf8(Fixed(c.voltsAtRef, 3))), Item(Utf8(Fixed(c.deviationPercent, 2))),
                                   Item(Utf8(Fixed(c.deviationMv, 0))), Item(marks.join(QLatin1Char(' ')), Qt::AlignLeft)};
    if (b) {
      items << Item(b->rank ? QString::number(*b->rank) : QStringLiteral("-"))
            << Item(b->driftPoints ? Utf8(Fixed(*b->driftPoints, 2)) : QStringLiteral("-"));
    }
    items[1]->setData(Qt::UserRole, c.cell);
    const QColor fill = c.weak ? kWeakFill : (b && b->drifted) ? kDriftFill : QColor();
    for (int col = 0; col < static_cast<int>(items.size()); ++col) {
      if (fill.isValid()) items[col]->setBackground(fill);
      m_table->setItem(row, col, items[col]);
    }
  }
}
