#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPushButton>

#include "RenderHelpers.h"
#include "widgets/GroupFrame.h"

namespace {

using kxtest::At;
using kxtest::Render;

const QColor kDark(0, 91, 183);
const QColor kLight(210, 233, 255);
const QColor kPanel(255, 255, 255);

constexpr int kW = 200, kH = 60;

TEST(GroupFrameTest, EmptyCaptionDrawsUnbrokenTopLineAtHalfFontHeight) {
  CGroupFrame frame;
  frame.resize(kW, kH);
  const QImage img = Render(frame);
  const int yT = QFontMetrics(frame.font()).height() / 2;
  ASSERT_GT(yT, 1);
  EXPECT_EQ(frame.TopLineY(), yT);
  for (int x = 0; x <= kW - 2; ++x) EXPECT_EQ(At(img, x, yT), kDark) << "x=" << x;
  for (int x = 1; x <= kW - 3; ++x) EXPECT_EQ(At(img, x, yT + 1), kLight) << "x=" << x;
  EXPECT_EQ(At(img, 20, yT - 1), kPanel);
  // Dark inner rectangle, light one outside it to the right and below.
  EXPECT_EQ(At(img, 0, 30), kDark);
  EXPECT_EQ(At(img, 1, 30), kLight);
  EXPECT_EQ(At(img, kW - 2, 30), kDark);
  EXPECT_EQ(At(img, kW - 1, 30), kLight);
  EXPECT_EQ(At(img, 100, kH - 2), kDark);
  EXPECT_EQ(At(img, 100, kH - 1), kLight);
  EXPECT_EQ(At(img, 100, 30), kPanel);  // nothing painted inside
}

TEST(GroupFrameTest, CaptionStandsInAGapSixPixelsWiderOnEachSide) {
  CGroupFrame frame(QStringLiteral("温度1报警寄存器设置"));
  frame.resize(kW, kH);
  const QImage img = Render(frame);
  const QFontMetrics fm(frame.font());
  const int yT = fm.height() / 2;
  const int cw = fm.horizontalAdvance(frame.Caption());
  ASSERT_LT(8 + cw + 12, kW);
  EXPECT_EQ(At(img, 7, yT), kDark);
  // The 6-pixel margins on either side of the text are open.
  for (int x = 8; x < 8 + 6; ++x) EXPECT_EQ(At(img, x, yT), kPanel) << "x=" << x;
  for (int x = 8 + 6 + cw; x < 8 + cw + 12; ++x) EXPECT_EQ(At(img, x, yT), kPanel) << "x=" << x;
  EXPECT_EQ(At(img, 8 + cw + 12, yT), kDark);
  // The caption is blue and starts after the left margin.
  const QRect ink = kxtest::InkBox(img.copy(0, 0, kW, yT), [](QColor c) {
    return c.blue() - c.red() > 60;
  });
  ASSERT_FALSE(ink.isNull());
  EXPECT_GE(ink.left(), 8 + 6);
  EXPECT_LT(ink.right(), 8 + 6 + cw);
}

TEST(GroupFrameTest, ControlsUnderTheFrameStillGetTheMouse) {
  QWidget panel;
  panel.resize(kW, kH);
  QPushButton button(QStringLiteral("设置"), &panel);
  button.setGeometry(20, 20, 60, 24);
  CGroupFrame frame(&panel);
  frame.setGeometry(0, 0, kW, kH);
  frame.raise();
  EXPECT_EQ(panel.childAt(30, 30), &button);
}

}  // namespace
