#include "platform/codec.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

namespace bardrill::codec {

namespace {
struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter OpenCp932() {
  UErrorCode status = U_ZERO_ERROR;
  Converter conv(ucnv_open("windows-31j", &status));
  if (U_FAILURE(status))
    throw std::runtime_error(std::string("ICU cannot open windows-31j: ") + u_errorName(status));
  return conv;
}

// Converters are not thread-safe; one per thread keeps the codec usable from tests with threads.
UConverter* Cp932() {
  thread_local Converter conv = OpenCp932();
  return conv.get();
}

// One that stops at bytes CP932 does not define, for reading data files.
UConverter* StrictCp932() {
  thread_local Converter conv = [] {
    Converter c = OpenCp932();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(c.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    return c;
  }();
  return conv.get();
}

std::string_view BeforeCtrlZ(std::string_view bytes) {
  size_t end = bytes.find('\x1A');
  return end == std::string_view::npos ? bytes : bytes.substr(0, end);
}

std::string Utf16ToUtf8(const UChar* utf16, int32_t n16) {
  std::string out(static_cast<size_t>(n16) * 3 + 1, '\0');
  int32_t n8 = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &n8, utf16, n16, &status);
  if (U_FAILURE(status))
    throw std::runtime_error(std::string("UTF-8 encoding failed: ") + u_errorName(status));
  out.resize(static_cast<size_t>(n8));
  return out;
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

// CP932 to UTF-8 that stops at the first byte sequence CP932 does not define.
std::string StrictCp932ToUtf8(std::string_view bytes) {
  if (bytes.empty()) return {};
  UErrorCode status = U_ZERO_ERROR;
  UConverter* conv = StrictCp932();
  ucnv_reset(conv);
  std::vector<UChar> utf16(bytes.size() + 1);
  UChar* target = utf16.data();
  const char* source = bytes.data();
  ucnv_toUnicode(conv, &target, utf16.data() + utf16.size(), &source, bytes.data() + bytes.size(), nullptr,
                 true, &status);
  if (U_FAILURE(status)) {
    char bad[8];
    int8_t badLength = sizeof bad;
    UErrorCode ignored = U_ZERO_ERROR;
    ucnv_getInvalidChars(conv, bad, &badLength, &ignored);
    const size_t at = static_cast<size_t>(source - bytes.data()) - static_cast<size_t>(badLength);
    throw UndecodableText(at, TheBytes(bad, static_cast<size_t>(badLength)) +
                                  (badLength == 1 ? " here is" : " here are") +
                                  " not Shift-JIS (CP932) text");
  }
  return Utf16ToUtf8(utf16.data(), static_cast<int32_t>(target - utf16.data()));
}
}  // namespace

std::string Cp932ToUtf8(std::string_view bytes) {
  bytes = BeforeCtrlZ(bytes);
  if (bytes.empty()) return {};
  UErrorCode status = U_ZERO_ERROR;
  UConverter* conv = Cp932();
  ucnv_reset(conv);
  std::vector<UChar> utf16(bytes.size() + 1);
  int32_t n16 = ucnv_toUChars(conv, utf16.data(), static_cast<int32_t>(utf16.size()), bytes.data(),
                              static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status))
    throw std::runtime_error(std::string("CP932 decoding failed: ") + u_errorName(status));
  return Utf16ToUtf8(utf16.data(), n16);
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
  return StrictCp932ToUtf8(body);
}

std::string Utf8ToCp932(std::string_view utf8) {
  if (utf8.empty()) return {};
  UErrorCode status = U_ZERO_ERROR;
  std::vector<UChar> utf16(utf8.size() + 1);
  int32_t n16 = 0;
  u_strFromUTF8(utf16.data(), static_cast<int32_t>(utf16.size()), &n16, utf8.data(),
                static_cast<int32_t>(utf8.size()), &status);
  if (U_FAILURE(status)) throw std::invalid_argument("text is not valid UTF-8");
  UConverter* conv = Cp932();
  ucnv_reset(conv);
  ucnv_setFromUCallBack(conv, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  std::string out(static_cast<size_t>(n16) * 2 + 1, '\0');
  int32_t n = ucnv_fromUChars(conv, out.data(), static_cast<int32_t>(out.size()), utf16.data(), n16, &status);
  if (U_FAILURE(status)) {
    throw std::invalid_argument("text holds a character that Shift-JIS (CP932) cannot store: " +
                                std::string(utf8));
  }
  out.resize(static_cast<size_t>(n));
  return out;
}

}  // namespace bardrill::codec
