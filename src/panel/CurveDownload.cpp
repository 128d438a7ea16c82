// The device's stored curve groups: how many there are ("查询曲线条数"), download
// one ("读取") and look at one record point of it ("查看").

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <ctime>

#include "link/CurveTransfer.h"
#include "link/Messages.h"
#include "panel/CurveWait.h"
#include "panel/FieldText.h"
#include "panel/PanelTexts.h"
#include "panel/TesterDlg.h"

namespace {

void SetValueCell(QTableWidget* table, int row, int column, const QString& text) {
  if (auto* item = table->item(row, column)) {
    item->setText(text);
    return;
  }
  table->setItem(row, column, new QTableWidgetItem(text));
}

QString Utf8(const char* text) { return QString::fromUtf8(text); }

}  // namespace

void CTesterDlg::ConnectCurveDownload() {
  connect(m_btnQueryCount, &QPushButton::clicked, this, [this] { OnQueryCurveCount(); });
  connect(m_btnRead, &QPushButton::clicked, this, [this] { OnReadGroup(); });
  connect(m_btnView, &QPushButton::clicked, this, [this] { OnViewPoint(); });
}

int CTesterDlg::QueryCurveCount() {
  UpdateData(true);
  if (!OpenPort()) {
    ShowMessage(Utf8(kx::msg::kCountPortFailed));
    return -1;
  }
  const kx::CurveCountResult result = kx::QueryCurveCount(*m_hComm, m_nAddress);
  ClosePort();
  if (result.outcome != kx::CurveCountOutcome::Ok) {
    ShowMessage(Utf8(kx::msg::kCommFailedBang));
    return -1;
  }
  m_staticGroupCount->setText(QString::fromStdString(kx::CurveCountText(result.recorded, result.recording)));
  return result.Readable();
}

bool CTesterDlg::ReadGroupImage(int group) {
  UpdateData(true);
  if (!OpenPort()) {
    ShowMessage(Utf8(kx::msg::kOpenCommPortFailed));
    return false;
  }
  std::vector<uint8_t> image;
  const kx::GroupImageOutcome outcome = kx::ReadGroupImage(*m_hComm, m_nAddress, group, image);
  ClosePort();
  switch (outcome) {
    case kx::GroupImageOutcome::Ok:
      break;
    case kx::GroupImageOutcome::ShortHeader:
    case kx::GroupImageOutcome::ShortPayload:
    case kx::GroupImageOutcome::WriteFailed:  // nothing went out, so nothing came back
      ShowMessage(Utf8(kx::msg::kGroupPacketFailed));
      return false;
    case kx::GroupImageOutcome::Oversize:
    case kx::GroupImageOutcome::Overflow:
      return false;  // the caller's "读曲线数据错误" says it
  }
  // ReadGroupImage never grows an image past the buffer's 50,000 bytes.
  std::copy(image.begin(), image.end(), m_pGroupData.begin());
  m_nGroupBytes = static_cast<int>(image.size());
  m_dlgCurveView.Group().LoadGroupImage(std::span<const uint8_t>(m_pGroupData.data(), image.size()));
  return true;
}

bool CTesterDlg::ReadGroupDate() {
  UpdateData(true);
  if (!OpenPort()) return false;
  const kx::GroupDateResult result = kx::ReadGroupDate(*m_hComm, m_nAddress, m_nGroupNo);
  ClosePort();
  if (result.outcome != kx::GroupDateOutcome::Ok) return false;
  m_strGroupDate = QString::fromStdString(kx::FormatGroupDate(result.date));
  UpdateData(false);
  return true;
}

void CTesterDlg::OnQueryCurveCount() {
  if (IsAcquiring()) {
    ShowMessage(Utf8(kx::msg::kStopAcquisitionFirst));
    return;
  }
  QueryCurveCount();
}

void CTesterDlg::OnReadGroup() {
  if (IsAcquiring()) {
    ShowMessage(Utf8(kx::msg::kStopAcquisitionFirst));
    return;
  }
  kx::panel::WaitCursor wait;

  const int readable = QueryCurveCount();  // reads the controls: m_nGroupNo is current from here
  const char* failure = nullptr;
  if (readable == -1) {
    failure = kx::msg::kCurveCountFailed;
  } else if (readable == 0) {
    failure = kx::msg::kNoCurveData;
  } else if (m_nGroupNo > readable || m_nGroupNo < 1) {
    failure = kx::msg::kNoSuchCurve;
  } else if (!ReadGroupImage(m_nGroupNo)) {
    failure = kx::msg::kGroupReadFailed;
  }

  if (failure != nullptr) {
    ShowMessage(Utf8(failure));
    m_btnView->setEnabled(false);
    m_btnSaveAs->setEnabled(false);
    m_btnCurve->setEnabled(false);
    return;
  }
  m_nGroupPoints = m_dlgCurveView.Group().PointCount();
  m_strPointCount = QString::number(m_nGroupPoints);
  UpdateData(false);
  ReadGroupDate();  // a failed date read keeps the old date; the group is still good
  m_btnView->setEnabled(true);
  m_btnSaveAs->setEnabled(true);
  m_btnCurve->setEnabled(true);
}

void CTesterDlg::OnViewPoint() {
  const CCurveGroup& group = m_dlgCurveView.Group();
  // The edit's own text first (as typed, up to 19 characters), then the exchange.
  const long long typed = kx::panel::FieldText::AtoiWide(ControlAs<QLineEdit>(1022)->text().left(19));
  if (typed > group.PointCount()) ShowMessage(Utf8(kx::msg::kBadPointCount));

  UpdateData(true);
  // Bounded by the curves actually held as well, so a stale count can never index past them.
  if (m_nPointNo > m_nGroupPoints || m_nPointNo < 1 || m_nPointNo > group.PointCount()) {
    ShowMessage(Utf8(kx::msg::kBadPointNumber));
    return;
  }
  const size_t k = static_cast<size_t>(m_nPointNo - 1);
  for (int i = 0; i < kx::kChannelCount; ++i) {
    const QString value = QString::asprintf("%.03f", static_cast<double>(group.m_curves[i]->m_values[k]));
    if (i <= 30) {
      SetValueCell(m_listPointValues, i, 1, value);
    } else {
      SetValueCell(m_listPointValues, i - 31, 3, value);
    }
  }
  const time_t when = group.m_curves[1]->m_times[k];
  std::tm local{};
  char text[128] = {};
  if (localtime_r(&when, &local) != nullptr) std::strftime(text, sizeof text, kx::msg::kPointTimeFormat, &local);
  m_strPointTime = QString::fromUtf8(text);
  UpdateData(false);
}
