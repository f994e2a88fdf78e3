#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace bardrill {

// One item of a comma-separated data file, as the old files were written: items end at a comma or a
// line end, blanks around an item are dropped, a double-quoted item runs to the next double quote and
// may contain commas.
struct Item {
  std::string text;
  bool quoted = false;
  int line = 0;           // 1-based line on which the item starts
  int column = 0;         // 1-based place of the item on its line
  bool endsLine = false;  // the item was the last of its line

  bool IsNumber() const;  // an unquoted item that reads as a number
  double Number() const;  // its value; any other item reads as 0
};

// Reads a text file item by item. Reading past the end is an error that names the file.
// Blank lines carry no items and are skipped. A double quote must close on the line where it opens, and
// control characters other than tabs and line ends are refused: neither belongs in these files, and
// either would otherwise shift or cut the items that follow.
class ItemReader {
 public:
  // Reads the whole file (CP932, or UTF-8 as codec::TextFileToUtf8 tells them apart); throws
  // DataFileError naming the file when it is missing, a folder, unreadable or holds bytes that are not
  // text, and naming the line and column where the bytes are. The bytes read are left in `fileBytes`
  // when it is given, so that a writer can tell later whether the file changed since.
  static ItemReader FromFile(const std::string& path, std::string* fileBytes = nullptr);
  // For text already in memory (UTF-8); `name` is used in error messages. Throws DataFileError for an
  // unclosed double quote or a control character, naming the line and column.
  ItemReader(std::string name, std::string_view utf8Text);

  bool AtEnd() const { return next_ >= items_.size(); }
  const Item& Next();  // throws DataFileError past the end
  std::string NextText() { return Next().text; }
  double NextNumber() { return Next().Number(); }
  // The items of the next line that has any, in order.
  std::vector<Item> NextLine();

  const std::string& name() const { return name_; }
  int CurrentLine() const;  // line of the next item (or of the last one at the end)

 private:
  std::string name_;
  std::vector<Item> items_;
  size_t next_ = 0;
};

}  // namespace bardrill
