#pragma once
// Text ⇄ number rules of the panel: the data exchange's strict conversions and
// the plain string-to-integer reading used for typed numbers.

#include <QString>
#include <optional>

namespace kx::panel {

struct FieldText {
  // The data exchange's prompts when a field does not convert.
  static constexpr const char* kIntPrompt = "请输入一个整数。";
  static constexpr const char* kFloatPrompt = "请输入一个数字。";

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
};

}  // namespace kx::panel
