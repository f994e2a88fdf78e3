#include "platform/item_reader.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <system_error>

#include "platform/codec.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/shared_file.h"
#include "platform/text.h"

namespace bardrill {

bool Item::IsNumber() const { return !quoted && text::IsNumber(text); }

double Item::Number() const { return IsNumber() ? text::LeadingNumber(text) : 0.0; }

namespace {

// Far beyond any roster or standards file; keeps a wrong file named in a path from filling the memory.
constexpr std::uintmax_t kMaxTextFileBytes = 64u << 20;

bool IsControl(unsigned char c) { return (c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F; }

void RefuseControls(const std::string& name, std::string_view raw, int line, int column) {
  for (char c : raw) {
    const auto u = static_cast<unsigned char>(c);
    if (!IsControl(u)) continue;
    if (u == 0)
      throw DataFileError(name, line, column, "the item holds a NUL (zero) byte; a text file has none");
    char hex[8];
    std::snprintf(hex, sizeof hex, "%02X", u);
    throw DataFileError(
        name, line, column,
        std::string("the item holds the control character ") + hex + "; a text file has none");
  }
}

std::vector<Item> Tokenize(const std::string& name, std::string_view s) {
  std::vector<Item> items;
  int line = 1;
  int column = 0;
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
    column = 0;
  };
  auto skipToSeparator = [&]() {
    while (i < n && s[i] != ',' && !atLineEnd(i)) ++i;
  };
  while (i < n) {
    skipBlanks();
    if (atLineEnd(i)) {  // blank line, or the end of the text
      if (i < n) skipLineEnd();
      continue;
    }
    Item item;
    item.line = line;
    item.column = ++column;
    const size_t start = i;
    if (s[i] == '"') {
      const size_t close = s.find_first_of("\"\r\n", i + 1);
      if (close == std::string_view::npos || s[close] != '"') {
        throw DataFileError(name, line, column,
                            "a double quote (\") opens an item here and is not closed on the same line");
      }
      item.text = std::string(s.substr(i + 1, close - i - 1));
      item.quoted = true;
      i = close + 1;
      // Anything between the closing quote and the separator is dropped, as the old reader did.
      skipToSeparator();
    } else {
      skipToSeparator();
      item.text = text::Trim(s.substr(start, i - start));
    }
    RefuseControls(name, s.substr(start, i - start), line, column);
    if (i < n && s[i] == ',') {
      ++i;
      skipBlanks();
      // A comma at the end of a line ends that line with one more, empty item.
      if (atLineEnd(i)) {
        items.push_back(item);
        Item empty;
        empty.line = line;
        empty.column = ++column;
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

struct Place {
  int line = 1;
  int column = 1;
};

// The line and item of the byte at `offset`, counted as Tokenize counts them. Everything before the
// offset decoded cleanly, so commas, quotes and line ends there are what they seem.
Place PlaceOf(std::string_view bytes, size_t offset) {
  Place place;
  bool quoted = false;
  for (size_t i = 0; i < offset && i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < offset && bytes[i + 1] == '\n') ++i;
      ++place.line;
      place.column = 1;
      quoted = false;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      ++place.column;
    }
  }
  return place;
}

std::string ReadWholeFile(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status status = fs::status(paths::ToFs(path), ec);
  if (fs::is_directory(status)) throw DataFileError(path, 0, "is a folder, not a file");
  if (status.type() == fs::file_type::not_found) {
    const fs::path folder = paths::ToFs(path).parent_path();
    std::error_code folderError;
    if (!folder.empty() && !fs::is_directory(folder, folderError))
      throw DataFileError(path, 0, "there is no such file: its folder does not exist");
    throw DataFileError(path, 0, "there is no such file");
  }
  if (ec) throw DataFileError(path, 0, "the file cannot be reached (" + ec.message() + ")");
  const std::uintmax_t size = fs::file_size(paths::ToFs(path), ec);
  if (!ec && size > kMaxTextFileBytes) {
    throw DataFileError(
        path, 0, "the file is " + std::to_string(size >> 20) + " MB, far too large for this data file");
  }
  // Read as the results file is, sharing the file with every other program: on Windows a replacement
  // renamed over it meanwhile (a teacher saving the standards on another PC) must not be refused.
  std::optional<FileReader> file = [&] {
    try {
      return FileReader::Open(path);
    } catch (const FileReadError& e) {
      throw DataFileError(path, 0, std::string("the file cannot be opened: ") + e.what());
    }
  }();
  if (!file) throw DataFileError(path, 0, "there is no such file");
  std::string bytes(static_cast<size_t>(file->Size()), '\0');
  bytes.resize(file->ReadAt(0, std::span(reinterpret_cast<unsigned char*>(bytes.data()), bytes.size())));
  return bytes;
}

}  // namespace

ItemReader ItemReader::FromFile(const std::string& path, std::string* fileBytes) {
  std::string read = ReadWholeFile(path);
  const std::string& bytes = fileBytes ? (*fileBytes = std::move(read)) : read;
  std::string utf8;
  try {
    utf8 = codec::TextFileToUtf8(bytes);
  } catch (const codec::UndecodableText& e) {
    const Place place = PlaceOf(bytes, e.offset());
    throw DataFileError(path, place.line, place.column,
                        std::string(e.what()) + "; save the file again as Shift-JIS or UTF-8");
  }
  return ItemReader(path, utf8);
}

ItemReader::ItemReader(std::string name, std::string_view utf8Text)
    : name_(std::move(name)), items_(Tokenize(name_, utf8Text)) {}

const Item& ItemReader::Next() {
  if (AtEnd())
    throw DataFileError(name_, CurrentLine(), "the file ends here, before all the items it must hold");
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
