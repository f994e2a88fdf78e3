#pragma once
// Only the Windows side of the platform layer includes this.
#include <windows.h>

#include <string>
#include <string_view>

namespace bardrill::win32 {

// UTF-8 <-> UTF-16, the system's own form. Wide throws std::invalid_argument for bytes that are not UTF-8.
std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view utf16);

// A path as the system takes it: UTF-16, "\" between components.
std::wstring WidePath(const std::string& utf8Path);

// The system's words for an error code (FormatMessageW), without the final line break.
std::string SystemMessage(DWORD code);

// A handle closed when it goes out of scope.
class Handle {
 public:
  explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~Handle() { Reset(); }
  Handle(Handle&& other) noexcept : h_(other.Release()) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      Reset();
      h_ = other.Release();
    }
    return *this;
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE Release() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return h;
  }
  void Reset() {
    if (*this) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE h_;
};

}  // namespace bardrill::win32
