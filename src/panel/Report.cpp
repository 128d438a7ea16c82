// The test report ("生成报告…" in the context menu): what the unit says now and the
// held curve group, drawn by the same renderer as the command line's report.

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <ctime>
#include <optional>
#include <span>

#include "chart/ChartDraw.h"
#include "curves/CurveGroup.h"
#include "files/SafeFile.h"
#include "lang/Language.h"
#include "panel/ControlIds.h"
#include "panel/FieldText.h"
#include "panel/PanelTexts.h"
#include "panel/TesterDlg.h"
#include "report/ReportAnalysis.h"
#include "report/ReportRender.h"
#include "texts/ChineseTexts.h"
#include "ui/Prompts.h"
#include "ui/WaitCursor.h"

void CTesterDlg::MakeReport() {
  const auto now = [clock = m_clockNow] { return clock ? static_cast<std::time_t>(clock()) : std::time(nullptr); };
  QString path;
  // The file is chosen first: a cancelled dialog costs no exchange.
  const auto askPath = [this, &path, &now] {
    kx::FileDialogRequest request;
    request.title = kx::QTr("CTesterDlg", kx::msg::kReportItem);
    request.initialFolder = m_strSaveFolder.isEmpty() ? QDir::currentPath() : m_strSaveFolder;
    request.defaultName =
        QDateTime::fromSecsSinceEpoch(now()).toString(QStringLiteral("'kx4200-report-'yyyyMMdd-HHmmss'.pdf'"));
    request.filters = {kx::QTr("CTesterDlg", kx::msg::kReportFilter)};
    request.overwritePrompt = false;  // asked below, about the name with its ".pdf"
    QString chosen = kx::Prompts::Current().SaveFile(this, request);
    if (chosen.isEmpty()) return false;
    RememberFolder(m_strSaveFolder, kx::panel::kKeySaveFolder, chosen);
    if (QFileInfo(chosen).suffix().isEmpty()) chosen += QLatin1String(".pdf");
    if (kx::files::TargetExists(QFile::encodeName(chosen).toStdString())) {
      const QString question =
          kx::QTr("CTesterDlg", kx::msg::kReplaceQuestion).arg(QDir::toNativeSeparators(QFileInfo(chosen).fileName()));
      const QString caption = kx::QTr("CTesterDlg", kx::msg::kReportItem);
      if (kx::Prompts::Current().Question(this, question, caption) != kx::Prompts::Answer::Yes)
        return false;
    }
    path = chosen;
    return true;
  };

  bool opened = false;
  std::optional<kx::report::ReportData> gathered;
  // No text of its own when the port does not open: the report says so.
  RunOnPort(
      {.openFailure = nullptr,
       .busy = Busy::Refused,
       .ready = askPath,
       .waitMs = WaitOf(kx::Command::ReadVersion) + WaitOf(kx::Command::ReadClock) +
                 WaitOf(kx::Command::Acquire) + WaitOf(kx::Command::ReadAlarm)},
      [this, &opened, &now] {
        opened = true;
        kx::report::GatherOptions options;
        options.address = m_nAddress;
        options.cellFullScale =
            kx::panel::FieldText::Scale(ControlAs<QLineEdit>(kx::panel::ids::kEditVoltRange)->text());
        options.currentRange =
            kx::panel::FieldText::Scale(ControlAs<QLineEdit>(kx::panel::ids::kEditCurrentRange)->text());
        options.now = now;
        return [options](kx::Port& port) {
          kx::report::ReportData data;
          kx::report::GatherReport(port, options, data);
          return data;
        };
      },
      [&gathered](const kx::report::ReportData& data) { gathered = data; });
  if (path.isEmpty()) return;  // refused while acquiring, cancelled, or the panel closed
  if (opened && !gathered) return;  // the panel closed during the exchange

  kx::report::ReportData data = gathered.value_or(kx::report::ReportData{});
  const std::string port = ResolvedPortPath().toStdString();
  if (!opened) data.portFailure = kx::OpenFailureCause(port, m_lastOpenError);
  data.title = kx::report::kDefaultTitle;
  data.madeAt = now();
  data.port = port;
  data.address = m_nAddress;
  const int item = m_comboBaud->currentIndex();
  data.baud = item < 0 ? 0 : kx::panel::FieldText::Atoi(m_comboBaud->itemText(item));

  std::optional<kx::WaitCursor> wait(std::in_place);
  // The held group as the viewer makes it, on page 2.
  CCurveGroup group;
  group.m_colors = kx::BuildCurveColors();
  group.LoadGroupImage(std::span<const uint8_t>(m_pGroupData.data(), static_cast<size_t>(m_nGroupBytes)));
  // Its analysis with the viewer's parameters and baseline.
  QString note;
  const kx::report::AnalysisPage analysis{m_dlgCurveView.AnalysisParameters(), m_dlgCurveView.AnalyseGroup(group, &note),
                                          QFileInfo(m_dlgCurveView.BaselinePath()).fileName().toStdString(),
                                          note.toStdString()};
  const QByteArray pdf =
      kx::report::RenderReportPdf(data, kx::report::HasCurves(&group) ? &group : nullptr, &analysis);
  std::string failure = pdf.isEmpty() ? "cannot draw the report" : std::string();
  if (failure.empty()) {
    const kx::files::FileResult written = kx::files::WriteFile(
        QFile::encodeName(path).toStdString(),
        std::span(reinterpret_cast<const uint8_t*>(pdf.constData()), static_cast<size_t>(pdf.size())));
    if (!written.ok()) failure = kx::files::Describe(written);
  }
  wait.reset();
  if (!failure.empty()) {
    ShowMessage(kx::QTr("CTesterDlg", kx::msg::kReportWriteFailed) + QLatin1Char('\n') +
                QString::fromStdString(failure));
    return;
  }
  // A report of a silent unit is still a report; one box says so, nothing more.
  if (!data.UnitAnswered()) {
    const char* why = data.portFailure.empty() ? kx::msg::kReportNoAnswer : kx::msg::kReportNoPort;
    ShowMessage(kx::QTr("CTesterDlg", why) + QLatin1Char('\n') + QDir::toNativeSeparators(path));
  }
}
