#include "version/Version.h"

// Generated at every build; only this file includes it, so a new commit
// recompiles one file and relinks.
#include "KxVersionText.h"

namespace kx {

const char* VersionText() { return KX_VERSION_TEXT; }

}  // namespace kx
