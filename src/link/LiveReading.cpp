#include "link/LiveReading.h"

#include <cstdio>

namespace kx {

std::string LiveFieldText(size_t field, double shown) {
  // |value| < 2^33 (raw < 2^16, scales < 2^32), so 64 bytes always hold the text.
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", LiveDecimals(field), shown);
  return text;
}

}  // namespace kx
