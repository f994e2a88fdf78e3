#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/codec_system.h"

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
}  // namespace

namespace system {

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
    throw NotCp932(bytes, at, static_cast<size_t>(badLength));
  }
  return Utf16ToUtf8(utf16.data(), static_cast<int32_t>(target - utf16.data()));
}

std::string LenientCp932ToUtf8(std::string_view bytes) {
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

}  // namespace system

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
  if (U_FAILURE(status)) throw system::NotStorable(utf8);
  out.resize(static_cast<size_t>(n));
  // ICU drops the characters Unicode calls default-ignorable (a zero-width space, a soft hyphen)
  // without a word; what does not come back is not stored either.
  if (system::LenientCp932ToUtf8(out) != utf8) throw system::NotStorable(utf8);
  return out;
}

}  // namespace bardrill::codec
