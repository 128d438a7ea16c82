#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

// A group box drawn as a two-tone frame with a blue caption. It paints nothing else and
// lets every mouse event through, so the controls it frames keep working wherever they
// lie in the stacking order.
class CGroupFrame : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString caption READ Caption WRITE SetCaption)

 public:
  explicit CGroupFrame(QWidget* parent = nullptr);
  CGroupFrame(const QString& caption, QWidget* parent = nullptr);

  void SetCaption(const QString& caption);
  QString Caption() const { return m_strCaption; }

  // Row of the top line: half the font height below the top.
  int TopLineY() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const QColor m_penDark{0, 91, 183};
  const QColor m_penLight{210, 233, 255};
  QString m_strCaption;
};
