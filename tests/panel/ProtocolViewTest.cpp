// "通讯监视": the panel's frames listed with their command and verdict, the
// window's controls, the tracer present only while it is open, and its bound.

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>

#include "PanelFixture.h"
#include "link/Exchange.h"
#include "panel/ProtocolViewDlg.h"
#include "texts/FrameText.h"

namespace {

class ProtocolView : public PanelFixture {
 protected:
  QString Text(int row, int column) const {
    const CFrameTableModel& frames = panel->ProtocolView().Frames();
    return frames.data(frames.index(row, column)).toString();
  }
};

TEST_F(ProtocolView, ListsAReadingsFramesWhileOpenAndNothingOnceClosed) {
  EXPECT_FALSE(kx::FrameTracing());
  panel->ShowProtocolView();
  CProtocolViewDlg& protocol = panel->ProtocolView();
  EXPECT_TRUE(protocol.Collecting());
  EXPECT_EQ(protocol.windowTitle(), QStringLiteral("通讯监视"));

  panel->OnAcquire();
  device->SetFault(kx::Fault::Checksum, 1);
  panel->OnAcquire();
  prompts.Clear();
  protocol.Drain();
  const CFrameTableModel& frames = protocol.Frames();
  ASSERT_EQ(frames.rowCount(), 4);
  EXPECT_EQ(Text(0, CFrameTableModel::kDirection), "TX");
  EXPECT_EQ(Text(0, CFrameTableModel::kBytes), "14 2E 00 00 00 00 00 FF D1");
  EXPECT_EQ(Text(0, CFrameTableModel::kCommand), "acquire");
  EXPECT_EQ(Text(0, CFrameTableModel::kVerdict), "sent");
  EXPECT_EQ(Text(1, CFrameTableModel::kDirection), "RX");
  EXPECT_EQ(Text(1, CFrameTableModel::kCommand), "acquire");
  EXPECT_EQ(Text(1, CFrameTableModel::kVerdict), "reply accepted");
  EXPECT_EQ(Text(1, CFrameTableModel::kBytes).size(), 109 * 3 - 1);
  EXPECT_EQ(Text(3, CFrameTableModel::kVerdict), "wrong checksum");
  EXPECT_EQ(frames.headerData(CFrameTableModel::kVerdict, Qt::Horizontal).toString(), QStringLiteral("结果"));
  // A row's line is the fields joined as --trace prints them.
  EXPECT_EQ(frames.Line(0), Text(0, CFrameTableModel::kTime) + " TX 14 2E 00 00 00 00 00 FF D1 | acquire | sent");

  // Copy: the selected rows' lines, in table order.
  protocol.View()->selectRow(3);
  protocol.View()->selectionModel()->select(frames.index(1, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
  protocol.CopySelection();
  EXPECT_EQ(QApplication::clipboard()->text(), frames.Line(1) + "\n" + frames.Line(3) + "\n");

  // Save: every line, UTF-8, through the save dialog.
  QTemporaryDir dir;
  prompts.savePaths.push_back(dir.filePath("trace.txt"));
  protocol.SaveAll();
  QFile saved(dir.filePath("trace.txt"));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(saved.readAll()), protocol.Lines());
  EXPECT_EQ(protocol.Lines().count('\n'), 4);
  EXPECT_TRUE(prompts.Texts().isEmpty());

  // Paused: the table holds still, the frames are kept and come with 继续.
  protocol.SetPaused(true);
  panel->OnAcquire();
  protocol.Drain();
  EXPECT_EQ(frames.rowCount(), 4);
  protocol.SetPaused(false);
  EXPECT_EQ(frames.rowCount(), 6);

  protocol.Clear();
  EXPECT_EQ(frames.rowCount(), 0);

  // Closed: no tracer; nothing more is listed.
  protocol.close();
  EXPECT_FALSE(protocol.Collecting());
  EXPECT_FALSE(kx::FrameTracing());
  panel->OnAcquire();
  protocol.Drain();
  EXPECT_EQ(frames.rowCount(), 0);

  // Open again when the panel goes away: the tracer goes with it.
  panel->ShowProtocolView();
  EXPECT_TRUE(kx::FrameTracing());
  panel.reset();
  EXPECT_FALSE(kx::FrameTracing());
}

TEST(ProtocolViewTable, KeepsTheNewestTenThousandFrames) {
  CFrameTableModel frames;
  EXPECT_EQ(frames.Capacity(), 10000u);
  auto batch = [](size_t from, size_t n) {
    std::vector<kx::FrameRecord> records(n);
    for (size_t i = 0; i < n; ++i) {
      records[i].fields.verdict = kx::FrameVerdict::WrongLength;  // its text shows the count
      records[i].fields.count = from + i;
    }
    return records;
  };
  frames.Append(batch(0, 9990));
  frames.Append(batch(9990, 15));  // five of the oldest go
  ASSERT_EQ(frames.rowCount(), 10000);
  EXPECT_EQ(frames.Line(0), QString::fromStdString(kx::FrameLine(batch(5, 1)[0].View())));
  frames.Append(batch(20000, 10003));  // more than the table holds at once
  ASSERT_EQ(frames.rowCount(), 10000);
  EXPECT_EQ(frames.Line(9999), QString::fromStdString(kx::FrameLine(batch(30002, 1)[0].View())));
  EXPECT_EQ(frames.Line(0), QString::fromStdString(kx::FrameLine(batch(20003, 1)[0].View())));
}

}  // namespace
