#pragma once
#include <string>

#include "support/temp_dir.h"

namespace bardrill::testing {

// A small installation in a temporary folder, laid out as a school installs the program:
//   root/パスデータ.txt, root/プログラム/ (the program folder), root/共通/ (common data) with
//   共通データ.txt, 新名簿.txt, 音フォルダ/新音ファイル.txt and 共通/プログラム/タイム回数データ.txt.
// Each file can be rewritten by the test before loading.
class Installation {
 public:
  Installation();
  const std::string& root() const { return dir_.path(); }
  std::string programFolder() const { return root() + "プログラム" + paths::kSeparator; }
  std::string commonFolder() const { return root() + "共通" + paths::kSeparator; }
  std::string dataFolder() const { return commonFolder() + "プログラム" + paths::kSeparator; }
  std::string soundFolder() const { return commonFolder() + "音フォルダ" + paths::kSeparator; }

  void WritePathData(const std::string& utf8);
  void WriteCommonData(const std::string& utf8);
  void WriteRoster(const std::string& utf8);
  void WriteStandards(const std::string& utf8);
  void WriteSoundMap(const std::string& utf8);

 private:
  TempDir dir_;
};

}  // namespace bardrill::testing
