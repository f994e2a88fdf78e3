// bardrill-sound-gen FOLDER
//
// Writes the program's sounds into FOLDER (which it creates when missing): the sound map 新音ファイル.txt
// and the WAV files it names, the right and wrong answers with several variants each, and the two fixed
// sounds of the completion screen. `bardrill-school init` and the demo generator copy them into a
// school's sound folder; the package installs them in share/bardrill/sounds.

#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <system_error>

#include "platform/paths.h"
#include "school/program_sounds.h"

namespace fs = std::filesystem;
using namespace bardrill;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: bardrill-sound-gen FOLDER\n";
    return 2;
  }
  try {
    const fs::path folder = paths::ToFs(argv[1]);
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec)
      throw std::runtime_error(paths::FromFs(folder) + ": cannot be made a folder (" + ec.message() + ")");
    school::WriteProgramSounds(paths::FromFs(folder));
  } catch (const std::exception& e) {
    std::cerr << "bardrill-sound-gen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
