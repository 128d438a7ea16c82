// "放电分析" in the curve viewer, on the simulated unit's capacity test: the pane,
// the end voltage over the chart, printing and the remembered parameters.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <algorithm>

#include "PdfText.h"
#include "ScriptedPrompts.h"
#include "analysis/AnalysisText.h"
#include "chart/CurveViewDlg.h"
#include "sim/VirtualDevice.h"

namespace {

class DischargePane : public testing::Test {
 protected:
  void SetUp() override {
    dlg.Group().LoadGroupImage(kx::VirtualDevice::MakeDischargeGroup(1717200000).image);
    dlg.show();
    button = dlg.findChild<QPushButton*>(QStringLiteral("analysis"));
    pane = dlg.findChild<QWidget*>(QStringLiteral("analysisPane"));
    ASSERT_TRUE(button && pane);
  }

  void Type(const char* edit, const QString& text) {
    auto* e = pane->findChild<QLineEdit*>(QString::fromLatin1(edit));
    e->setText(text);
    emit e->editingFinished();
  }
  QString Label(const char* name) { return pane->findChild<QLabel*>(QString::fromLatin1(name))->text(); }
  QTableWidget* Table() { return pane->findChild<QTableWidget*>(QStringLiteral("analysisTable")); }

  ScriptedPrompts prompts;
  CCurveViewDlg dlg;
  QPushButton* button = nullptr;
  QWidget* pane = nullptr;
};

TEST_F(DischargePane, ClosedUntilOpenedThenTheVerdictTheTableAndTheEndVoltageOverTheChart) {
  EXPECT_FALSE(pane->isVisible());
  EXPECT_EQ(dlg.size(), QSize(1005, 660));
  EXPECT_FALSE(dlg.m_chart.m_overlay);

  button->click();
  Type("ratedMinutes", QStringLiteral("240"));
  EXPECT_TRUE(pane->isVisible());
  EXPECT_EQ(dlg.width(), pane->geometry().right() + 1);
  kx::analysis::Parameters rated;
  rated.ratedMinutes = 240;
  const kx::analysis::Result r = kx::analysis::Analyse(dlg.Group(), rated);
  // The simulated test: 24 cells of 2 V, two weak, one stuck, the string spent near 214 min.
  ASSERT_EQ(r.connectedCells, 24);
  EXPECT_EQ(Label("verdict"), QString::fromStdString(kx::analysis::VerdictLine(r)));
  EXPECT_TRUE(Label("verdict").contains(QStringLiteral("合格  最先到达终止电压: 电池7 ")));
  EXPECT_TRUE(Label("findings").contains(QStringLiteral("落后电池 (低于平均 3% 以上): 电池7, 电池17")));
  EXPECT_TRUE(Label("findings").contains(QStringLiteral("警告: 电池12 读数始终不变")));

  QTableWidget* table = Table();
  ASSERT_EQ(table->rowCount(), 24);
  EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("电池7"));
  EXPECT_EQ(table->item(1, 1)->text(), QStringLiteral("电池17"));
  EXPECT_EQ(table->item(0, 6)->text(), QStringLiteral("落后"));
  EXPECT_NE(table->item(0, 0)->background(), table->item(2, 0)->background());

  // The fitted axis reaches the end voltage; its line crosses the plot in the line's colour.
  ASSERT_TRUE(dlg.m_chart.m_overlay);
  std::vector<int> crossed;
  for (const auto& c : dlg.m_chart.m_overlay->crossings) crossed.push_back(c.cell);
  EXPECT_EQ(std::count(crossed.begin(), crossed.end(), 6) + std::count(crossed.begin(), crossed.end(), 16), 2);
  EXPECT_EQ(std::count(crossed.begin(), crossed.end(), 11), 0);  // stuck at 2.071 V
  const auto axis = dlg.m_chart.Axis();
  ASSERT_TRUE(axis);
  const QImage image = dlg.m_chart.grab().toImage();
  const int y = static_cast<int>(532 - (1.75 - axis->low) * 504 / (axis->high - axis->low));
  int red = 0;
  for (int dy = -1; dy <= 1; ++dy)
    for (int x = 44; x < 846; ++x) red += (image.pixel(x, y + dy) & 0xFFFFFF) == 0x0046DC;
  EXPECT_GT(red, 600);

  // A row chosen stresses that cell's curve; closing puts the window back as it was.
  table->selectRow(1);
  EXPECT_EQ(dlg.m_chart.m_overlay->highlightCell, 16);
  button->click();
  EXPECT_FALSE(pane->isVisible());
  EXPECT_EQ(dlg.size(), QSize(1005, 660));
  EXPECT_FALSE(dlg.m_chart.m_overlay);
}

TEST_F(DischargePane, PrintingAddsTheVerdictAndTheParametersAreRemembered) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QSettings store(dir.filePath(QStringLiteral("kx4200.ini")), QSettings::IniFormat);
  dlg.UseSettings(&store, true);
  button->click();
  Type("ratedMinutes", QStringLiteral("200"));
  Type("kFactor", QStringLiteral("1.05"));
  const QString verdict = Label("verdict");
  EXPECT_TRUE(verdict.startsWith(QStringLiteral("容量 10"))) << verdict.toStdString();

  const QString path = dir.filePath(QStringLiteral("print.pdf"));
  prompts.onPrint = [&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    return true;
  };
  dlg.OnPrint();
  const QString printed = kxtest::PdfText(path);
  EXPECT_TRUE(printed.contains(kxtest::Spaced(verdict.toStdString()))) << printed.toStdString();
  EXPECT_TRUE(printed.contains(QStringLiteral("终止电压 1.750V")));

  // A value out of range is said to be so and changes nothing remembered.
  Type("endVoltage", QStringLiteral("-1"));
  EXPECT_TRUE(Label("verdict").startsWith(QStringLiteral("参数有误: 终止电压")));
  EXPECT_FALSE(dlg.m_chart.m_overlay);

  CCurveViewDlg next;
  next.UseSettings(&store, true);
  EXPECT_EQ(next.AnalysisParameters().ratedMinutes, 200.0);
  EXPECT_EQ(next.AnalysisParameters().kFactor, 1.05);
  EXPECT_FALSE(next.AnalysisParameters().endVoltage);
  EXPECT_EQ(next.findChild<QLineEdit*>(QStringLiteral("ratedMinutes"))->text(), QStringLiteral("200"));
}

}  // namespace
