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
  bool endsLine = false;  // the item was the last of its line

  bool IsNumber() const;  // an unquoted item that reads as a number
  double Number() const;  // its value; any other item reads as 0
};

// Reads a CP932 text file item by item. Reading past the end is an error that names the file.
// Blank lines carry no items and are skipped.
class ItemReader {
 public:
  // Reads the whole file; throws DataFileError naming the file when it is missing or unreadable.
  static ItemReader FromFile(const std::string& path);
  // For text already in memory (UTF-8); `name` is used in error messages.
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
