// The curve-group download loop fed by an arbitrary device byte stream: every
// packet header, length and payload the cable can deliver.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "curves/CurveGroup.h"
#include "link/CurveTransfer.h"
#include "link/MemoryPort.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  kx::MemoryPort port;
  port.SetPurgeDiscards(false);
  port.SetHangUpWhenDry((data[0] & 1) != 0);
  port.Feed(std::span<const uint8_t>(data + 1, size - 1));

  const std::vector<uint8_t> before{1, 2, 3};
  std::vector<uint8_t> image = before;
  const kx::GroupImageOutcome outcome = kx::ReadGroupImage(port, data[0], 1 + data[0] % 200, image);
  if (outcome != kx::GroupImageOutcome::Ok) {
    if (image != before) std::abort();  // a failed download keeps the old image
    return 0;
  }
  if (image.size() > kx::kGroupImageCapacity) std::abort();
  CCurveGroup group;
  group.LoadGroupImage(image);
  return 0;
}
