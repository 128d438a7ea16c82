// What a good reading shows beyond its values: the cells' extremes and their
// line, the cells not fitted, and the values beyond the alarm thresholds.

#include <QFont>
#include <QTableWidgetItem>

#include "PanelFixture.h"
#include "link/Exchange.h"
#include "panel/LiveTrendDlg.h"

namespace {

using namespace kx::panel::ids;

class LiveMarks : public PanelFixture {
 protected:
  void SetUp() override {
    PanelFixture::SetUp();
    device->SetNoise(false);
    device->SetAllCells(3.350);
  }
  // Cell n's value item (numbered from 1), and its label item.
  QTableWidgetItem* Value(int n) const { return Item(n, 1); }
  QTableWidgetItem* Label(int n) const { return Item(n, 0); }
  QTableWidgetItem* Item(int n, int offset) const {
    return n <= 31 ? Table(kListValues)->item(n - 1, offset) : Table(kListValues)->item(n - 32, 2 + offset);
  }
  QColor Text(QTableWidgetItem* item) const {
    const QVariant v = item->data(Qt::ForegroundRole);
    return v.isValid() ? v.value<QBrush>().color() : QColor();
  }
  // Which of cells 1..40 carry a colour other than the grey of a cell not fitted.
  std::vector<int> Marked() const {
    std::vector<int> marked;
    for (int n = 1; n <= 40; ++n) {
      const QColor c = Text(Value(n));
      if (c.isValid() && c != QColor(160, 160, 160)) marked.push_back(n);
    }
    return marked;
  }
  QString Line() const { return Static(kStaticCellExtremes)->text(); }
  void Acquire() {
    IconButton(kBtnAcquire)->click();
    ASSERT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  }
};

TEST_F(LiveMarks, MarksTheHighestAndLowestFittedCellAndGreysTheOthers) {
  device->SetCellVoltage(16, 3.412);
  device->SetCellVoltage(4, 3.281);
  for (int c = 32; c < 40; ++c) device->SetCellVoltage(c, 0.0);
  Acquire();
  EXPECT_EQ(Marked(), (std::vector<int>{5, 17}));
  EXPECT_EQ(Text(Value(17)).red(), 200);
  EXPECT_EQ(Text(Value(5)).blue(), 220);
  EXPECT_TRUE(Value(17)->font().bold());
  EXPECT_EQ(Text(Value(33)), QColor(160, 160, 160));
  EXPECT_EQ(Text(Label(40)), QColor(160, 160, 160));
  EXPECT_FALSE(Text(Label(32)).isValid());
  EXPECT_EQ(Line(), QStringLiteral("最高 电池17 3.412V  最低 电池5 3.281V  压差 131mV  平均 3.350V"));

  // A failed reading leaves everything as it was.
  device->SetFault(kx::Fault::Short, 1);
  IconButton(kBtnAcquire)->click();
  ASSERT_EQ(prompts.Texts().size(), 1);
  EXPECT_EQ(Marked(), (std::vector<int>{5, 17}));
  EXPECT_TRUE(Line().startsWith(QStringLiteral("最高 电池17")));

  // The next good reading moves the marks: ties go to the first, cells come back.
  prompts.Clear();
  device->SetAllCells(3.300);
  device->SetCellVoltage(8, 3.500);
  device->SetCellVoltage(20, 3.500);
  Acquire();
  EXPECT_EQ(Marked(), (std::vector<int>{1, 9}));
  EXPECT_FALSE(Text(Value(33)).isValid());
  EXPECT_FALSE(Value(5)->font().bold());
  EXPECT_TRUE(Line().startsWith(QStringLiteral("最高 电池9 3.500V  最低 电池1 3.300V  压差 200mV")));
}

TEST_F(LiveMarks, NoCellFittedMarksNothingAndSaysSo) {
  device->SetAllCells(0.0);
  Acquire();
  EXPECT_EQ(Marked(), std::vector<int>{});
  EXPECT_TRUE(Line().startsWith(QStringLiteral("没有接入的电池"))) << Line().toStdString();
}

TEST_F(LiveMarks, ValuesBeyondTheirThresholdsTurnAmberOnlyWhileTheSwitchIsOn) {
  device->SetTotalVoltage(54.0);
  device->SetCurrent(-120.0);
  device->SetTemperature(0, 30.0);
  Acquire();
  QTableWidget* table = Table(kListValues);
  QTableWidgetItem* total = table->item(9, 3);
  QTableWidgetItem* current = table->item(10, 3);
  QTableWidgetItem* temp1 = table->item(11, 3);
  const auto amber = [](QTableWidgetItem* item) { return item->data(Qt::BackgroundRole).isValid(); };
  const QString shownTotal = total->text();
  const QString shownCurrent = current->text().mid(1);  // its magnitude
  ASSERT_TRUE(current->text().startsWith('-'));

  // At the limits: inside.
  Edit(kEditOverVolt)->setText(shownTotal);
  Edit(kEditUnderVolt)->setText(shownTotal);
  Edit(kEditOverCurrent)->setText(shownCurrent);
  Edit(kEditTemp1High)->setText(temp1->text());
  Edit(kEditTemp1Low)->setText(temp1->text());
  Check(kCheckAlarmVolt)->setChecked(true);
  Check(kCheckAlarmCurrent)->setChecked(true);
  Check(kCheckAlarmTemp1)->setChecked(true);
  Acquire();
  EXPECT_FALSE(amber(total));
  EXPECT_FALSE(amber(current));
  EXPECT_FALSE(amber(temp1));

  // Just beyond: over voltage, current magnitude over, under temperature.
  Edit(kEditOverVolt)->setText(QString::number(shownTotal.toDouble() - 0.01, 'f', 2));
  Edit(kEditOverCurrent)->setText(QString::number(shownCurrent.toDouble() - 0.01, 'f', 2));
  Edit(kEditTemp1Low)->setText(QString::number(temp1->text().toDouble() + 0.1, 'f', 1));
  EXPECT_TRUE(amber(total));
  EXPECT_TRUE(amber(current));
  EXPECT_TRUE(amber(temp1));
  EXPECT_FALSE(amber(table->item(12, 3)));  // temperature 2's switch is off
  EXPECT_EQ(table->item(9, 2)->text(), QStringLiteral("总电压"));

  // The switch off, or a limit that is no number: no highlight; nothing was sent.
  const size_t sent = Requests().size();
  Check(kCheckAlarmVolt)->setChecked(false);
  Edit(kEditOverCurrent)->setText("abc");
  EXPECT_FALSE(amber(total));
  EXPECT_FALSE(amber(current));
  EXPECT_TRUE(amber(temp1));
  EXPECT_EQ(Requests().size(), sent);
}

TEST_F(LiveMarks, GoodReadingsReachTheLiveTrend) {
  Acquire();
  device->SetFault(kx::Fault::Short, 1);
  IconButton(kBtnAcquire)->click();
  prompts.Clear();
  Acquire();
  const auto& ring = panel->LiveTrend().Ring();
  ASSERT_EQ(ring.Size(), 2u);
  EXPECT_FLOAT_EQ(ring.Newest().highest, 3.35f);
  Button(kBtnLiveTrend)->click();
  EXPECT_TRUE(panel->LiveTrend().isVisible());
}

}  // namespace
