#pragma once
// The layers below the windows keep text as UTF-8 strings; this is how it becomes
// a QString wherever Qt shows or writes it.

#include <QString>
#include <string>

namespace kx {

inline QString Utf8(const std::string& text) { return QString::fromStdString(text); }
inline QString Utf8(const char* text) { return QString::fromUtf8(text); }

}  // namespace kx
