// LoadGroupImage on arbitrary images, then the chart drawn from the group on
// screen and on paper: the drawing maths meets every time and value an image
// can produce.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "chart/ChartDraw.h"
#include "chart/RecordingCanvas.h"
#include "curves/CurveGroup.h"
#include "link/CommandTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kx::kGroupImageCapacity) return 0;  // no image buffer of the tool is larger
  const std::span<const uint8_t> image(data, size);
  CCurveGroup group;
  group.LoadGroupImage(image);

  if (group.m_curves.size() != static_cast<size_t>(kx::kChannelCount)) std::abort();
  const size_t whole = size == 0 ? 0 : (size - 1) / kx::kPointRecordSize;
  const size_t points = static_cast<size_t>(group.PointCount());
  if (size != 0 && points != std::min<size_t>(data[0], whole)) std::abort();
  for (const auto& curve : group.m_curves) {
    if (curve->m_times.size() != points || curve->m_values.size() != points) std::abort();
  }

  // Hide some cells so that the visible-cell paths are taken too.
  std::array<int, kx::kCellCount> visible{};
  for (int k = 0; k < kx::kCellCount; ++k) visible[k] = size > 0 ? (data[size - 1] >> (k % 8)) & 1 : 1;
  group.SetVisibleCells(visible);

  kx::RecordingCanvas screen;
  kx::Draw(group, screen, kx::Rect{0, 0, kx::kChartWidth, kx::kChartHeight}, false);
  kx::RecordingCanvas paper;
  kx::Draw(group, paper, kx::Rect{0, 0, 4800, 3300}, true);
  return 0;
}
