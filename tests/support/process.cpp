#include "support/process.h"

#include <cstdio>
#include <map>
#include <stdexcept>
#include <thread>

#include "platform/shared_file.h"

namespace bardrill::testing {

namespace {

std::map<std::string, ChildTask>& Tasks() {
  static std::map<std::string, ChildTask> tasks;
  return tasks;
}

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string Unhex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

}  // namespace

ChildTaskName::ChildTaskName(const char* name, ChildTask task) { Tasks()[name] = task; }

Child::~Child() { Release(); }

Child::Child(Child&& other) noexcept : process_(other.process_), told_(other.told_), status_(other.status_) {
  other.process_ = -1;
  other.told_ = -1;
}

Child& Child::operator=(Child&& other) noexcept {
  if (this != &other) {
    Release();
    process_ = other.process_;
    told_ = other.told_;
    status_ = other.status_;
    other.process_ = -1;
    other.told_ = -1;
  }
  return *this;
}

int RunChildTask(const std::string& task, const std::vector<std::string>& args) {
  auto found = Tasks().find(task);
  if (found == Tasks().end()) {
    std::fprintf(stderr, "no child task %s in this test program\n", task.c_str());
    return 2;
  }
  try {
    return found->second(args);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "child task %s: %s\n", task.c_str(), e.what());
    return 1;
  }
}

BARDRILL_CHILD_TASK(HoldLockTask) {
  SharedFile holder(args.at(0));
  const bool locked = holder.TryLockFor(std::chrono::milliseconds(0));
  Tell(locked ? "L" : "F", 1);
  if (!locked) return 2;
  std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(args.at(1))));
  const std::string bytes = Unhex(args.at(2));
  if (!bytes.empty()) {
    holder.WriteAt(0, std::span(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
    holder.Sync();
  }
  return 0;
}

std::optional<Child> HoldLock(const std::string& path, std::chrono::milliseconds holdFor,
                              const std::string& bytes) {
  Child holder = Child::Start("HoldLockTask", {path, std::to_string(holdFor.count()), Hex(bytes)});
  char answer = 0;
  if (!holder.Read(&answer, 1) || answer != 'L') return std::nullopt;
  return holder;
}

}  // namespace bardrill::testing
