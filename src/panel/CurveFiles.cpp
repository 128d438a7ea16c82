// The current curve group on disk and on screen: open a ".bin" file ("打开"),
// save the current image ("另存"), show the viewer ("曲线"), and erase the
// device's groups ("清除曲线").

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>
#include <span>

#include "lang/Language.h"
#include "curves/CurveFile.h"
#include "curves/CurveGroup.h"
#include "files/SafeFile.h"
#include "link/CurveTransfer.h"
#include "texts/Messages.h"
#include "panel/PanelTexts.h"
#include "panel/TesterDlg.h"
#include "ui/Prompts.h"
#include "ui/Utf8.h"
#include "ui/WaitCursor.h"

namespace {

using kx::Utf8;

// Shown and proposed for an image without a single whole record: it has no date.
const QString kNoDate = QStringLiteral("0000-00-00");

// The time stamp of the image's first record, when it holds one whole record.
std::optional<kx::BcdDateTime> FirstPointDate(std::span<const uint8_t> image) {
  if (image.size() < 1 + kx::kPointRecordSize || image[0] == 0) return std::nullopt;
  return kx::DecodeBcdDateTime(image.data() + 1);
}

QString DefaultFileName(std::span<const uint8_t> image) {
  const auto d = FirstPointDate(image);
  if (!d) return kNoDate;
  return QString::asprintf("%d-%d-%d_%d-%d-%d", d->year, d->month, d->day, d->hour, d->minute, d->second);
}

QString FileDate(std::span<const uint8_t> image) {
  const auto d = FirstPointDate(image);
  if (!d) return kNoDate;
  return QString::asprintf("%d-%d-%d", d->year, d->month, d->day);
}

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString FileError(kx::CurveFileStatus status, const QString& path) {
  return Utf8(kx::CurveFileMessage(status)) + QLatin1Char('\n') + QDir::toNativeSeparators(path);
}

}  // namespace

void CTesterDlg::ConnectCurveFiles() {
  connect(m_btnOpen, &QPushButton::clicked, this, [this] { OnOpenCurveFile(); });
  connect(m_btnSaveAs, &QPushButton::clicked, this, [this] { OnSaveCurveFile(); });
  connect(m_btnCurve, &QPushButton::clicked, this, [this] { OnShowCurves(); });
  connect(m_btnClear, &QPushButton::clicked, this, [this] { OnClearCurves(); });
}

void CTesterDlg::OnOpenCurveFile() {
  if (RefusedWhileAcquiring()) return;
  kx::FileDialogRequest request;
  request.initialFolder = m_strOpenFolder.isEmpty() ? QDir::currentPath() : m_strOpenFolder;
  request.filters = {kx::QTr("CTesterDlg", kx::msg::kCurveFileFilter)};
  const QString path = kx::Prompts::Current().OpenFile(this, request);
  if (path.isEmpty()) return;
  RememberFolder(m_strOpenFolder, kx::panel::kKeyOpenFolder, path);

  std::optional<kx::WaitCursor> wait(std::in_place);
  size_t length = 0;
  // The buffer and the length change only when the whole file was good.
  const kx::CurveFileResult result = kx::ReadCurveFile(LocalPath(path), std::span<uint8_t>(m_pGroupData), length);
  if (!result.ok()) {
    wait.reset();
    ShowMessage(FileError(result.status, path));
    return;
  }
  const std::span<const uint8_t> image(m_pGroupData.data(), length);
  m_dlgCurveView.Group().LoadGroupImage(image);
  m_nGroupBytes = static_cast<int>(length);
  m_nGroupPoints = m_dlgCurveView.Group().PointCount();
  m_strGroupDate = FileDate(image);
  m_strPointCount = QString::number(m_nGroupPoints);
  UpdateData(false);
  m_btnView->setEnabled(true);
  m_btnCurve->setEnabled(true);
}

void CTesterDlg::OnSaveCurveFile() {
  const std::span<const uint8_t> image(m_pGroupData.data(), static_cast<size_t>(m_nGroupBytes));
  kx::FileDialogRequest request;
  request.title = kx::QTr("CTesterDlg", kx::msg::kSaveTitle);
  request.initialFolder = m_strSaveFolder.isEmpty() ? QDir::currentPath() : m_strSaveFolder;
  request.defaultName = DefaultFileName(image);
  request.filters = {kx::QTr("CTesterDlg", kx::msg::kCurveFileFilter)};
  // The dialog does not know the ".bin" that may be added; the question below
  // is about the file that will really be replaced.
  request.overwritePrompt = false;
  QString path = kx::Prompts::Current().SaveFile(this, request);
  if (path.isEmpty()) return;
  RememberFolder(m_strSaveFolder, kx::panel::kKeySaveFolder, path);
  if (!path.endsWith(QLatin1String(".bin"), Qt::CaseInsensitive)) path += QLatin1String(".bin");

  // A dangling link counts: saving through it creates the file it names.
  if (kx::files::TargetExists(LocalPath(path))) {
    const QString question =
        kx::QTr("CTesterDlg", kx::msg::kReplaceQuestion).arg(QDir::toNativeSeparators(QFileInfo(path).fileName()));
    const QString caption = kx::QTr("CTesterDlg", kx::msg::kSaveTitle);
    if (kx::Prompts::Current().Question(this, question, caption) != kx::Prompts::Answer::Yes) {
      return;
    }
  }
  kx::CurveWriteOptions options;
  options.beforeRename = m_beforeSaveRename;
  const kx::CurveFileResult result = kx::WriteCurveFile(LocalPath(path), image, options);
  if (!result.ok()) ShowMessage(FileError(result.status, path));
}

void CTesterDlg::OnShowCurves() {
  UpdateData(true);
  m_dlgCurveView.m_strTitle = m_strGroupDate + QStringLiteral(".bin");
  kx::Prompts::Current().Exec(m_dlgCurveView);
}

void CTesterDlg::OnClearCurves() {
  UpdateData(true);
  if (RefusedWhileAcquiring()) return;
  if (kx::Prompts::Current().Question(this, kx::QTr("CTesterDlg", kx::msg::kClearQuestion),
                                      kx::QTr("CTesterDlg", kx::msg::kClearCaption)) != kx::Prompts::Answer::Yes) {
    return;
  }
  ShowMessage(kx::QTr("Messages", ClearCurves(m_nAddress) ? kx::msg::kClearOk : kx::msg::kClearFailed));
}

bool CTesterDlg::ClearCurves(int address) {
  bool ok = false;
  // The caller has read the fields and asked; a failed open adds its own text.
  RunOnPort(
      {.openFailure = kx::msg::kCurveCommFailed, .readFirst = false},
      [address] { return [address](kx::Port& port) { return kx::ClearCurves(port, address); }; },
      [&ok](kx::ClearOutcome outcome) { ok = outcome == kx::ClearOutcome::Ok; });
  return ok;
}
