#include "core/setup/menu_program.h"

#include "platform/paths.h"

namespace bardrill {

std::string MenuProgramPath(const std::string& programFolder) {
  return paths::Native(programFolder + "..\\" + kMenuFolder + "\\" + kMenuProgram);
}

}  // namespace bardrill
