#pragma once
#include <string>

namespace bardrill {

// Starts another program without waiting for it. Returns false with the system's error text on failure.
class ProgramLauncher {
 public:
  virtual ~ProgramLauncher() = default;
  virtual bool Start(const std::string& program, const std::string& argument, std::string& error) = 0;
};

// The system's own way of starting a program (posix_spawn; CreateProcessW on Windows), for a tool that
// has no Qt to start one with.
class SystemLauncher : public ProgramLauncher {
 public:
  bool Start(const std::string& program, const std::string& argument, std::string& error) override;
};

}  // namespace bardrill
