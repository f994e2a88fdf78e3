#pragma once
#include <string>
#include <vector>

// Ordering of text the Japanese way, as a sorted list box orders it: hiragana and katakana of one
// reading side by side, kanji by their Japanese order, not by code point.
namespace bardrill::collate {

// Sorts UTF-8 lines by the Japanese collation; lines that collate equal keep their order.
void SortJapanese(std::vector<std::string>& lines);

}  // namespace bardrill::collate
