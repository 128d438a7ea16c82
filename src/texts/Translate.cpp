#include "texts/Translate.h"

#include <atomic>

namespace kx {
namespace {
std::atomic<TranslateFn> g_lookup{nullptr};
}

void SetTranslator(TranslateFn lookup) { g_lookup.store(lookup, std::memory_order_release); }

const char* Tr(const char* context, const char* source) {
  const TranslateFn lookup = g_lookup.load(std::memory_order_acquire);
  if (!lookup || !source || !*source) return source;
  const char* text = lookup(context, source);
  return text ? text : source;
}

}  // namespace kx
