#pragma once
#include <string>
#include <vector>

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

// Starts `program` with `arguments` in the working folder `folder` (empty: this process's) and waits for
// nothing. Returns false with the system's error text, naming the program, on failure.
bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const std::string& folder, std::string& error);

}  // namespace bardrill
