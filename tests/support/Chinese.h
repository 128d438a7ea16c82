#pragma once
// What a text shown in English must not hold: a CJK ideograph, or one of the
// full-width forms Chinese punctuation uses.

#include <QString>

namespace kx::test {

// Where the first such character stands in text; -1 when there is none.
inline qsizetype FirstChinese(const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t u = text[i].unicode();
    if ((u >= 0x3000 && u <= 0x303F) || (u >= 0x3400 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF) ||
        (u >= 0xFF00 && u <= 0xFFEF))
      return i;
  }
  return -1;
}

inline bool HasChinese(const QString& text) { return FirstChinese(text) >= 0; }

}  // namespace kx::test
