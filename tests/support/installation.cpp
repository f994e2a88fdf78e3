#include "support/installation.h"

#include "support/temp_dir.h"

namespace bardrill::testing {

Installation::Installation() {
  files::create_directories(programFolder());
  files::create_directories(dataFolder());
  files::create_directories(soundFolder());
  WritePathData("\"" + commonFolder() + "\",0,0,0,0,0,0,0,0,0\r\n");
  WriteCommonData("4\r\n\"01234テスト塾\"\r\n0\r\n0\r\n0\r\n\"pass\"\r\n0\r\n0\r\n0\r\n0\r\n");
  WriteRoster("1,1995,0,0,\"山田 太郎\",0,\"\",\"\"\r\n2,1996,0,0,\"先生\",0,\"\",\"\"\r\n");
  WriteStandards(
      "目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\r\n"
      "60,120,100,10,1,10,200,7,1,,,\r\n90,180,100,10,1,10,200,7,1,,,\r\n120,240,150,15,1.5,10,300,14,1,,,"
      "\r\n");
  WriteSoundMap("正解音2\r\nok1\r\nok2\r\n*\r\n間違い音1\r\nng1\r\n*\r\n");
}

void Installation::WritePathData(const std::string& utf8) { WriteCp932(root() + "パスデータ.txt", utf8); }
void Installation::WriteCommonData(const std::string& utf8) {
  WriteCp932(commonFolder() + "共通データ.txt", utf8);
}
void Installation::WriteRoster(const std::string& utf8) { WriteCp932(commonFolder() + "新名簿.txt", utf8); }
void Installation::WriteStandards(const std::string& utf8) {
  WriteCp932(dataFolder() + "タイム回数データ.txt", utf8);
}
void Installation::WriteSoundMap(const std::string& utf8) {
  WriteCp932(soundFolder() + "新音ファイル.txt", utf8);
}

}  // namespace bardrill::testing
