#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "../curves/GroupImageBuilder.h"
#include "ScriptedPrompts.h"
#include "chart/ChartDraw.h"
#include "chart/ChartScale.h"
#include "chart/CurveViewDlg.h"

namespace {

// Eleven points a minute apart from 08:00:00; cell j at 0.3 (j + 1) V so every
// curve has pixels of its own colour.
std::vector<uint8_t> SpacedImage() {
  std::vector<kxtest::PointSpec> points;
  for (int k = 0; k < 11; ++k) {
    kxtest::PointSpec p;
    p.hour = 8;
    p.minute = k;
    p.second = 0;
    for (int j = 0; j < 40; ++j) p.raw[j] = static_cast<uint16_t>(0.3 * (j + 1) / kx::kCellScale);
    points.push_back(p);
  }
  return kxtest::BuildImage(points);
}

void Send(QWidget* target, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
  const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease || type == QEvent::MouseMove ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent event(type, pos, target->mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : button, buttons,
                    Qt::NoModifier);
  QApplication::sendEvent(target, &event);
}

class Viewer : public testing::Test {
 protected:
  void SetUp() override {
    dlg.Group().LoadGroupImage(SpacedImage());
    dlg.m_strTitle = QStringLiteral("第2组曲线");
    dlg.show();
    tree = dlg.findChild<QTreeWidget*>(QStringLiteral("1058"));
    selectAll = dlg.findChild<QCheckBox*>(QStringLiteral("1059"));
    readout = dlg.findChild<QLineEdit*>(QStringLiteral("1050"));
    ASSERT_TRUE(tree && selectAll && readout);
  }

  QTreeWidgetItem* Root() { return tree->topLevelItem(0); }
  QTreeWidgetItem* Cell(int n) { return Root()->child(n - 1); }

  void DoubleClick(QTreeWidgetItem* item) {
    tree->expandItem(Root());
    tree->scrollToItem(item);
    const QRect r = tree->visualItemRect(item);
    const QPoint at(r.right() - 4, r.center().y());
    QWidget* viewport = tree->viewport();
    Send(viewport, QEvent::MouseButtonPress, at);
    Send(viewport, QEvent::MouseButtonRelease, at);
    Send(viewport, QEvent::MouseButtonDblClick, at);
    Send(viewport, QEvent::MouseButtonRelease, at);
  }

  void ClickSelectAll() {
    const QPoint at(8, selectAll->height() / 2);
    Send(selectAll, QEvent::MouseButtonPress, at);
    Send(selectAll, QEvent::MouseButtonRelease, at);
  }

  // Pixels of the cell's exact screen colour in what the chart paints now.
  int CellPixels(int n) {
    const QImage image = dlg.m_chart.grab().toImage();
    const QRgb colour = dlg.Group().m_colors[n - 1].red << 16 | dlg.Group().m_colors[n - 1].green << 8 |
                        dlg.Group().m_colors[n - 1].blue;
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) count += (image.pixel(x, y) & 0xFFFFFF) == colour;
    return count;
  }

  std::vector<int> Checks() {
    std::vector<int> out;
    for (int i = 0; i < Root()->childCount(); ++i) out.push_back(Root()->child(i)->checkState(0) == Qt::Checked);
    return out;
  }
  std::vector<int> Visible() { return {dlg.Group().m_visible.begin(), dlg.Group().m_visible.end()}; }

  void MoveTo(QWidget* target, QPoint pos) { Send(target, QEvent::MouseMove, pos); }

  ScriptedPrompts prompts;
  CCurveViewDlg dlg;
  QTreeWidget* tree = nullptr;
  QCheckBox* selectAll = nullptr;
  QLineEdit* readout = nullptr;
};

TEST_F(Viewer, FirstOpeningChecksEveryCellAndLaysOutTheTemplate) {
  EXPECT_EQ(dlg.windowTitle(), QStringLiteral("第2组曲线"));
  ASSERT_EQ(tree->topLevelItemCount(), 1);
  EXPECT_EQ(Root()->text(0), QStringLiteral("曲线组"));
  EXPECT_EQ(Root()->checkState(0), Qt::Unchecked);
  ASSERT_EQ(Root()->childCount(), 40);
  for (int n = 1; n <= 40; ++n) EXPECT_EQ(Cell(n)->text(0), QStringLiteral("电池%1").arg(n));
  EXPECT_EQ(Checks(), std::vector<int>(40, 1));
  EXPECT_TRUE(selectAll->isChecked());
  EXPECT_EQ(Visible(), std::vector<int>(40, 1));

  EXPECT_EQ(dlg.size(), QSize(1005, 660));
  EXPECT_EQ(dlg.m_chart.geometry(), QRect(123, 50, 890, 560));
  EXPECT_EQ(dlg.findChild<QWidget*>(QStringLiteral("1049")), &dlg.m_chart);
  EXPECT_EQ(tree->geometry(), QRect(0, 45, 108, 605));
  auto* print = dlg.findChild<QPushButton*>(QStringLiteral("1053"));
  ASSERT_NE(print, nullptr);
  EXPECT_EQ(print->text(), QStringLiteral("打印"));
  EXPECT_EQ(print->geometry(), QRect(839, 629, 78, 21));
  EXPECT_GT(CellPixels(1), 0);
}

TEST_F(Viewer, TreeItemsShowTheBitmapWithBlackMaskedOut) {
  for (QTreeWidgetItem* item : {Root(), Cell(1), Cell(40)}) {
    const QIcon icon = item->icon(0);
    ASSERT_FALSE(icon.isNull());
    const QImage source(QStringLiteral(":/res/tree135.bmp"));
    ASSERT_EQ(source.size(), QSize(15, 15));
    const QImage shown = icon.pixmap(15, 15).toImage().convertToFormat(QImage::Format_ARGB32);
    int black = 0;
    for (int y = 0; y < 15; ++y)
      for (int x = 0; x < 15; ++x) {
        const bool isBlack = (source.pixel(x, y) & 0xFFFFFF) == 0;
        black += isBlack;
        EXPECT_EQ(qAlpha(shown.pixel(x, y)) == 0, isBlack) << x << "," << y;
      }
    EXPECT_GT(black, 0);
  }
}

TEST_F(Viewer, DoubleClickOnTheRootChangesNothing) {
  DoubleClick(Root());
  EXPECT_EQ(Root()->checkState(0), Qt::Unchecked);
  EXPECT_EQ(Checks(), std::vector<int>(40, 1));
  EXPECT_EQ(Visible(), std::vector<int>(40, 1));
}

TEST_F(Viewer, DoubleClickOnACellHidesAndRestoresItsCurve) {
  ASSERT_GT(CellPixels(3), 0);
  DoubleClick(Cell(3));
  EXPECT_EQ(Cell(3)->checkState(0), Qt::Unchecked);
  EXPECT_EQ(Visible()[2], 0);
  EXPECT_EQ(CellPixels(3), 0);
  EXPECT_GT(CellPixels(4), 0);

  DoubleClick(Cell(3));
  EXPECT_EQ(Cell(3)->checkState(0), Qt::Checked);
  EXPECT_EQ(Visible(), std::vector<int>(40, 1));
  EXPECT_GT(CellPixels(3), 0);
}

TEST_F(Viewer, SingleClickChangesOnlyTheTreeUntilTheNextDoubleClick) {
  Cell(7)->setCheckState(0, Qt::Unchecked);  // what a click on its check box does
  EXPECT_EQ(Visible()[6], 1);
  EXPECT_GT(CellPixels(7), 0);

  DoubleClick(Cell(20));
  std::vector<int> expected(40, 1);
  expected[6] = 0;
  expected[19] = 0;
  EXPECT_EQ(Visible(), expected);
  EXPECT_EQ(CellPixels(7), 0);
}

TEST_F(Viewer, ClearingSelectAllHidesEveryCurveButNotTheFrame) {
  ClickSelectAll();
  EXPECT_FALSE(selectAll->isChecked());
  EXPECT_EQ(dlg.m_bSelectAll, 0);
  EXPECT_EQ(Checks(), std::vector<int>(40, 0));
  EXPECT_EQ(Root()->checkState(0), Qt::Unchecked);
  EXPECT_EQ(Visible(), std::vector<int>(40, 0));
  for (int n : {1, 2, 20, 40}) EXPECT_EQ(CellPixels(n), 0) << n;
  const QImage image = dlg.m_chart.grab().toImage();
  EXPECT_EQ(image.pixel(44, 300) & 0xFFFFFF, 0u);  // left edge of the frame

  ClickSelectAll();
  EXPECT_EQ(Visible(), std::vector<int>(40, 1));
  EXPECT_EQ(Checks(), std::vector<int>(40, 1));
}

TEST_F(Viewer, ReopeningRechecksCellsAndKeepsSelectAllAndTime) {
  DoubleClick(Cell(5));
  ClickSelectAll();
  dlg.m_chart.grab();
  MoveTo(&dlg, dlg.m_chart.pos() + QPoint(50, 30));
  const QString time = readout->text();
  dlg.hide();

  dlg.m_strTitle = QStringLiteral("另一组");
  dlg.show();
  EXPECT_EQ(dlg.windowTitle(), QStringLiteral("另一组"));
  EXPECT_EQ(Checks(), std::vector<int>(40, 1));
  EXPECT_EQ(Visible(), std::vector<int>(40, 1));
  EXPECT_FALSE(selectAll->isChecked());
  EXPECT_EQ(readout->text(), time);
}

TEST_F(Viewer, ReadoutShowsTheTimeUnderTheMouseAndZeroOutside) {
  dlg.m_chart.grab();  // the read-out uses the scale of the last drawing
  const QPoint corner = dlg.m_chart.pos();
  struct Case {
    QPoint offset;
    const char* text;
  };
  // 802 px for 600 s: u = 134 is 100.2 s after 08:00:00.
  const Case cases[] = {{{50, 30}, "08:00:00"}, {{184, 30}, "08:01:40"}, {{50 + 802, 570}, "08:10:00"},
                        {{49, 100}, "0"},       {{50, 29}, "0"},         {{951, 100}, "0"},
                        {{100, 571}, "0"},      {{950, 570}, "08:11:13"}};
  for (const auto& c : cases) {
    MoveTo(&dlg, corner + c.offset);
    EXPECT_EQ(readout->text(), QString::fromUtf8(c.text)) << c.offset.x() << "," << c.offset.y();
    EXPECT_EQ(dlg.m_strTime, readout->text());
  }
  MoveTo(&dlg, corner + QPoint(50, 30));
  MoveTo(tree->viewport(), QPoint(20, 20));
  EXPECT_EQ(readout->text(), QStringLiteral("0"));
}

TEST_F(Viewer, ReadoutWithoutTimeSpanShowsTheStartTime) {
  kxtest::PointSpec p;
  p.hour = 9;
  p.minute = 30;
  p.second = 0;
  dlg.Group().LoadGroupImage(kxtest::BuildImage({p}));
  dlg.m_chart.grab();
  MoveTo(&dlg, dlg.m_chart.pos() + QPoint(400, 200));
  EXPECT_EQ(readout->text(), QStringLiteral("09:30:00"));
}

TEST_F(Viewer, PrintingToPdfMakesOnePageInPrinterDots) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("print.pdf"));
  QString docName;
  int width = 0;
  prompts.onPrint = [&](QPrinter& printer) {
    docName = printer.docName();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    width = printer.width();
    return true;
  };
  dlg.findChild<QPushButton*>(QStringLiteral("1053"))->click();
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].kind, QStringLiteral("print"));
  EXPECT_EQ(docName, QStringLiteral("SimplePrintDoc"));
  QFile pdf(path);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  const QString text = QString::fromLatin1(pdf.readAll());
  EXPECT_EQ(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![s])"))), 1);
  // Drawn over the printable width in the printer's own dots.
  ASSERT_GT(width, 2000);
  const int plotW = width - 2 * static_cast<int>(width * 0.05);
  EXPECT_FLOAT_EQ(dlg.Group().m_fPixelsPerSecond, static_cast<float>(plotW) / 600.0f);
}

TEST_F(Viewer, CancelledPrintDialogPrintsNothing) {
  dlg.m_chart.grab();
  const float screenScale = dlg.Group().m_fPixelsPerSecond;
  dlg.OnPrint();  // no onPrint script: the dialog is cancelled
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(dlg.Group().m_fPixelsPerSecond, screenScale);
}

}  // namespace

namespace {

TEST_F(Viewer, AutoScaleStatisticsAndTheCurveUnderTheMouse) {
  // Cells 0.3 V apart from 0.3 to 12 V: the extremes are cells 40 and 1.
  EXPECT_EQ(dlg.findChild<QLabel*>(QStringLiteral("statistics"))->text(),
            QStringLiteral("最高 电池40 12.000V 08:00:00  最低 电池1 0.300V 08:00:00  最大压差 11700mV 08:00:00"));
  auto* autoScale = dlg.findChild<QCheckBox*>(QStringLiteral("autoscale"));
  ASSERT_NE(autoScale, nullptr);
  EXPECT_FALSE(autoScale->isChecked());  // the fixed 0..15 V axis first

  // Cell 10 (3.0 V) at 08:05 on the fixed axis.
  const QPoint corner = dlg.m_chart.pos();
  MoveTo(&dlg, corner + QPoint(44 + 401, static_cast<int>(532 - 3.0 * 504 / 15.0)));
  EXPECT_TRUE(dlg.PickedText().startsWith(QStringLiteral("电池10 3.000V 08:05:00"))) << dlg.PickedText().toStdString();
  MoveTo(&dlg, corner + QPoint(10, 10));
  EXPECT_TRUE(dlg.PickedText().isEmpty());

  // Hiding all but cells 1 and 2 and fitting the axis spreads them over the plot.
  dlg.Group().m_visible.fill(0);
  dlg.Group().m_visible[0] = dlg.Group().m_visible[1] = 1;
  autoScale->click();
  EXPECT_TRUE(dlg.m_chart.m_bAutoScale);
  const auto axis = kx::FitVisibleCells(dlg.Group());
  ASSERT_TRUE(axis.has_value());
  MoveTo(&dlg, corner + QPoint(44 + 401, static_cast<int>(532 - (0.6 - axis->low) * 504 / (axis->high - axis->low))));
  EXPECT_TRUE(dlg.PickedText().startsWith(QStringLiteral("电池2 0.600V"))) << dlg.PickedText().toStdString();
}

}  // namespace
