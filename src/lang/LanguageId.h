#pragma once
// The languages the program speaks; the choosing and switching is lang/Language.h.

namespace kx {
enum class Language { Chinese, English };
}
