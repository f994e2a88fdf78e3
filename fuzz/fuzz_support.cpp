#include "fuzz_support.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "core/setup/config.h"
#include "core/setup/roster.h"
#include "platform/codec.h"

namespace bardrill::fuzz {

namespace {

std::string MakeTempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "bardrill-fuzz-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a folder for the installation");
  return pattern + "/";
}

void WriteCp932(const std::string& path, const std::string& utf8) {
  WriteFile(path, codec::Utf8ToCp932(utf8));
}

// A tenth of a second of 16-bit mono PCM at 8000 Hz, for the sound map's names to find.
std::string Wav() {
  auto le = [](uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
  };
  const std::string data(1600, '\x10');
  return "RIFF" + le(static_cast<uint32_t>(36 + data.size()), 4) + "WAVE" + "fmt " + le(16, 4) + le(1, 2) +
         le(1, 2) + le(8000, 4) + le(16000, 4) + le(2, 2) + le(16, 2) + "data" +
         le(static_cast<uint32_t>(data.size()), 4) + data;
}

}  // namespace

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  WriteFile(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

const std::string& Installation::GoodPathData(const std::string& commonFolder) {
  static const std::string text = codec::Utf8ToCp932("\"" + commonFolder + "\",0,0,0,0,0,0,0,0,0\r\n");
  return text;
}

const std::string& Installation::GoodCommonData() {
  static const std::string text =
      codec::Utf8ToCp932("4\r\n\"01234テスト塾\"\r\n0\r\n0\r\n0\r\n\"pass\"\r\n0\r\n0\r\n0\r\n0\r\n");
  return text;
}

Installation& Installation::Get() {
  static Installation installation;
  return installation;
}

Installation::Installation()
    : root(MakeTempFolder()),
      programFolder(root + "プログラム/"),
      commonFolder(root + "共通/"),
      dataFolder(commonFolder + "プログラム/"),
      soundFolder(commonFolder + "音フォルダ/"),
      state(*new AppState) {
  for (const std::string& folder : {programFolder, dataFolder, soundFolder})
    std::filesystem::create_directories(folder);
  WriteFile(pathDataFile(), GoodPathData(commonFolder));
  WriteFile(commonDataFile(), GoodCommonData());
  WriteCp932(commonFolder + "新名簿.txt",
             "1,1995,0,0,\"山田 太郎\",0,\"\",\"\"\r\n2,1996,0,0,\"★先生\",0,\"\",\"\"\r\n");
  WriteCp932(dataFolder + "タイム回数データ.txt",
             "目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\r\n"
             "60,120,100,10,1,10,200,7,1,,,\r\n90,180,100,10,1.4,10,200,7,1,,,\r\n");
  WriteCp932(soundFolder + "新音ファイル.txt",
             "正解音2\r\nok\r\n*\r\n間違い音1\r\nng\r\n*\r\n間違い音2\r\nno\r\n*\r\n");
  for (const char* name : {"ok", "ng", "no"}) WriteFile(soundFolder + name + ".wav", Wav());
  LoadConfiguration(state, programFolder);
  ReadRoster(state, kToday);
}

Installation::~Installation() {
  std::error_code ec;
  std::filesystem::remove_all(root, ec);
}

}  // namespace bardrill::fuzz
