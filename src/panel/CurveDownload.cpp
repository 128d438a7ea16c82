// The device's stored curve groups: how many there are ("查询曲线条数"), download
// one ("读取") and look at one record point of it ("查看").

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <ctime>

#include "lang/Language.h"
#include "link/CurveTransfer.h"
#include "texts/ChineseTexts.h"
#include "texts/Messages.h"
#include "panel/ControlIds.h"
#include "panel/FieldText.h"
#include "panel/PanelTexts.h"
#include "panel/TesterDlg.h"
#include "panel/ValueTables.h"
#include "ui/WaitCursor.h"

using namespace kx::panel::ids;

namespace {

struct GroupImage {
  kx::GroupImageOutcome outcome;
  std::vector<uint8_t> image;
  int badPackets = 0;
};

}  // namespace

void CTesterDlg::ConnectCurveDownload() {
  connect(m_btnQueryCount, &QPushButton::clicked, this, [this] { OnQueryCurveCount(); });
  connect(m_btnRead, &QPushButton::clicked, this, [this] { OnReadGroup(); });
  connect(m_btnView, &QPushButton::clicked, this, [this] { OnViewPoint(); });
}

int CTesterDlg::QueryCurveCount() {
  int readable = -1;
  RunOnPort(
      {.openFailure = kx::msg::kCurveCountOpenFailed},
      [this] { return [address = m_nAddress](kx::Port& port) { return kx::QueryCurveCount(port, address); }; },
      [this, &readable](const kx::CurveCountResult& result) {
        if (result.outcome != kx::CurveCountOutcome::Ok) {
          ShowMessage(kx::QTr("Messages", kx::msg::kCurveCommFailed));
          return;
        }
        m_staticGroupCount->setText(QString::fromStdString(kx::CurveCountText(result.recorded, result.recording)));
        readable = result.Readable();
      });
  return readable;
}

bool CTesterDlg::ReadGroupImage(int group, int& badPackets) {
  bool ok = false;
  badPackets = 0;
  RunOnPort(
      {.openFailure = kx::msg::kOpenCommPortFailed, .download = true},
      [this, group] {
        return [address = m_nAddress, group, progress = DownloadProgress()](kx::Port& port) {
          GroupImage read{kx::GroupImageOutcome::Ok, {}, 0};
          read.outcome = kx::ReadGroupImage(port, address, group, read.image, &read.badPackets, progress);
          return read;
        };
      },
      [this, &ok, &badPackets](const GroupImage& read) {
        switch (read.outcome) {
          case kx::GroupImageOutcome::Ok:
            break;
          case kx::GroupImageOutcome::ShortHeader:
          case kx::GroupImageOutcome::ShortPayload:
          case kx::GroupImageOutcome::WriteFailed:  // nothing went out, so nothing came back
            ShowMessage(kx::QTr("Messages", kx::msg::kGroupPacketFailed));
            return;
          case kx::GroupImageOutcome::Oversize:
          case kx::GroupImageOutcome::Overflow:
            return;  // the caller's "读曲线数据错误" says it
        }
        // ReadGroupImage never grows an image past the buffer's 50,000 bytes.
        std::copy(read.image.begin(), read.image.end(), m_pGroupData.begin());
        m_nGroupBytes = static_cast<int>(read.image.size());
        m_dlgCurveView.Group().LoadGroupImage(std::span<const uint8_t>(m_pGroupData.data(), read.image.size()));
        badPackets = read.badPackets;
        ok = true;
      });
  return ok;
}

bool CTesterDlg::ReadGroupDate() {
  bool ok = false;
  RunOnPort(
      {.openFailure = nullptr},
      [this] {
        return [address = m_nAddress, group = m_nGroupNo](kx::Port& port) {
          return kx::ReadGroupDate(port, address, group);
        };
      },
      [this, &ok](const kx::GroupDateResult& result) {
        if (result.outcome != kx::GroupDateOutcome::Ok) return;
        m_strGroupDate = QString::fromStdString(kx::FormatGroupDate(result.date));
        UpdateData(false);
        ok = true;
      });
  return ok;
}

void CTesterDlg::OnQueryCurveCount() {
  if (RefusedWhileAcquiring()) return;
  QueryCurveCount();
}

void CTesterDlg::OnReadGroup() {
  if (RefusedWhileAcquiring()) return;
  kx::WaitCursor wait;

  const int readable = QueryCurveCount();  // reads the controls: m_nGroupNo is current from here
  const char* failure = nullptr;
  int badPackets = 0;
  if (readable == -1) {
    failure = kx::msg::kCurveCountFailed;
  } else if (readable == 0) {
    failure = kx::msg::kNoCurveData;
  } else if (m_nGroupNo > readable || m_nGroupNo < 1) {
    failure = kx::msg::kNoSuchCurve;
  } else if (!ReadGroupImage(m_nGroupNo, badPackets)) {
    // Cancelled (or the panel closed): the group held before stays, with its buttons.
    if (m_bCancelled || m_bClosing) return;
    failure = kx::msg::kGroupReadFailed;
  }

  if (failure != nullptr) {
    ShowMessage(kx::QTr("Messages", failure));
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
  // Packets are taken on their length; corrupt data is not taken silently.
  if (badPackets > 0) ShowMessage(QString::asprintf(kx::Tr("CTesterDlg", kx::msg::kBadPacketsFormat), badPackets));
}

void CTesterDlg::OnViewPoint() {
  const CCurveGroup& group = m_dlgCurveView.Group();
  // The edit's own text first (as typed, up to 19 characters), then the exchange.
  const long long typed = kx::panel::FieldText::AtoiWide(ControlAs<QLineEdit>(kEditPointNo)->text().left(19));
  if (typed > group.PointCount()) ShowMessage(kx::QTr("CTesterDlg", kx::msg::kBadPointCount));

  UpdateData(true);
  // Bounded by the curves actually held as well, so a stale count can never index past them.
  if (m_nPointNo > m_nGroupPoints || m_nPointNo < 1 || m_nPointNo > group.PointCount()) {
    ShowMessage(kx::QTr("CTesterDlg", kx::msg::kBadPointNumber));
    return;
  }
  const size_t k = static_cast<size_t>(m_nPointNo - 1);
  for (int i = 0; i < kx::kChannelCount; ++i) {
    const QString value = QString::asprintf("%.03f", static_cast<double>(group.m_curves[i]->m_values[k]));
    const kx::panel::TableCell cell = kx::panel::ValueCell(static_cast<size_t>(i));
    kx::panel::SetCell(m_listPointValues, cell.row, cell.column, value);
  }
  const time_t when = group.m_curves[1]->m_times[k];
  std::tm local{};
  char text[128] = {};
  if (localtime_r(&when, &local) != nullptr)
    std::strftime(text, sizeof text, kx::Tr("CTesterDlg", kx::msg::kPointTimeFormat), &local);
  m_strPointTime = QString::fromUtf8(text);
  UpdateData(false);
}
