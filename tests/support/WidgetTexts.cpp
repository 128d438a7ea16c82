#include "WidgetTexts.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QTabBar>
#include <QTextDocumentFragment>
#include <QTextEdit>

#include "widgets/IconButton.h"
#include "widgets/IconPicture.h"

namespace kx::test {
namespace {

QString Describe(const QWidget& w) {
  QString name = QString::fromLatin1(w.metaObject()->className());
  if (!w.objectName().isEmpty()) name += '#' + w.objectName();
  return name;
}

class Walker {
 public:
  std::vector<std::string> problems;

  void Text(const QWidget& w, const QString& what, const QString& text) {
    if (HasChinese(text)) Add(w, what + " '" + text + "' holds Chinese");
  }
  // Each line of text must fit into width pixels of w's font.
  void Fits(const QWidget& w, const QString& what, const QString& text, int width) {
    Text(w, what, text);
    const QFontMetrics fm(w.font());
    for (const QString& line : text.split('\n')) {
      const int advance = fm.horizontalAdvance(line);
      if (advance > width)
        Add(w, QStringLiteral("%1 '%2' is %3 px wide, its control %4 px").arg(what, line).arg(advance).arg(width));
    }
  }
  void Add(const QWidget& w, const QString& problem) { problems.push_back((Describe(w) + ": " + problem).toStdString()); }

  // The rows under parent, and a tree's branches below them.
  void Rows(const QWidget& w, const QAbstractItemModel& model, const QModelIndex& parent, const QHeaderView* across,
            const QHeaderView* down) {
    for (int r = 0; r < model.rowCount(parent); ++r) {
      if (down && down->isSectionHidden(r)) continue;
      for (int c = 0; c < model.columnCount(parent); ++c) {
        if (across && across->isSectionHidden(c)) continue;
        const QModelIndex index = model.index(r, c, parent);
        const QString text = index.data(Qt::DisplayRole).toString();
        // A cell cut short on purpose shows its whole text as its tool tip.
        const bool whole = !text.isEmpty() && index.data(Qt::ToolTipRole).toString() == text;
        const QString what = across ? QStringLiteral("cell %1,%2").arg(r).arg(c) : QStringLiteral("item %1").arg(r);
        if (across && !whole)
          Fits(w, what, text, across->sectionSize(c) - 4);
        else
          Text(w, what, text);
        Text(w, QStringLiteral("tool tip of cell %1,%2").arg(r).arg(c), index.data(Qt::ToolTipRole).toString());
      }
      const QModelIndex branch = model.index(r, 0, parent);
      if (model.hasChildren(branch)) Rows(w, model, branch, across, nullptr);
    }
  }

  void Model(const QWidget& w, const QAbstractItemModel* model, const QHeaderView* across, const QHeaderView* down) {
    if (!model) return;
    Rows(w, *model, {}, across, down);
    for (const QHeaderView* header : {across, down}) {
      if (!header || header->isHidden()) continue;
      const int n = header->count();
      for (int i = 0; i < n; ++i) {
        if (header->isSectionHidden(i)) continue;
        const QString text = model->headerData(i, header->orientation(), Qt::DisplayRole).toString();
        if (header->orientation() == Qt::Horizontal)
          Fits(w, QStringLiteral("header %1").arg(i), text, header->sectionSize(i) - 4);
        else
          Fits(w, QStringLiteral("row header %1").arg(i), text, header->width() - 4);
      }
    }
  }

  void Widget(const QWidget& w) {
    if (w.isWindow()) Text(w, "title", w.windowTitle());
    Text(w, "tool tip", w.toolTip());
    for (const QAction* a : w.actions()) Text(w, "action", a->text());
    const QVariant caption = w.property("caption");  // our own group frames
    if (caption.isValid()) Fits(w, "caption", caption.toString(), w.width() - 28);
    if (const auto* label = qobject_cast<const QLabel*>(&w)) {
      const QString text = Qt::mightBeRichText(label->text()) ? QTextDocumentFragment::fromHtml(label->text()).toPlainText()
                                                             : label->text();
      if (label->wordWrap())
        Text(w, "text", text);
      else
        Fits(w, "text", text, label->contentsRect().width());
    } else if (const auto* check = qobject_cast<const QCheckBox*>(&w)) {
      Fits(w, "text", Plain(check->text()), w.width() - Indicator(w, QStyle::PM_IndicatorWidth));
    } else if (const auto* radio = qobject_cast<const QRadioButton*>(&w)) {
      Fits(w, "text", Plain(radio->text()), w.width() - Indicator(w, QStyle::PM_ExclusiveIndicatorWidth));
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(&w)) {
      Fits(w, "text", Plain(button->text()), w.width() - 6 - BesideIcon(w));
    } else if (const auto* group = qobject_cast<const QGroupBox*>(&w)) {
      Fits(w, "title", Plain(group->title()), w.width() - 16);
    } else if (const auto* combo = qobject_cast<const QComboBox*>(&w)) {
      for (int i = 0; i < combo->count(); ++i) Text(w, QStringLiteral("item %1").arg(i), combo->itemText(i));
      const int arrow = w.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &w);
      if (!combo->isEditable()) Fits(w, "current item", combo->currentText(), w.width() - arrow - 6);
    } else if (const auto* edit = qobject_cast<const QLineEdit*>(&w)) {
      Text(w, "text", edit->text());
      Text(w, "placeholder", edit->placeholderText());
    } else if (const auto* text = qobject_cast<const QTextEdit*>(&w)) {
      Text(w, "text", text->toPlainText());
    } else if (const auto* plain = qobject_cast<const QPlainTextEdit*>(&w)) {
      Text(w, "text", plain->toPlainText());
    } else if (const auto* tabs = qobject_cast<const QTabBar*>(&w)) {
      for (int i = 0; i < tabs->count(); ++i) Text(w, QStringLiteral("tab %1").arg(i), tabs->tabText(i));
    } else if (const auto* view = qobject_cast<const QAbstractItemView*>(&w)) {
      const QHeaderView* horizontal = nullptr;
      const QHeaderView* vertical = nullptr;
      for (const QHeaderView* h : w.findChildren<QHeaderView*>(QString(), Qt::FindDirectChildrenOnly))
        (h->orientation() == Qt::Horizontal ? horizontal : vertical) = h;
      if (!qobject_cast<const QHeaderView*>(&w)) Model(w, view->model(), horizontal, vertical);
    }
  }

  // What a self-painting button's icon takes from its caption's width (2 px apart).
  static int BesideIcon(const QWidget& w) {
    const auto* button = qobject_cast<const CIconButton*>(&w);
    if (!button || !button->Icon().m_bLoaded) return 0;
    if (button->m_nIconPlacement != kx::kIconLeft && button->m_nIconPlacement != kx::kIconRight) return 0;
    return static_cast<int>(button->Icon().WidthPixels(&w)) + 2;
  }
  static QString Plain(QString text) { return text.remove(QRegularExpression(QStringLiteral("&(?!&)"))); }
  static int Indicator(const QWidget& w, QStyle::PixelMetric metric) {
    return w.style()->pixelMetric(metric, nullptr, &w) + w.style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, &w);
  }

  void Menu(const QMenu& menu) {
    for (const QAction* a : menu.actions()) {
      Text(menu, "menu item", a->text());
      Text(menu, "tool tip of menu item", a->toolTip() == Plain(a->text()) ? QString() : a->toolTip());
      if (a->menu()) Menu(*a->menu());
    }
  }
};

}  // namespace

std::vector<std::string> TextProblems(const QWidget& root) {
  Walker walker;
  walker.Widget(root);
  for (const QWidget* w : root.findChildren<QWidget*>()) {
    if (w->isHidden() || !w->isVisibleTo(&root)) continue;
    walker.Widget(*w);
  }
  return walker.problems;
}

std::vector<std::string> MenuProblems(const QMenu& menu) {
  Walker walker;
  walker.Menu(menu);
  return walker.problems;
}

}  // namespace kx::test
