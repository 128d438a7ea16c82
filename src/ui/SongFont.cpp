#include "ui/SongFont.h"

#include <QFont>
#include <QGuiApplication>
#include <QString>
#include <QStringList>

namespace kx {

void InstallSongSubstitution() {
  // Unmapped, Qt would fall back to a sans face that changes with the locale.
  const QStringList faces{QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Serif CJK SC"),
                          QStringLiteral("AR PL UMing TW"), QStringLiteral("Noto Serif CJK TC")};
  QFont::insertSubstitutions(QString::fromUtf8(kSongFace), faces);
  QFont::insertSubstitutions(QStringLiteral("SimSun"), faces);
}

void InstallDialogFont() {
  InstallSongSubstitution();
  QGuiApplication::setFont(QFont(QString::fromUtf8(kSongFace), 9));
}

}  // namespace kx
