#include <algorithm>

#include "platform/durable_files.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/win32.h"

namespace bardrill::durable {

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& what, DWORD err) {
  throw FileWriteError(path + ": " + what + " (" + win32::SystemMessage(err) + ")");
}

}  // namespace

void WriteNewFile(const std::string& path, std::string_view bytes) {
  const std::wstring wide = win32::WidePath(path);
  win32::Handle file(
      CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) Fail(path, "cannot be created", GetLastError());
  auto abandon = [&](const std::string& what, DWORD err) {
    file.Reset();
    DeleteFileW(wide.c_str());
    Fail(path, what, err);
  };
  const char* data = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(left, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file.get(), data, chunk, &written, nullptr) || written == 0)
      abandon("cannot be written", GetLastError());
    data += written;
    left -= written;
  }
  if (!FlushFileBuffers(file.get())) abandon("cannot be flushed to the disk", GetLastError());
}

// Windows flushes no folder by a handle; the renames below are written through instead, and the files
// in a folder are flushed one by one before it is renamed into place.
void SyncFolder(const std::string&) {}

bool RenameToNew(const std::string& from, const std::string& to) {
  if (MoveFileExW(win32::WidePath(from).c_str(), win32::WidePath(to).c_str(), MOVEFILE_WRITE_THROUGH))
    return true;
  const DWORD err = GetLastError();
  if (err == ERROR_ALREADY_EXISTS || err == ERROR_FILE_EXISTS) return false;
  if (err == ERROR_ACCESS_DENIED && paths::Exists(to)) return false;
  Fail(to, "cannot be made from " + from, err);
}

void RenameOver(const std::string& from, const std::string& to) {
  if (!MoveFileExW(win32::WidePath(from).c_str(), win32::WidePath(to).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    Fail(to, "cannot be replaced by " + from, GetLastError());
}

}  // namespace bardrill::durable
