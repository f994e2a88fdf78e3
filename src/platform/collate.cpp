#include "platform/collate.h"

#include <algorithm>
#include <numeric>

#include "platform/collate_system.h"

namespace bardrill::collate {

void SortJapanese(std::vector<std::string>& lines) {
  // One sort key per line, then plain byte comparisons: thousands of roster rows stay quick.
  const std::vector<std::string> keys = system::JapaneseSortKeys(lines);
  std::vector<size_t> order(lines.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
  std::vector<std::string> sorted;
  sorted.reserve(lines.size());
  for (size_t i : order) sorted.push_back(std::move(lines[i]));
  lines = std::move(sorted);
}

}  // namespace bardrill::collate
