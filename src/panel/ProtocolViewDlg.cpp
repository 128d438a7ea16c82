#include "panel/ProtocolViewDlg.h"

#include <QApplication>
#include <QBrush>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

#include "files/SafeFile.h"
#include "lang/Language.h"
#include "panel/TesterDlg.h"
#include "texts/FrameText.h"
#include "texts/Translate.h"
#include "ui/Prompts.h"

namespace {

constexpr int kDrainMs = 150;

bool Failed(kx::FrameVerdict verdict) {
  return verdict != kx::FrameVerdict::Sent && verdict != kx::FrameVerdict::Accepted && verdict != kx::FrameVerdict::Opened &&
         verdict != kx::FrameVerdict::AcceptedUnchecked;
}

QPushButton* AddButton(QHBoxLayout* row, const char* name, const QString& text, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  row->addWidget(button);
  return button;
}

}  // namespace

CFrameTableModel::CFrameTableModel(size_t capacity, QObject* parent)
    : QAbstractTableModel(parent), m_capacity(capacity) {}

void CFrameTableModel::Append(std::vector<kx::FrameRecord> frames) {
  if (frames.empty()) return;
  if (frames.size() >= m_capacity) {
    // The whole table is replaced by the newest frames.
    beginResetModel();
    m_frames.assign(std::make_move_iterator(frames.end() - static_cast<ptrdiff_t>(m_capacity)),
                    std::make_move_iterator(frames.end()));
    endResetModel();
    return;
  }
  const size_t overflow = m_frames.size() + frames.size() > m_capacity ? m_frames.size() + frames.size() - m_capacity : 0;
  if (overflow > 0) {
    beginRemoveRows({}, 0, static_cast<int>(overflow) - 1);
    m_frames.erase(m_frames.begin(), m_frames.begin() + static_cast<ptrdiff_t>(overflow));
    endRemoveRows();
  }
  const int first = static_cast<int>(m_frames.size());
  beginInsertRows({}, first, first + static_cast<int>(frames.size()) - 1);
  std::move(frames.begin(), frames.end(), std::back_inserter(m_frames));
  endInsertRows();
}

void CFrameTableModel::Clear() {
  beginResetModel();
  m_frames.clear();
  endResetModel();
}

QString CFrameTableModel::Line(int row) const {
  return QString::fromStdString(kx::FrameLine(m_frames.at(static_cast<size_t>(row)).View()));
}

int CFrameTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_frames.size());
}

int CFrameTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant CFrameTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const kx::FrameRecord& frame = m_frames[static_cast<size_t>(index.row())];
  if (role == Qt::ForegroundRole) {
    return Failed(frame.fields.verdict) ? QVariant(QBrush(Qt::red)) : QVariant();
  }
  // A long packet does not fit its column; its tooltip holds it whole.
  if (role == Qt::ToolTipRole && index.column() == kBytes) return QString::fromStdString(kx::FrameHexText(frame.bytes));
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case kTime: return QString::fromStdString(kx::FrameTimeText(frame.fields.timeMs));
    case kDirection: return frame.fields.sent ? QStringLiteral("TX") : QStringLiteral("RX");
    case kBytes: return QString::fromStdString(kx::FrameHexText(frame.bytes));
    case kCommand: return QString::fromStdString(kx::FrameCommandText(frame.fields.command));
    case kVerdict: return QString::fromStdString(kx::FrameVerdictText(frame.View()));
    default: return {};
  }
}

QVariant CFrameTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
  static const char* const kHeaders[kColumns] = {
      KX_NOOP("CProtocolViewDlg", "时间"), KX_NOOP("CProtocolViewDlg", "方向"), KX_NOOP("CProtocolViewDlg", "字节"),
      KX_NOOP("CProtocolViewDlg", "命令"), KX_NOOP("CProtocolViewDlg", "结果")};
  return section >= 0 && section < kColumns ? kx::QTr("CProtocolViewDlg", kHeaders[section]) : QVariant();
}

CProtocolViewDlg::CProtocolViewDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("protocolView"));
  setWindowTitle(kx::QTr("CProtocolViewDlg", "通讯监视"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint);

  m_view = new QTableView(this);
  m_view->setObjectName(QStringLiteral("protocolFrames"));
  m_view->setModel(&m_model);
  m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_view->setWordWrap(false);
  m_view->verticalHeader()->hide();
  // Fixed row heights and column widths: measuring 10,000 rows would cost more than the frames.
  m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 4);
  m_view->setColumnWidth(CFrameTableModel::kTime, 96);
  m_view->setColumnWidth(CFrameTableModel::kDirection, 40);
  m_view->setColumnWidth(CFrameTableModel::kBytes, 420);
  m_view->setColumnWidth(CFrameTableModel::kCommand, 120);
  m_view->horizontalHeader()->setStretchLastSection(true);

  auto* buttons = new QHBoxLayout;
  m_btnPause = AddButton(buttons, "protocolPause", kx::QTr("CProtocolViewDlg", "暂停"), this);
  QPushButton* clear = AddButton(buttons, "protocolClear", kx::QTr("CProtocolViewDlg", "清除"), this);
  QPushButton* copy = AddButton(buttons, "protocolCopy", kx::QTr("CProtocolViewDlg", "复制"), this);
  QPushButton* save = AddButton(buttons, "protocolSave", kx::QTr("CProtocolViewDlg", "保存…"), this);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_view, 1);
  layout->addLayout(buttons);
  resize(960, 480);

  connect(m_btnPause, &QPushButton::clicked, this, [this] { SetPaused(!m_paused); });
  connect(clear, &QPushButton::clicked, this, [this] { Clear(); });
  connect(copy, &QPushButton::clicked, this, [this] { CopySelection(); });
  connect(new QShortcut(QKeySequence::Copy, m_view), &QShortcut::activated, this, [this] { CopySelection(); });
  connect(save, &QPushButton::clicked, this, [this] { SaveAll(); });
  m_drain.setInterval(kDrainMs);
  connect(&m_drain, &QTimer::timeout, this, [this] { Drain(); });
}

CProtocolViewDlg::~CProtocolViewDlg() {
  // Before anything else goes: a worker mid-exchange finishes its call first.
  m_collector.Uninstall();
}

void CProtocolViewDlg::Drain() {
  if (m_paused) return;
  std::vector<kx::FrameRecord> frames = m_collector.Take();
  if (frames.empty()) return;
  const QScrollBar* bar = m_view->verticalScrollBar();
  const bool following = bar->value() == bar->maximum();
  m_model.Append(std::move(frames));
  if (following) m_view->scrollToBottom();
}

void CProtocolViewDlg::SetPaused(bool paused) {
  m_paused = paused;
  m_btnPause->setText(paused ? kx::QTr("CProtocolViewDlg", "继续") : kx::QTr("CProtocolViewDlg", "暂停"));
  if (!paused) Drain();
}

void CProtocolViewDlg::Clear() {
  m_collector.Take();
  m_model.Clear();
}

QString CProtocolViewDlg::Lines(const std::vector<int>& rows) const {
  QString text;
  if (rows.empty()) {
    for (int r = 0; r < m_model.rowCount(); ++r) text += m_model.Line(r) + QLatin1Char('\n');
  } else {
    for (int r : rows) text += m_model.Line(r) + QLatin1Char('\n');
  }
  return text;
}

void CProtocolViewDlg::CopySelection() {
  std::vector<int> rows;
  for (const QModelIndex& index : m_view->selectionModel()->selectedRows()) rows.push_back(index.row());
  if (rows.empty()) return;
  std::sort(rows.begin(), rows.end());
  QApplication::clipboard()->setText(Lines(rows));
}

void CProtocolViewDlg::SaveAll() {
  kx::FileDialogRequest request;
  request.title = kx::QTr("CProtocolViewDlg", "保存通讯记录");
  request.initialFolder = QDir::currentPath();
  request.defaultName =
      QDateTime::currentDateTime().toString(QStringLiteral("'kx4200-trace-'yyyyMMdd-HHmmss'.txt'"));
  request.filters = {kx::QTr("CProtocolViewDlg", "文本文件 (*.txt)"), kx::QTr("CProtocolViewDlg", "所有文件 (*)")};
  request.overwritePrompt = true;
  const QString path = kx::Prompts::Current().SaveFile(this, request);
  if (path.isEmpty()) return;
  const kx::files::FileResult result =
      kx::files::WriteFile(QFile::encodeName(path).toStdString(), Lines().toUtf8().toStdString());
  if (!result.ok()) {
    kx::Prompts::Current().Message(
        this, kx::QTr("CProtocolViewDlg", "保存失败:%1").arg(QString::fromStdString(kx::files::Describe(result))));
  }
}

void CProtocolViewDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  m_collector.Install();
  m_drain.start();
}

void CProtocolViewDlg::hideEvent(QHideEvent* event) {
  m_collector.Uninstall();
  m_drain.stop();
  Drain();  // what came before it closed stays listed
  QDialog::hideEvent(event);
}

// ---- the panel's side ----

CProtocolViewDlg& CTesterDlg::ProtocolView() {
  if (!m_dlgProtocolView) m_dlgProtocolView = std::make_unique<CProtocolViewDlg>(this);
  return *m_dlgProtocolView;
}

void CTesterDlg::ShowProtocolView() {
  CProtocolViewDlg& protocol = ProtocolView();
  protocol.show();
  protocol.raise();
  protocol.activateWindow();
}
