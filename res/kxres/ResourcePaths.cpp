#include "kxres/ResourcePaths.h"

#include <QFile>

namespace kx::res {
bool HasArtwork() {
  return QFile::exists(kTreeBitmap);
}
}  // namespace kx::res
