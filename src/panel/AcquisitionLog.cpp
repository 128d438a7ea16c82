// The log of a continuous run: with "记录" ticked as "连续采集" starts, the panel
// asks for a file and writes every tick's reading to it, good or failed, in the
// live CSV of the command line. Each row reaches the file at once, so a killed
// program keeps every row written. Ticking or unticking the box during a run
// changes nothing until the next run.

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QSettings>

#include "lang/Language.h"
#include "link/LiveCsv.h"
#include "panel/PanelTexts.h"
#include "panel/TesterDlg.h"
#include "ui/Prompts.h"

namespace {

QString LogFailure(const kx::files::FileResult& result) {
  return kx::QTr("CTesterDlg", kx::msg::kLogStopped) + QLatin1Char('\n') +
         QString::fromStdString(kx::files::Describe(result));
}

}  // namespace

void CTesterDlg::StartLog() {
  StopLog();
  if (!m_checkLog->isChecked()) return;
  kx::FileDialogRequest request;
  request.title = kx::QTr("CTesterDlg", kx::msg::kLogTitle);
  request.initialFolder = m_strLogFolder.isEmpty() ? QDir::currentPath() : m_strLogFolder;
  request.defaultName = QDateTime::currentDateTime().toString(QStringLiteral("'kx4200-'yyyyMMdd-HHmmss'.csv'"));
  request.filters = {kx::QTr("CTesterDlg", kx::msg::kLogFileFilter)};
  request.overwritePrompt = true;
  const QString path = kx::Prompts::Current().SaveFile(this, request);
  if (path.isEmpty()) return;  // cancelled: the run goes on without a log
  RememberFolder(m_strLogFolder, kx::panel::kKeyLogFolder, path);

  const std::string local = QFile::encodeName(path).toStdString();
  kx::files::FileResult result = kx::files::CheckOutput(local);
  auto log = std::make_unique<kx::files::StreamFile>(local);
  // The header goes first, so that a bad file is known before the run starts.
  if (result.ok()) result = log->Append(kx::LiveCsvHeader());
  if (!result.ok()) {
    ShowMessage(LogFailure(result));
    return;
  }
  m_log = std::move(log);
  // A long name keeps its start and its end in the room beside the box.
  m_staticLogFile->setText(m_staticLogFile->fontMetrics().elidedText(QFileInfo(path).fileName(), Qt::ElideMiddle,
                                                                     m_staticLogFile->width()));
  m_staticLogFile->setToolTip(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

void CTesterDlg::LogReading(const kx::LiveReading* reading) {
  if (!m_log) return;
  const kx::files::FileResult result = m_log->Append(kx::LiveCsvRow(m_strTickTime, reading));
  if (result.ok()) return;
  // The readings go on; only the log stops.
  StopLog();
  ShowMessage(LogFailure(result));
}

void CTesterDlg::StopLog() {
  if (m_log) m_log->Close();
  m_log.reset();
  m_staticLogFile->clear();
  m_staticLogFile->setToolTip(QString());
}

QString CTesterDlg::LogPath() const { return m_log ? QFile::decodeName(m_log->Path().c_str()) : QString(); }

void CTesterDlg::RememberFolder(QString& folder, const char* key, const QString& chosenFile) {
  folder = QFileInfo(chosenFile).absolutePath();
  QSettings* store = Settings();
  if (!store) return;
  store->setValue(QLatin1String(key), folder);
  store->sync();
}
