#pragma once
#include <string>

namespace bardrill::testing {

// While it lives, this process may not write `path`: a file that refuses writers, or a folder that refuses
// new files, as a school's share may be set up for a teacher's account. Restored at the end.
// On Linux the mode loses its write bits and, when the tests run as root (who may write anything), the
// process acts as the user nobody meanwhile. On Windows a file gets the read-only attribute and a folder
// an access right that denies adding files.
class Unwritable {
 public:
  explicit Unwritable(const std::string& path);
  ~Unwritable();
  Unwritable(const Unwritable&) = delete;
  Unwritable& operator=(const Unwritable&) = delete;

  // Empty when writes are refused indeed; otherwise why this test host cannot refuse them.
  const std::string& unsupported() const { return unsupported_; }

 private:
  std::string path_;
  std::string unsupported_;
  unsigned saved_ = 0;  // the mode or attributes before
  bool asOtherUser_ = false;
  void* savedSecurity_ = nullptr;  // Windows: a folder's security descriptor before
};

}  // namespace bardrill::testing
