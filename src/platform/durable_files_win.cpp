#include <algorithm>
#include <functional>
#include <span>
#include <vector>

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
  WriteNewFile(path, [&bytes](std::span<char> piece) { return TakePiece(bytes, piece); });
}

void WriteNewFile(const std::string& path, const std::function<size_t(std::span<char> piece)>& next) {
  const std::wstring wide = win32::WidePath(path);
  win32::Handle file(
      CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) Fail(path, "cannot be created", GetLastError());
  auto abandon = [&] {
    file.Reset();
    DeleteFileW(wide.c_str());
  };
  std::vector<char> piece(kPieceBytes);
  while (size_t left = DrawPiece(next, piece, abandon)) {
    const char* data = piece.data();
    while (left > 0) {
      DWORD written = 0;
      if (!WriteFile(file.get(), data, static_cast<DWORD>(left), &written, nullptr) || written == 0) {
        const DWORD err = GetLastError();
        abandon();
        Fail(path, "cannot be written", err);
      }
      data += written;
      left -= written;
    }
  }
  if (!FlushFileBuffers(file.get())) {
    const DWORD err = GetLastError();
    abandon();
    Fail(path, "cannot be flushed to the disk", err);
  }
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
