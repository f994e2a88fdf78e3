#pragma once
#include <string>

namespace bardrill {

// Starts another program without waiting for it. Returns false with the system's error text on failure.
class ProgramLauncher {
 public:
  virtual ~ProgramLauncher() = default;
  virtual bool Start(const std::string& program, const std::string& argument, std::string& error) = 0;
};

}  // namespace bardrill
