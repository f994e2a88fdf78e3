#pragma once
#include <string>
#include <string_view>

// Character-wise text helpers over UTF-8. The screens' fixed-width lines and the roster's 20-character
// fields count characters (code points), not bytes, as the data files were designed around them.
namespace bardrill::text {

size_t Length(std::string_view s);                                                // in characters
std::string Left(std::string_view s, size_t n);                                   // first n characters
std::string Right(std::string_view s, size_t n);                                  // last n characters
std::string Mid(std::string_view s, size_t start, size_t n = std::string::npos);  // 0-based start
std::string Trim(std::string_view s);  // drops leading and trailing ASCII blanks/tabs
std::string TrimRight(std::string_view s);
std::string FitLeft(std::string_view s, size_t width);     // cut or pad with blanks to exactly width chars
std::string AlignRight(std::string_view s, size_t width);  // blanks before s up to width chars; never cut
bool Contains(std::string_view s, std::string_view part);
// Width in half-width columns of a fixed-pitch font, where the list lines line up: a half-width
// character (ASCII, half-width katakana) takes one column, every other character two.
size_t Columns(std::string_view s);

// Full-width digits, plus, minus, point and blank (what a Japanese input method types) as their ASCII
// twins; every other character is kept as it is. HalfWidthDigits turns the digits alone.
std::string HalfWidthNumber(std::string_view s);
std::string HalfWidthDigits(std::string_view s);

// Leading-number parsing as the old data files expect: leading blanks skipped, parsing stops at the
// first character that cannot continue a number, an empty or blank text is 0.
double LeadingNumber(std::string_view s);

// True when the whole (trimmed) text is one decimal number: sign, digits, optional fraction and exponent.
bool IsNumber(std::string_view s);

// Decimal text of a number without a leading blank; whole values have no fraction.
std::string NumberText(double value);

}  // namespace bardrill::text
