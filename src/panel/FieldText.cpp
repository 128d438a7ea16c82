#include "panel/FieldText.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kx::panel {

std::optional<int> FieldText::ParseInt(const QString& text) {
  const QString t = text.trimmed();
  int i = 0;
  if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) ++i;
  if (i >= t.size()) return std::nullopt;
  long long v = 0;
  for (; i < t.size(); ++i) {
    if (t[i] < QLatin1Char('0') || t[i] > QLatin1Char('9')) return std::nullopt;
    v = v * 10 + (t[i].unicode() - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) return std::nullopt;
  }
  if (t.startsWith(QLatin1Char('-'))) v = -v;
  if (v > INT_MAX || v < INT_MIN) return std::nullopt;
  return static_cast<int>(v);
}

std::optional<float> FieldText::ParseFloat(const QString& text) {
  const std::string s = text.trimmed().toStdString();
  if (s.empty()) return std::nullopt;
  char* end = nullptr;
  const float v = std::strtof(s.c_str(), &end);
  if (end != s.c_str() + s.size() || !std::isfinite(v)) return std::nullopt;
  // strtof also takes hexadecimal and "inf"/"nan"; the field wants plain decimals.
  for (char c : s)
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' || c == 'e' ||
          c == 'E'))
      return std::nullopt;
  return v;
}

QString FieldText::FormatFloat(float value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.*g", 6, static_cast<double>(value));
  return QString::fromLatin1(buf);
}

int FieldText::Atoi(const QString& text) {
  int i = 0;
  while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t') ||
                             text[i] == QLatin1Char('\n') || text[i] == QLatin1Char('\r') ||
                             text[i] == QLatin1Char('\v') || text[i] == QLatin1Char('\f')))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
    negative = text[i] == QLatin1Char('-');
    ++i;
  }
  // Accumulate past the int range only as far as needed to know it saturates.
  long long v = 0;
  for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
    v = v * 10 + (text[i].unicode() - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) v = -v;
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

long long FieldText::AtoiWide(const QString& text) { return Atoi(text); }

}  // namespace kx::panel
