#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

// Code page 932 (Windows Shift-JIS with the NEC and IBM extensions: ①..⑥, Ⅰ..Ⅲ) <-> UTF-8.
// Every data file is CP932 on disk; everything in memory is UTF-8.
namespace bardrill::codec {

// Decodes CP932 bytes. A Ctrl-Z (0x1A) that old editors left at the end of a text file ends it.
std::string Cp932ToUtf8(std::string_view bytes);

// Bytes of a text file that its encoding cannot read; `offset` is where they start in the file.
class UndecodableText : public std::runtime_error {
 public:
  UndecodableText(size_t offset, const std::string& what) : std::runtime_error(what), offset_(offset) {}
  size_t offset() const { return offset_; }

 private:
  size_t offset_;
};

// Decodes a data file that a teacher may have saved from any editor: as UTF-8 when it starts with a
// UTF-8 byte-order mark (dropped) or is valid UTF-8 holding non-ASCII bytes, as CP932 otherwise. A
// Ctrl-Z ends the text as in Cp932ToUtf8. Bytes the chosen encoding cannot read throw UndecodableText
// rather than turning into replacement characters.
std::string TextFileToUtf8(std::string_view bytes);
// Whether TextFileToUtf8 reads these bytes as UTF-8 rather than as CP932.
bool ReadsAsUtf8(std::string_view bytes);

// Encodes UTF-8 text. Throws std::invalid_argument naming the first character that CP932 cannot hold,
// so that nothing is silently written as a question mark.
std::string Utf8ToCp932(std::string_view utf8);

}  // namespace bardrill::codec
