#pragma once
#include <string>
#include <vector>

// What the collation asks of this system: ICU's Japanese collator on Linux (collate_icu.cpp), the
// system's "ja-JP" sort keys on Windows (collate_win.cpp).
namespace bardrill::collate::system {

// One sort key per UTF-8 line: comparing two keys byte by byte orders their lines the Japanese way.
std::vector<std::string> JapaneseSortKeys(const std::vector<std::string>& lines);

}  // namespace bardrill::collate::system
