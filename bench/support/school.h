#pragma once
#include <fstream>
#include <functional>
#include <string>

#include "core/results/result_record.h"

// The data of a full school for the benchmarks.
namespace bardrill::bench {

// A roster of `students` children ("生徒　N", born 1990..2001), as 新名簿.txt lines.
inline std::string FullRoster(int students) {
  std::string roster;
  for (int n = 1; n <= students; ++n) {
    roster += std::to_string(n) + "," + std::to_string(1990 + n % 12) + ",0,0,\"生徒　" + std::to_string(n) +
              "\",0,\"\",\"\"\r\n";
  }
  return roster;
}

// Writes `count` records made by `record`(n) as the results file at `path`.
inline void WriteRecords(const std::string& path, int count,
                         const std::function<ResultRecord(int n)>& record) {
  std::ofstream out(path, std::ios::binary);
  for (int n = 0; n < count; ++n) {
    const RecordBytes bytes = record(n).Encode();
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
}

}  // namespace bardrill::bench
