#include "platform/codec.h"

#include <cstdint>
#include <cstdio>

#include "platform/codec_system.h"

namespace bardrill::codec {

namespace {
std::string_view BeforeCtrlZ(std::string_view bytes) {
  size_t end = bytes.find('\x1A');
  return end == std::string_view::npos ? bytes : bytes.substr(0, end);
}

// "the byte FF" / "the bytes 85 40", as a teacher can look them up in a binary editor.
std::string TheBytes(const char* bytes, size_t n) {
  std::string out = n == 1 ? "the byte" : "the bytes";
  for (size_t i = 0; i < n; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(bytes[i]));
    out += ' ';
    out += hex;
  }
  return out;
}

// Offset of the first byte that does not start a well-formed UTF-8 character (overlong forms,
// surrogates and values beyond U+10FFFF are not), or npos.
size_t InvalidUtf8At(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    size_t more;
    uint32_t cp, least;
    if ((lead & 0xE0) == 0xC0) {
      more = 1, cp = lead & 0x1Fu, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      more = 2, cp = lead & 0x0Fu, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      more = 3, cp = lead & 0x07u, least = 0x10000;
    } else {
      return i;
    }
    for (size_t k = 1; k <= more; ++k) {
      if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return i;
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3Fu);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return i;
    i += more + 1;
  }
  return std::string_view::npos;
}

bool HasNonAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}
}  // namespace

namespace system {

UndecodableText NotCp932(std::string_view bytes, size_t offset, size_t count) {
  return UndecodableText(offset, TheBytes(bytes.data() + offset, count) +
                                     (count == 1 ? " here is" : " here are") + " not Shift-JIS (CP932) text");
}

std::invalid_argument NotStorable(std::string_view utf8) {
  return std::invalid_argument("text holds a character that Shift-JIS (CP932) cannot store: " +
                               std::string(utf8));
}

}  // namespace system

std::string Cp932ToUtf8(std::string_view bytes) { return system::LenientCp932ToUtf8(BeforeCtrlZ(bytes)); }

bool ReadsAsUtf8(std::string_view bytes) {
  bytes = BeforeCtrlZ(bytes);
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  return bytes.substr(0, kBom.size()) == kBom ||
         (InvalidUtf8At(bytes) == std::string_view::npos && HasNonAscii(bytes));
}

std::string TextFileToUtf8(std::string_view bytes) {
  bytes = BeforeCtrlZ(bytes);
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
    throw UndecodableText(0, "the file is saved as UTF-16 (\"Unicode\"), which this program cannot read");
  }
  const bool marked = bytes.substr(0, kBom.size()) == kBom;
  const std::string_view body = marked ? bytes.substr(kBom.size()) : bytes;
  const size_t invalid = InvalidUtf8At(body);
  if (marked && invalid != std::string_view::npos) {
    const size_t at = invalid + kBom.size();
    throw UndecodableText(at, "the file starts with the UTF-8 mark, but " + TheBytes(bytes.data() + at, 1) +
                                  " here is not UTF-8 text");
  }
  if (marked || (invalid == std::string_view::npos && HasNonAscii(body))) return std::string(body);
  return system::StrictCp932ToUtf8(body);
}

}  // namespace bardrill::codec
