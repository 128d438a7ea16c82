// The panel's exchanges on the worker thread: the nested wait that keeps a
// handler's order while the window keeps painting, the input it swallows
// meanwhile, the progress strip, cancelling a download and closing mid-exchange.

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <atomic>
#include <cmath>

#include "lang/Language.h"
#include "curves/CurveGroup.h"
#include "link/CommandTable.h"
#include "link/LineDrain.h"
#include "panel/ControlIds.h"
#include "panel/TesterDlg.h"

namespace {

// The strip appears only for operations that take a noticeable time.
constexpr int kProgressDelayMs = 300;
constexpr int kProgressRefreshMs = 200;
constexpr int kStripHeight = 26;

bool IsInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ContextMenu:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
      return true;
    default:
      return false;
  }
}

// "读取曲线 7/25 包 6300/22251 字节 约 15 秒"; totals once the point count has arrived.
QString DownloadText(const kx::GroupProgress& p, qint64 elapsedMs) {
  if (p.points < 0) return kx::QTr("CTesterDlg", "读取曲线 %1 包 %2 字节").arg(p.packets).arg(p.bytes);
  const size_t total = 1 + kx::kPointRecordSize * static_cast<size_t>(p.points);
  // Full packets are followed by one more; a multiple of a full packet ends with an empty one.
  const size_t packets = total / kx::kGroupPacketFull + 1;
  const size_t left = total > p.bytes ? total - p.bytes : 0;
  const double seconds = p.bytes == 0 ? 0.0 : static_cast<double>(elapsedMs) / 1000.0 * left / p.bytes;
  return kx::QTr("CTesterDlg", "读取曲线 %1/%2 包 %3/%4 字节 约 %5 秒")
      .arg(p.packets)
      .arg(packets)
      .arg(p.bytes)
      .arg(total)
      .arg(static_cast<long long>(std::ceil(seconds)));
}

}  // namespace

void CTesterDlg::BuildProgressStrip() {
  m_worker = std::make_unique<kx::panel::ExchangeWorker>();
  m_progressStrip = new QWidget(this);
  m_progressStrip->setObjectName(QStringLiteral("progressStrip"));
  m_progressStrip->setAutoFillBackground(true);
  auto* layout = new QHBoxLayout(m_progressStrip);
  layout->setContentsMargins(8, 2, 8, 2);
  m_progressLabel = new QLabel(m_progressStrip);
  m_progressLabel->setObjectName(QStringLiteral("progressText"));
  m_btnCancelProgress = new QPushButton(kx::QTr("CTesterDlg", "取消"), m_progressStrip);
  m_btnCancelProgress->setObjectName(QStringLiteral("progressCancel"));
  m_btnCancelProgress->setAutoDefault(false);
  layout->addWidget(m_progressLabel, 1);
  layout->addWidget(m_btnCancelProgress);
  m_progressStrip->hide();
  connect(m_btnCancelProgress, &QPushButton::clicked, this, [this] { CancelExchange(); });
  m_progressTimer.setInterval(kProgressRefreshMs);
  connect(&m_progressTimer, &QTimer::timeout, this, [this] { UpdateProgress(); });
}

int CTesterDlg::WaitOf(kx::Command command) const { return kx::ScaledWait(kx::Info(command).waitMs, m_waitScale); }

bool CTesterDlg::RunExchange(const std::function<void(kx::Port&)>& job, const PortUse& use) {
  m_bCancelled = false;
  kx::SerialPort& port = *m_hComm;
  QEventLoop loop;
  BeginProgress(use);
  std::atomic<bool> finished{false};
  auto run = [&job, &port, &loop, &finished] {
    job(port);
    finished = true;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  };
  // A tick's job may still be winding down after its completion was posted.
  while (!m_worker->Start(run)) m_worker->WaitIdle();
  loop.exec();
  if (!finished) {
    // The loop ended early: the application is quitting. The exchange is stopped,
    // its result dropped, and nothing more is shown.
    m_bClosing = true;
    port.Interrupt();
  }
  m_worker->WaitIdle();  // nothing of the job runs once the port is closed
  if (m_bCancelled && !m_bClosing) DrainCancelled();
  EndProgress();
  return !m_bCancelled && !m_bClosing;
}

void CTesterDlg::AwaitLine() {
  if (!m_bTickInFlight && !m_drainPort) return;
  QEventLoop loop;
  m_lineWait = &loop;
  m_bExchanging = true;
  qApp->installEventFilter(this);
  loop.exec();
  qApp->removeEventFilter(this);
  m_bExchanging = false;
  m_lineWait = nullptr;
  if (m_bTickInFlight || m_drainPort) {  // the application is quitting
    if (m_hComm) m_hComm->Interrupt();
    if (m_drainPort) m_drainPort->Interrupt();
    m_worker->WaitIdle();
    m_bTickInFlight = false;
    m_drainPort.reset();
  }
  DeliverDueTick();
}

void CTesterDlg::DrainCancelled() {
  // The interruption that cancelled the download lasts until the port is opened
  // again; the rest of a packet takes at most a packet's time on the wire. Behind a
  // raw TCP server the port applies no rate, and the line's is the one asked for.
  const std::string path = m_hComm->Path();
  const int baud = m_hComm->AppliedBaud() > 0 ? m_hComm->AppliedBaud() : m_commBaud;
  std::unique_ptr<kx::SerialPort> port = std::move(m_hComm);
  if (port->Open(path, baud) != kx::LinkError::None) return;  // the line is gone, and with it the rest
  m_drainPort = std::move(port);
  kx::SerialPort& line = *m_drainPort;
  const int limitMs = kx::GroupPacketWireMs(baud);
  while (!m_worker->Start([this, &line, limitMs] {
    kx::DrainLine(line, kx::Timeouts{}.readIntervalMs, limitMs);
    QMetaObject::invokeMethod(this, [this] { FinishDrain(); }, Qt::QueuedConnection);
  })) {
    m_worker->WaitIdle();
  }
}

void CTesterDlg::FinishDrain() {
  m_drainPort.reset();
  if (m_lineWait != nullptr) m_lineWait->quit();
}

void CTesterDlg::StartTickOnWorker() {
  const Exchange<kx::ExchangeResult> exchange = LiveExchange();
  if (!m_hComm) {
    kx::ExchangeResult notOpen;
    notOpen.outcome = kx::ExchangeOutcome::WriteFailed;
    notOpen.cause = kx::LinkError::NotOpen;
    FinishTick(notOpen);
    return;
  }
  m_bTickInFlight = true;
  // A period of 0 means "again as soon as the last one is done": the timer rests
  // meanwhile instead of spinning the GUI thread.
  if (m_acquisitionTimer.interval() == 0) m_acquisitionTimer.stop();
  kx::SerialPort& port = *m_hComm;
  while (!m_worker->Start([this, exchange, &port] {
    auto result = std::make_shared<kx::ExchangeResult>(exchange(port));
    QMetaObject::invokeMethod(this, [this, result] { FinishTick(*result); }, Qt::QueuedConnection);
  })) {
    m_worker->WaitIdle();
  }
}

void CTesterDlg::FinishTick(const kx::ExchangeResult& result) {
  m_bTickInFlight = false;
  const std::optional<kx::LiveReading> reading = ShowLiveValues(result);
  if (reading) {
    ++m_nSuccessCount;
  } else {
    ++m_nFailCount;
  }
  // Only the counters: what the operator typed while the reading ran stays, and
  // the next tick reads it.
  ControlAs<QLineEdit>(kx::panel::ids::kEditSuccessCount)->setText(QString::number(m_nSuccessCount));
  ControlAs<QLineEdit>(kx::panel::ids::kEditFailCount)->setText(QString::number(m_nFailCount));
  // Still within the tick: a message about the log holds the next one back.
  LogReading(reading ? &*reading : nullptr);
  m_bInTick = false;
  if (m_bContinuous && !m_acquisitionTimer.isActive() && m_acquisitionTimer.interval() == 0 && !m_bClosing) m_acquisitionTimer.start();
  if (m_lineWait != nullptr) m_lineWait->quit();
  DeliverDueTick();
}

void CTesterDlg::DeliverDueTick() {
  if (!m_bTickDue || !m_bContinuous || m_bClosing || m_bInTick || m_bExchanging) return;
  m_bTickDue = false;
  m_timerDue.start();
}

kx::GroupProgressCallback CTesterDlg::DownloadProgress() {
  // Called on the worker; the panel outlives every job (its destructor joins the worker).
  return [this](const kx::GroupProgress& progress) {
    QMetaObject::invokeMethod(this, [this, progress] { ShowDownloadProgress(progress); }, Qt::QueuedConnection);
  };
}

void CTesterDlg::ShowDownloadProgress(const kx::GroupProgress& progress) {
  if (!m_bExchanging) return;  // a report that arrived after its download ended
  SetProgressText(DownloadText(progress, m_progressClock.elapsed()));
}

void CTesterDlg::BeginProgress(const PortUse& use) {
  m_bExchanging = true;
  m_bCancellable = use.download;
  m_progressWaitMs = use.waitMs;
  m_progressTextNow.clear();
  m_progressClock.start();
  m_progressTimer.start();
  qApp->installEventFilter(this);
}

void CTesterDlg::UpdateProgress() {
  const qint64 elapsed = m_progressClock.elapsed();
  if (elapsed < kProgressDelayMs) return;
  if (!m_bCancellable) {
    const qint64 waited = elapsed / 1000;
    const int allowed = (m_progressWaitMs + 999) / 1000;
    SetProgressText(allowed > 0 ? kx::QTr("CTesterDlg", "等待设备回答 %1/%2 秒").arg(waited).arg(allowed)
                                : kx::QTr("CTesterDlg", "等待设备回答 %1 秒").arg(waited));
  } else if (m_progressTextNow.isEmpty()) {
    SetProgressText(kx::QTr("CTesterDlg", "读取曲线 %1 包 %2 字节").arg(0).arg(0));
  }
  if (!m_progressStrip->isVisible()) {
    m_btnCancelProgress->setVisible(m_bCancellable);
    m_progressStrip->setGeometry(0, height() - kStripHeight, width(), kStripHeight);
    m_progressStrip->raise();
    m_progressStrip->show();
  }
}

void CTesterDlg::SetProgressText(const QString& text) {
  if (text == m_progressTextNow) return;
  m_progressTextNow = text;
  m_progressLabel->setText(text);
  emit ProgressChanged(text);
}

void CTesterDlg::EndProgress() {
  qApp->removeEventFilter(this);
  m_progressTimer.stop();
  m_progressStrip->hide();
  m_bExchanging = false;
  m_bCancellable = false;
  DeliverDueTick();
}

void CTesterDlg::CancelExchange() {
  if (!m_bExchanging || !m_bCancellable || m_bCancelled) return;
  m_bCancelled = true;
  if (m_hComm) m_hComm->Interrupt();
}

void CTesterDlg::closeEvent(QCloseEvent* event) {
  // Closing ends the exchange in flight at once; what it would have shown is dropped.
  if (m_bExchanging || m_bTickInFlight) {
    m_bClosing = true;
    m_acquisitionTimer.stop();
    if (m_hComm) m_hComm->Interrupt();
  }
  if (m_drainPort) m_drainPort->Interrupt();  // what is left of a cancelled packet no longer matters
  QDialog::closeEvent(event);
}

bool CTesterDlg::eventFilter(QObject* watched, QEvent* event) {
  if (!m_bExchanging || !IsInput(event->type()) || !watched->isWidgetType()) return QDialog::eventFilter(watched, event);
  auto* widget = static_cast<QWidget*>(watched);
  if (widget != this && !isAncestorOf(widget)) return false;
  if (widget == m_btnCancelProgress && m_bCancellable) {
    const auto type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease) return false;
  }
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    CancelExchange();
  }
  return true;
}
