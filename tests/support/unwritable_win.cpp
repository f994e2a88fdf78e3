#include <windows.h>
// After windows.h, which it needs.
#include <aclapi.h>

#include <stdexcept>

#include "platform/paths.h"
#include "support/process.h"
#include "support/unwritable.h"

namespace bardrill::testing {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Whether this process may still write the file, or create one in the folder.
bool StillWritable(const std::wstring& path, bool folder) {
  HANDLE h = folder ? CreateFileW((path + L"\\bardrill-probe").c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                  CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr)
                    : CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

// Everyone is denied adding files and folders; what the folder allowed before stays allowed.
void DenyAddingFiles(const std::wstring& folder, PACL before) {
  EXPLICIT_ACCESS_W deny{};
  deny.grfAccessPermissions = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY;
  deny.grfAccessMode = DENY_ACCESS;
  deny.grfInheritance = NO_INHERITANCE;
  deny.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
  deny.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
  wchar_t everyone[] = L"EVERYONE";
  deny.Trustee.ptstrName = everyone;
  PACL dacl = nullptr;
  if (SetEntriesInAclW(1, &deny, before, &dacl) != ERROR_SUCCESS) throw std::runtime_error("no access list");
  const DWORD set = SetNamedSecurityInfoW(const_cast<wchar_t*>(folder.c_str()), SE_FILE_OBJECT,
                                          DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl, nullptr);
  LocalFree(dacl);
  if (set != ERROR_SUCCESS) throw std::runtime_error("cannot set a folder's access rights");
}

}  // namespace

Unwritable::Unwritable(const std::string& path) : path_(path) {
  const std::wstring wide = paths::ToFs(path).wstring();
  saved_ = GetFileAttributesW(wide.c_str());
  if (saved_ == INVALID_FILE_ATTRIBUTES) throw std::runtime_error(path + ": no such file or folder");
  const bool folder = (saved_ & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (folder) {
    PACL before = nullptr;
    PSECURITY_DESCRIPTOR security = nullptr;
    if (GetNamedSecurityInfoW(wide.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &before, nullptr, &security) != ERROR_SUCCESS)
      throw std::runtime_error("cannot read a folder's access rights");
    savedSecurity_ = security;
    DenyAddingFiles(wide, before);
  } else {
    SetFileAttributesW(wide.c_str(), saved_ | FILE_ATTRIBUTE_READONLY);
  }
  if (StillWritable(wide, folder)) {
    unsupported_ = UnderWine() ? "Wine keeps a file's read-only attribute and a folder's access rights as "
                                 "Unix permissions, which the root account that runs these tests passes"
                               : "this account may write whatever the access rights say (an administrator)";
  }
}

Unwritable::~Unwritable() {
  const std::wstring wide = paths::ToFs(path_).wstring();
  if (savedSecurity_) {
    PACL before = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    GetSecurityDescriptorDacl(savedSecurity_, &present, &before, &defaulted);
    SetNamedSecurityInfoW(const_cast<wchar_t*>(wide.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                          nullptr, nullptr, present ? before : nullptr, nullptr);
    LocalFree(savedSecurity_);
  } else {
    SetFileAttributesW(wide.c_str(), saved_);
  }
}

}  // namespace bardrill::testing
