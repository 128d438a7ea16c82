#pragma once
// Text ⇄ number rules of the panel: the data exchange's strict conversions and
// the plain string-to-integer reading used for typed numbers.

#include <QString>
#include <cstdint>
#include <optional>

#include "texts/Translate.h"

namespace kx::panel {

struct FieldText {
  // The data exchange's prompts when a field does not convert (source texts).
  static constexpr const char* kIntPrompt = KX_NOOP("CTesterDlg", "请输入一个整数。");
  static constexpr const char* kFloatPrompt = KX_NOOP("CTesterDlg", "请输入一个数字。");

  // Blanks around, an optional sign, at least one digit, nothing else, within int.
  static std::optional<int> ParseInt(const QString& text);
  // Blanks around and a decimal number (with optional exponent), nothing else.
  static std::optional<float> ParseFloat(const QString& text);
  // A float as the data exchange shows it: shortest form, "17" for 17.0.
  static QString FormatFloat(float value);
  // atoi rules on a 32-bit int: leading blanks, optional sign, digits up to the
  // first other character; no digits give 0. Saturates at the int range instead
  // of wrapping, so an absurd entry is never sent as a small plausible value.
  static int Atoi(const QString& text);
  static long long AtoiWide(const QString& text);  // the same value, for wide callers
  // A full scale of the live values as typed: a whole number (anything else is
  // 0), taken as unsigned 32-bit, so that "-k" acts as 2^32 - k.
  static uint32_t Scale(const QString& text) { return static_cast<uint32_t>(ParseInt(text).value_or(0)); }
};

}  // namespace kx::panel
