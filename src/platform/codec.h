#pragma once
#include <string>
#include <string_view>

// Code page 932 (Windows Shift-JIS with the NEC and IBM extensions: ①..⑥, Ⅰ..Ⅲ) <-> UTF-8.
// Every data file is CP932 on disk; everything in memory is UTF-8.
namespace bardrill::codec {

// Decodes CP932 bytes. A Ctrl-Z (0x1A) that old editors left at the end of a text file ends it.
std::string Cp932ToUtf8(std::string_view bytes);

// Encodes UTF-8 text. Throws std::invalid_argument naming the first character that CP932 cannot hold,
// so that nothing is silently written as a question mark.
std::string Utf8ToCp932(std::string_view utf8);

}  // namespace bardrill::codec
