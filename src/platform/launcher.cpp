#include "platform/launcher.h"

namespace bardrill {

bool SystemLauncher::Start(const std::string& program, const std::string& argument, std::string& error) {
  return StartProgram(program, argument.empty() ? std::vector<std::string>{} : std::vector{argument}, {},
                      error);
}

}  // namespace bardrill
