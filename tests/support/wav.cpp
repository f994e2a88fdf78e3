#include "support/wav.h"

#include <cstdint>

#include "support/temp_dir.h"

namespace bardrill::testing {

namespace {
std::string Le16(uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string Le32(uint32_t v) {
  return Le16(static_cast<uint16_t>(v & 0xFFFF)) + Le16(static_cast<uint16_t>(v >> 16));
}
}  // namespace

std::string TinyWav() {
  const std::string data(1600, '\x10');
  return "RIFF" + Le32(static_cast<uint32_t>(36 + data.size())) + "WAVE" + "fmt " + Le32(16) + Le16(1) +
         Le16(1) + Le32(8000) + Le32(16000) + Le16(2) + Le16(16) + "data" +
         Le32(static_cast<uint32_t>(data.size())) + data;
}

void WritePlayableSounds(const std::string& soundFolder) {
  WriteCp932(soundFolder + "新音ファイル.txt",
             "正解音2\r\nok\r\n*\r\n間違い音1\r\nng\r\n*\r\n間違い音2\r\nno\r\n*\r\n");
  for (const char* name : {"ok", "ng", "no"}) WriteBytes(soundFolder + name + ".wav", TinyWav());
}

}  // namespace bardrill::testing
