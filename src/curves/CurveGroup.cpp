#include "curves/CurveGroup.h"

#include <algorithm>
#include <ctime>

#include "link/Bcd.h"

namespace kx {

CurveTime MakeLocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm fields = TmFromBcd({year, month, day, hour, minute, second});
  return static_cast<CurveTime>(std::mktime(&fields));
}

}  // namespace kx

CCurveGroup::CCurveGroup()
    : m_endTime(static_cast<kx::CurveTime>(std::time(nullptr))), m_startTime(m_endTime - 600) {
  m_visible.fill(1);
}

CCurveGroup::~CCurveGroup() = default;

void CCurveGroup::LoadGroupImage(std::span<const uint8_t> image) {
  while (!m_curves.empty()) m_curves.pop_back();  // newest first, as they were made
  for (int j = 0; j < kx::kChannelCount; ++j) m_curves.push_back(std::make_unique<CCurve>());
  if (image.empty()) return;

  const size_t announced = image[0];
  const size_t present = (image.size() - 1) / kx::kPointRecordSize;
  const size_t count = std::min(announced, present);
  if (count == 0) return;
  for (auto& curve : m_curves) {
    curve->m_times.reserve(count);
    curve->m_values.reserve(count);
  }

  kx::CurveTime first = 0, last = 0;
  for (size_t k = 0; k < count; ++k) {
    const auto r = image.subspan(1 + kx::kPointRecordSize * k, kx::kPointRecordSize);
    const kx::BcdDateTime d = kx::DecodeBcdDateTime(r.data());
    const kx::CurveTime t = kx::MakeLocalTime(d.year, d.month, d.day, d.hour, d.minute, d.second);
    for (int j = 0; j < kx::kChannelCount; ++j) {
      const unsigned raw = r[7 + 2 * j] * 256u + r[8 + 2 * j];
      const double scale = j < kx::kTotalChannel ? kx::kCellScale : kx::kTotalScale;
      m_curves[j]->m_times.push_back(t);
      m_curves[j]->m_values.push_back(static_cast<float>(raw * scale));
    }
    if (k == 0) first = t;
    last = t;
  }
  m_startTime = first;
  m_endTime = last;
}

void CCurveGroup::SetVisibleCells(std::span<const int, kx::kCellCount> flags) {
  std::copy(flags.begin(), flags.end(), m_visible.begin());
}
