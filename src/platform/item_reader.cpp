#include "platform/item_reader.h"

#include <fstream>
#include <sstream>

#include "platform/codec.h"
#include "platform/errors.h"
#include "platform/text.h"

namespace bardrill {

bool Item::IsNumber() const { return !quoted && text::IsNumber(text); }

double Item::Number() const { return IsNumber() ? text::LeadingNumber(text) : 0.0; }

namespace {
std::vector<Item> Tokenize(std::string_view s) {
  std::vector<Item> items;
  int line = 1;
  size_t i = 0;
  const size_t n = s.size();
  auto atLineEnd = [&](size_t k) { return k >= n || s[k] == '\r' || s[k] == '\n'; };
  auto skipBlanks = [&]() {
    while (i < n && (s[i] == ' ' || s[i] == '\t')) ++i;
  };
  auto skipLineEnd = [&]() {
    if (i < n && s[i] == '\r') ++i;
    if (i < n && s[i] == '\n') ++i;
    ++line;
  };
  while (i < n) {
    skipBlanks();
    if (atLineEnd(i)) {  // blank line, or the end of the text
      if (i < n) skipLineEnd();
      continue;
    }
    Item item;
    item.line = line;
    if (s[i] == '"') {
      size_t close = s.find('"', i + 1);
      if (close == std::string_view::npos) close = n;
      item.text = std::string(s.substr(i + 1, close - i - 1));
      item.quoted = true;
      for (char c : item.text)
        if (c == '\n') ++line;
      i = close < n ? close + 1 : n;
      // Anything between the closing quote and the separator is dropped, as the old reader did.
      while (i < n && s[i] != ',' && !atLineEnd(i)) ++i;
    } else {
      size_t start = i;
      while (i < n && s[i] != ',' && !atLineEnd(i)) ++i;
      item.text = text::Trim(s.substr(start, i - start));
    }
    if (i < n && s[i] == ',') {
      ++i;
      skipBlanks();
      // A comma at the end of a line ends that line with one more, empty item.
      if (atLineEnd(i)) {
        items.push_back(item);
        Item empty;
        empty.line = line;
        empty.endsLine = true;
        items.push_back(empty);
        if (i < n) skipLineEnd();
        continue;
      }
    } else {
      item.endsLine = true;
      if (i < n) skipLineEnd();
    }
    items.push_back(std::move(item));
  }
  return items;
}
}  // namespace

ItemReader ItemReader::FromFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw DataFileError(path, 0, "the file cannot be opened (" + SystemErrorText(errno) + ")");
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) throw DataFileError(path, 0, "the file cannot be read (" + SystemErrorText(errno) + ")");
  return ItemReader(path, codec::Cp932ToUtf8(bytes.str()));
}

ItemReader::ItemReader(std::string name, std::string_view utf8Text)
    : name_(std::move(name)), items_(Tokenize(utf8Text)) {}

const Item& ItemReader::Next() {
  if (AtEnd()) throw DataFileError(name_, CurrentLine(), "the file ends before all expected items were read");
  return items_[next_++];
}

std::vector<Item> ItemReader::NextLine() {
  std::vector<Item> line;
  while (!AtEnd()) {
    line.push_back(items_[next_++]);
    if (line.back().endsLine) break;
  }
  return line;
}

int ItemReader::CurrentLine() const {
  if (items_.empty()) return 0;
  return next_ < items_.size() ? items_[next_].line : items_.back().line;
}

}  // namespace bardrill
