#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QEnterEvent>
#include <QTemporaryDir>

#include "RenderHelpers.h"
#include "widgets/IconButton.h"

using kx::IconLayout;
using kx::LayoutIconAndCaption;
using kxtest::At;
using kxtest::InkBox;
using kxtest::Render;

namespace {

struct LayoutCase {
  const char* name;
  int placement;
  QRect inner;
  double iw, ih;
  int tw, th;
  QPoint icon, caption;
};

TEST(IconLayoutTest, PlacesIconAndCaptionAsOneCentredGroup) {
  const LayoutCase cases[] = {
      {"left", 0, {2, 2, 96, 26}, 16, 16, 40, 12, {21, 7}, {39, 9}},
      {"right", 1, {2, 2, 96, 26}, 16, 16, 40, 12, {63, 7}, {21, 9}},
      {"above", 2, {2, 2, 96, 46}, 16, 16, 40, 12, {43, 10}, {30, 28}},
      {"below", 3, {2, 2, 96, 46}, 16, 16, 40, 12, {42, 24}, {31, 10}},
      // Real terms are truncated only after the sum; the icon width is truncated on its own.
      {"fractional", 0, {2, 2, 96, 26}, 16.5, 16.5, 41, 12, {20, 6}, {38, 9}},
      {"fractional above", 2, {2, 2, 96, 46}, 16.5, 16.5, 40, 12, {42, 9}, {30, 27}},
      // Wider text than room: truncation toward zero, not down.
      {"overflowing", 0, {2, 2, 20, 10}, 0, 0, 41, 13, {-9, 7}, {-7, 1}},
      {"no icon", 0, {2, 2, 96, 26}, 0, 0, 40, 12, {29, 15}, {31, 9}},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    const IconLayout l = LayoutIconAndCaption(c.placement, c.inner, c.iw, c.ih, c.tw, c.th);
    EXPECT_TRUE(l.valid);
    EXPECT_EQ(l.icon, c.icon);
    EXPECT_EQ(l.caption, c.caption);
  }
}

TEST(IconLayoutTest, PlacementOutsideZeroToThreeGoesToOrigin) {
  for (int placement : {-1, 4, 100}) {
    const IconLayout l = LayoutIconAndCaption(placement, {2, 2, 96, 26}, 16, 16, 40, 12);
    EXPECT_FALSE(l.valid) << placement;
    EXPECT_EQ(l.icon, QPoint(0, 0)) << placement;
    EXPECT_EQ(l.caption, QPoint(0, 0)) << placement;
  }
}

// A button inside a window that can take the focus on the offscreen platform.
class IconButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.resize(200, 100);
    button = new CIconButton(&window);
    button->setGeometry(10, 10, kW, kH);
    other = new CIconButton(QStringLiteral("other"), &window);
    other->setGeometry(10, 60, kW, kH);
    // Left hidden: a shown window would hand the first button the focus. render() paints
    // hidden widgets all the same.
  }

  void Focus(QWidget* w) {
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    w->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    ASSERT_TRUE(w->hasFocus());
  }

  static constexpr int kW = 100, kH = 30;
  QWidget window;
  CIconButton* button = nullptr;
  CIconButton* other = nullptr;
};

QColor Rgb(int r, int g, int b) {
  return QColor(r, g, b);
}

// The inner rectangle is the button less 2 pixels on every side (rows 2 to 28 of 30);
// its first and last rows carry the ends of the gradient, row 3 its third colour and
// row 26 its 59th.
TEST_F(IconButtonTest, GradientRunsFromFirstToLastColourOfEachState) {
  struct Case {
    const char* name;
    bool hover, emphasis;
    QColor top, bottom, row3, row26;
  };
  const Case cases[] = {
      {"resting", false, false, Rgb(250, 253, 252), Rgb(229, 232, 240), Rgb(250, 253, 252), Rgb(231, 234, 241)},
      {"emphasised", false, true, Rgb(250, 253, 252), Rgb(229, 232, 237), Rgb(250, 253, 252), Rgb(231, 234, 238)},
      {"hovered", true, false, Rgb(250, 253, 252), Rgb(235, 238, 240), Rgb(250, 253, 252), Rgb(236, 239, 241)},
      {"hovered and emphasised", true, true, Rgb(250, 253, 252), Rgb(235, 238, 231), Rgb(250, 253, 252),
       Rgb(236, 239, 233)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    button->setDefault(c.emphasis);
    if (c.hover)
      button->OnMouseHover();
    else
      button->OnMouseLeave();
    const QImage img = Render(*button);
    EXPECT_EQ(button->IsEmphasised(), c.emphasis);
    // Mid-width, clear of the caption and of the side edges; the top and bottom rows lie
    // under the hover edges, so a hovered button is looked at inside them.
    if (!c.hover) {
      EXPECT_EQ(At(img, 50, 2), c.top);
      EXPECT_EQ(At(img, 50, kH - 2), c.bottom);
    }
    EXPECT_EQ(At(img, 50, 3), c.row3);
    EXPECT_EQ(At(img, 50, 26), c.row26);
    EXPECT_EQ(kx::ButtonGradientColour(c.hover, c.emphasis, 0), c.top);
    EXPECT_EQ(kx::ButtonGradientColour(c.hover, c.emphasis, 63), c.bottom);
    EXPECT_EQ(kx::ButtonGradientColour(c.hover, c.emphasis, 70), c.bottom);
  }
}

TEST_F(IconButtonTest, RestingButtonHasBlueOutlineAndNoEdges) {
  const QImage img = Render(*button);
  EXPECT_EQ(At(img, 50, 0), Rgb(0, 91, 183));
  EXPECT_EQ(At(img, 0, 15), Rgb(0, 91, 183));
  EXPECT_EQ(At(img, kW - 1, 15), Rgb(0, 91, 183));
  EXPECT_EQ(At(img, 50, kH - 1), Rgb(0, 91, 183));
  // The corner outside the rounded outline keeps what was under the button.
  EXPECT_EQ(At(img, 0, 0), Rgb(255, 255, 255));
  // Where the edges would be: the gradient only (row 15 has its 32nd colour).
  EXPECT_EQ(At(img, 2, 15), Rgb(240, 243, 246));
  EXPECT_EQ(At(img, kW - 3, 15), Rgb(240, 243, 246));
}

struct EdgeColours {
  QColor left, right, top, bottom;
};

void ExpectEdges(const QImage& img, const EdgeColours& e, int w, int h) {
  // Left and right 3 pixels wide, top and bottom 2, just inside the outline.
  for (int x = 1; x <= 3; ++x) EXPECT_EQ(At(img, x, h / 2), e.left) << "left x=" << x;
  EXPECT_NE(At(img, 4, h / 2), e.left);
  for (int x = w - 4; x <= w - 2; ++x) EXPECT_EQ(At(img, x, h / 2), e.right) << "right x=" << x;
  EXPECT_NE(At(img, w - 5, h / 2), e.right);
  for (int y = 1; y <= 2; ++y) EXPECT_EQ(At(img, w / 2, y), e.top) << "top y=" << y;
  EXPECT_NE(At(img, w / 2, 3), e.top);
  for (int y = h - 3; y <= h - 2; ++y) EXPECT_EQ(At(img, w / 2, y), e.bottom) << "bottom y=" << y;
  EXPECT_NE(At(img, w / 2, h - 4), e.bottom);
  EXPECT_EQ(At(img, w / 2, h - 1), Rgb(0, 91, 183));
}

const EdgeColours kHot{Rgb(250, 196, 88), Rgb(251, 202, 106), Rgb(252, 210, 121),
                       Rgb(229, 151, 0)};
const EdgeColours kFocus{Rgb(153, 198, 252), Rgb(162, 189, 252), Rgb(162, 201, 255),
                         Rgb(162, 201, 255)};

TEST_F(IconButtonTest, HoverDrawsHotEdges) {
  button->OnMouseHover();
  ExpectEdges(Render(*button), kHot, kW, kH);
}

TEST_F(IconButtonTest, FocusDrawsFocusEdgesUnlessHovered) {
  Focus(button);
  ExpectEdges(Render(*button), kFocus, kW, kH);
  EXPECT_TRUE(button->IsEmphasised());
  button->OnMouseHover();
  ExpectEdges(Render(*button), kHot, kW, kH);
}

TEST_F(IconButtonTest, EnterStartsTrackingHoverFollowsAndLeaveClears) {
  QEnterEvent enter(QPointF(5, 5), QPointF(15, 15), QPointF(15, 15));
  QApplication::sendEvent(button, &enter);
  EXPECT_TRUE(button->IsTracking());
  const QDeadlineTimer deadline(5000);
  while (!button->IsHovered() && !deadline.hasExpired())
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_TRUE(button->IsHovered());

  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(button, &leave);
  EXPECT_FALSE(button->IsHovered());
  EXPECT_FALSE(button->IsTracking());

  button->setEnabled(false);
  QApplication::sendEvent(button, &enter);
  EXPECT_FALSE(button->IsTracking());
}

class IconButtonContentTest : public IconButtonTest {
 protected:
  void SetUp() override {
    IconButtonTest::SetUp();
    ASSERT_TRUE(dir.isValid());
    redIcon = kxtest::WriteFlatIcon(QDir(dir.path()), "red.ico", 16, Qt::red);
    ASSERT_FALSE(redIcon.isEmpty());
    button->setText(QStringLiteral("采集"));
  }
  QTemporaryDir dir;
  QString redIcon;
};

TEST_F(IconButtonContentTest, OffsetsOfPressAndHoverCancel) {
  ASSERT_EQ(button->SetIconFile(redIcon), 1);
  ASSERT_EQ(button->Icon().m_bLoaded, 1);
  const QImage rest = Render(*button);
  const QRect icon = InkBox(rest, kxtest::IsRed);
  const QRect text = InkBox(rest, kxtest::IsDark);
  ASSERT_EQ(icon.size(), QSize(16, 16));
  ASSERT_FALSE(text.isNull());
  // Icon left of the caption with the 2-pixel gap, the pair centred.
  EXPECT_LT(icon.right(), text.left());

  button->OnMouseHover();
  QImage img = Render(*button);
  EXPECT_EQ(InkBox(img, kxtest::IsRed), icon.translated(-1, -1));
  EXPECT_EQ(InkBox(img, kxtest::IsDark), text.translated(-1, -1));

  button->setDown(true);
  img = Render(*button);
  EXPECT_EQ(InkBox(img, kxtest::IsRed), icon);
  EXPECT_EQ(InkBox(img, kxtest::IsDark), text);

  button->OnMouseLeave();
  img = Render(*button);
  EXPECT_EQ(InkBox(img, kxtest::IsRed), icon.translated(1, 1));
  EXPECT_EQ(InkBox(img, kxtest::IsDark), text.translated(1, 1));
}

TEST_F(IconButtonContentTest, IconAboveCaptionIsCentred) {
  button->resize(kW, 44);
  button->m_nIconPlacement = kx::kIconAbove;
  ASSERT_EQ(button->SetIconFile(redIcon), 1);
  const QImage img = Render(*button);
  const QRect icon = InkBox(img, kxtest::IsRed);
  const QRect text = InkBox(img, kxtest::IsDark);
  // Inner width 96: (96 - 16) / 2 + 1 from its left edge at 2.
  EXPECT_EQ(icon.left(), 43);
  EXPECT_LT(icon.bottom(), text.top());
}

TEST_F(IconButtonContentTest, DisabledCaptionIsEmbossedAndIconKeepsItsColours) {
  ASSERT_EQ(button->SetIconFile(redIcon), 1);
  const QRect enabledText = InkBox(Render(*button), kxtest::IsDark);
  ASSERT_FALSE(enabledText.isNull());
  button->setEnabled(false);
  const QImage img = Render(*button);
  EXPECT_EQ(InkBox(img, kxtest::IsRed).size(), QSize(16, 16));
  // No black text, but grey text where the caption was, with its light copy one pixel on.
  EXPECT_TRUE(InkBox(img, kxtest::IsDark).isNull());
  const QRect grey = InkBox(img, [](QColor c) {
    return c.red() < 190 && std::abs(c.red() - c.green()) < 12 &&
           std::abs(c.green() - c.blue()) < 12;
  });
  EXPECT_EQ(grey.topLeft(), enabledText.topLeft());
}

TEST_F(IconButtonContentTest, MissingOrUndecodableIconLeavesButtonWithoutIcon) {
  CIconButton plain(QStringLiteral("采集"));
  plain.resize(kW, kH);
  button->resize(kW, kH);
  const QImage expected = Render(plain);

  EXPECT_EQ(button->SetIconFile(QDir(dir.path()).filePath("Picture/open.ICO")), 0);
  EXPECT_EQ(Render(*button), expected);

  const QString junk = QDir(dir.path()).filePath("junk.ICO");
  {
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a picture");
  }
  EXPECT_EQ(button->SetIconFile(junk), 1);
  EXPECT_EQ(button->Icon().m_bLoaded, 0);
  EXPECT_EQ(Render(*button), expected);
}

TEST_F(IconButtonContentTest, BadPlacementDrawsAtOriginAndIsReportedOnce) {
  static int warnings = 0;
  warnings = 0;
  const QtMessageHandler previous = qInstallMessageHandler(
      [](QtMsgType type, const QMessageLogContext&, const QString& msg) {
        if (type == QtWarningMsg && msg.contains("placement")) ++warnings;
      });
  button->m_nIconPlacement = 7;
  ASSERT_EQ(button->SetIconFile(redIcon), 1);
  const QImage first = Render(*button);
  Render(*button);
  qInstallMessageHandler(previous);
  EXPECT_EQ(warnings, 1);
  EXPECT_EQ(InkBox(first, kxtest::IsRed).topLeft(), QPoint(0, 0));
}

TEST_F(IconButtonTest, ButtonWithoutInnerHeightStillPaints) {
  button->resize(kW, 4);
  const QImage img = Render(*button);
  EXPECT_EQ(At(img, 50, 2), Rgb(250, 253, 252));
}

}  // namespace
