#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "support/unwritable.h"

namespace bardrill::testing {

namespace {
constexpr uid_t kNobody = 65534;
}

Unwritable::Unwritable(const std::string& path) : path_(path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) throw std::runtime_error(path + ": " + std::strerror(errno));
  saved_ = st.st_mode & 07777;
  ::chmod(path.c_str(), saved_ & ~static_cast<unsigned>(S_IWUSR | S_IWGRP | S_IWOTH));
  if (::geteuid() == 0) {
    if (::seteuid(kNobody) != 0) throw std::runtime_error(std::string("seteuid: ") + std::strerror(errno));
    asOtherUser_ = true;
  }
}

Unwritable::~Unwritable() {
  if (asOtherUser_ && ::seteuid(0) != 0) std::abort();  // the rest of the tests would run as nobody
  ::chmod(path_.c_str(), saved_);
}

}  // namespace bardrill::testing
