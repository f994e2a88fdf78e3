#include "platform/text.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace bardrill::text {

namespace {
bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Byte offset of character index n (or s.size() when n is past the end).
size_t OffsetOf(std::string_view s, size_t n) {
  size_t i = 0;
  while (i < s.size() && n > 0) {
    ++i;
    while (i < s.size() && IsContinuation(static_cast<unsigned char>(s[i]))) ++i;
    --n;
  }
  return i;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

size_t Length(std::string_view s) {
  size_t n = 0;
  for (char c : s)
    if (!IsContinuation(static_cast<unsigned char>(c))) ++n;
  return n;
}

size_t Columns(std::string_view s) {
  size_t columns = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (IsContinuation(c)) continue;
    // U+FF61..U+FF9F, the half-width katakana, are EF BD A1..EF BD BF and EF BE 80..EF BE 9F.
    const bool halfKana =
        c == 0xEF && i + 2 < s.size() &&
        ((static_cast<unsigned char>(s[i + 1]) == 0xBD && static_cast<unsigned char>(s[i + 2]) >= 0xA1) ||
         (static_cast<unsigned char>(s[i + 1]) == 0xBE && static_cast<unsigned char>(s[i + 2]) <= 0x9F));
    columns += c < 0x80 || halfKana ? 1 : 2;
  }
  return columns;
}

std::string Left(std::string_view s, size_t n) { return std::string(s.substr(0, OffsetOf(s, n))); }

std::string Right(std::string_view s, size_t n) {
  size_t len = Length(s);
  if (n >= len) return std::string(s);
  return std::string(s.substr(OffsetOf(s, len - n)));
}

std::string Mid(std::string_view s, size_t start, size_t n) {
  size_t from = OffsetOf(s, start);
  std::string_view rest = s.substr(from);
  if (n == std::string::npos) return std::string(rest);
  return std::string(rest.substr(0, OffsetOf(rest, n)));
}

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

std::string TrimRight(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && IsBlank(s[e - 1])) --e;
  return std::string(s.substr(0, e));
}

std::string FitLeft(std::string_view s, size_t width) {
  std::string out = Left(s, width);
  size_t len = Length(out);
  if (len < width) out.append(width - len, ' ');
  return out;
}

std::string AlignRight(std::string_view s, size_t width) {
  const size_t length = Length(s);
  std::string out = length >= width ? std::string() : std::string(width - length, ' ');
  out += s;
  return out;
}

bool Contains(std::string_view s, std::string_view part) { return s.find(part) != std::string_view::npos; }

namespace {

std::string HalfWidth(std::string_view s, bool digitsOnly) {
  // In UTF-8 the full-width forms U+FF0B..U+FF19 are EF BC 8B..99, the ideographic blank U+3000 is E3 80 80.
  constexpr std::string_view kFullWidthLead = "\xEF\xBC";
  constexpr std::string_view kIdeographicBlank = "\xE3\x80\x80";
  constexpr unsigned char kPlus = 0x8B, kMinus = 0x8D, kPoint = 0x8E, kZero = 0x90, kNine = 0x99;
  constexpr size_t kWideLength = 3;
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const std::string_view rest = s.substr(i);
    if (rest.size() >= kWideLength && rest.substr(0, 2) == kFullWidthLead) {
      const auto last = static_cast<unsigned char>(rest[2]);
      char ascii = 0;
      if (last >= kZero && last <= kNine) ascii = static_cast<char>('0' + (last - kZero));
      if (!digitsOnly && last == kPlus) ascii = '+';
      if (!digitsOnly && last == kMinus) ascii = '-';
      if (!digitsOnly && last == kPoint) ascii = '.';
      if (ascii != 0) {
        out += ascii;
        i += kWideLength - 1;
        continue;
      }
    }
    if (!digitsOnly && rest.substr(0, kWideLength) == kIdeographicBlank) {
      out += ' ';
      i += kWideLength - 1;
      continue;
    }
    out += s[i];
  }
  return out;
}

}  // namespace

std::string HalfWidthNumber(std::string_view s) { return HalfWidth(s, false); }
std::string HalfWidthDigits(std::string_view s) { return HalfWidth(s, true); }

namespace {
// Length in bytes of the longest prefix of s that reads as a number (after any leading blanks).
size_t NumberPrefix(std::string_view s) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    size_t j = i + 1;
    size_t frac = 0;
    while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j, ++frac;
    if (digits + frac > 0) {
      i = j;
      digits += frac;
    }
  }
  if (digits == 0) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    size_t exp = 0;
    while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j, ++exp;
    if (exp > 0) i = j;
  }
  return i;
}
}  // namespace

double LeadingNumber(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && IsBlank(s[b])) ++b;
  std::string_view rest = s.substr(b);
  size_t n = NumberPrefix(rest);
  if (n == 0) return 0;
  return std::strtod(std::string(rest.substr(0, n)).c_str(), nullptr);
}

bool IsNumber(std::string_view s) {
  std::string t = Trim(s);
  return !t.empty() && NumberPrefix(t) == t.size();
}

std::string NumberText(double value) {
  if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15) {
    return std::to_string(static_cast<long long>(value));
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.7g", value);
  return buf;
}

}  // namespace bardrill::text
