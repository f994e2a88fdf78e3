#include <string>
#include <vector>

#include "platform/codec_system.h"
#include "platform/win32.h"

namespace bardrill::codec {

namespace {

constexpr UINT kCp932 = 932;

bool IsLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }
// Single bytes that code page 932 leaves undefined. Windows maps some of them to U+0080 and to private
// characters; they are refused here as ICU refuses them, so a file reads alike on both systems.
bool IsUndefinedSingle(unsigned char b) { return b == 0x80 || b == 0xA0 || b >= 0xFD; }

std::wstring Decode(std::string_view bytes, DWORD flags) {
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(kCp932, flags, bytes.data(), size, nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(kCp932, flags, bytes.data(), size, wide.data(), n);
  return wide;
}

// Where the first character CP932 does not define starts, and how many bytes ICU would name: the lead
// byte alone when no trail byte follows it, both bytes when the pair is not in the table.
std::pair<size_t, size_t> FirstUndefined(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (!IsLead(b)) {
      if (IsUndefinedSingle(b)) return {i, 1};
      ++i;
      continue;
    }
    if (i + 1 >= bytes.size() || !IsTrail(static_cast<unsigned char>(bytes[i + 1]))) return {i, 1};
    if (Decode(bytes.substr(i, 2), MB_ERR_INVALID_CHARS).empty()) return {i, 2};
    i += 2;
  }
  return {std::string_view::npos, 0};
}

}  // namespace

namespace system {

std::string StrictCp932ToUtf8(std::string_view bytes) {
  if (bytes.empty()) return {};
  const auto [at, count] = FirstUndefined(bytes);
  if (at != std::string_view::npos) throw NotCp932(bytes, at, count);
  return win32::Utf8(Decode(bytes, MB_ERR_INVALID_CHARS));
}

// Each sequence CP932 does not define becomes one U+FFFD, as ICU has it, not the system's "・".
std::string LenientCp932ToUtf8(std::string_view bytes) {
  std::string out;
  while (!bytes.empty()) {
    const auto [at, count] = FirstUndefined(bytes);
    out += win32::Utf8(Decode(bytes.substr(0, at), MB_ERR_INVALID_CHARS));
    if (at == std::string_view::npos) break;
    out += "\xEF\xBF\xBD";
    bytes = bytes.substr(at + count);
  }
  return out;
}

}  // namespace system

std::string Utf8ToCp932(std::string_view utf8) {
  if (utf8.empty()) return {};
  std::wstring wide;
  try {
    wide = win32::Wide(utf8);
  } catch (const std::invalid_argument&) {
    throw std::invalid_argument("text is not valid UTF-8");
  }
  // The characters that decoding refuses are refused here too, so nothing is written that cannot be read.
  for (wchar_t c : wide)
    if (c == 0x80 || (c >= 0xF8F0 && c <= 0xF8F3)) throw system::NotStorable(utf8);
  const int size = static_cast<int>(wide.size());
  BOOL usedDefault = FALSE;
  // Without best-fit mappings: 〜 (U+301C) must not quietly become ～, nor an unknown character "?".
  const int n =
      WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr, &usedDefault);
  if (n <= 0 || usedDefault) throw system::NotStorable(utf8);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data(), n, nullptr, &usedDefault);
  return out;
}

}  // namespace bardrill::codec
