// The installed program, as the launchers of a Windows school find it in tests: it writes down its working
// folder and then its arguments, a line each, in given.txt beside itself, and ends.
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/paths.h"

int main(int argc, char** argv) {
  using namespace bardrill;
  std::string given = paths::FromFs(std::filesystem::current_path()) + "\n";
  for (int i = 1; i < argc; ++i) given += std::string(argv[i]) + "\n";
  // Whole or not at all: the test reads the file as soon as it is there.
  const std::string file = paths::ExecutableFolder() + "given.txt";
  {
    std::ofstream out(paths::ToFs(file + ".tmp"), std::ios::binary | std::ios::trunc);
    out << given;
    if (!out.flush()) return 1;
  }
  std::error_code ec;
  std::filesystem::rename(paths::ToFs(file + ".tmp"), paths::ToFs(file), ec);
  return ec ? 1 : 0;
}
