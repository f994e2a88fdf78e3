// The item reader on any bytes: as a file (decoded as CP932 or UTF-8) and as text already in memory.
#include <string_view>

#include "fuzz_support.h"
#include "platform/item_reader.h"

namespace {

// Reads every item the way the loaders do, by item and by line, and uses each as text and as a number.
void ReadAll(bardrill::ItemReader& reader) {
  size_t sink = 0;
  while (!reader.AtEnd()) {
    const bardrill::Item& item = reader.Next();
    sink += item.text.size() + static_cast<size_t>(item.IsNumber()) + static_cast<size_t>(item.Number() > 0);
    if (!reader.AtEnd()) sink += reader.NextLine().size();
  }
  // Reading past the end is the reader's documented refusal.
  reader.Next();
  (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace bardrill;
  fuzz::Installation& inst = fuzz::Installation::Get();
  const std::string path = inst.root + "項目.txt";
  fuzz::WriteFile(path, data, size);
  fuzz::Expect("ItemReader::FromFile", [&] {
    ItemReader reader = ItemReader::FromFile(path);
    ReadAll(reader);
  });
  fuzz::Expect("ItemReader", [&] {
    ItemReader reader("memory", std::string_view(reinterpret_cast<const char*>(data), size));
    ReadAll(reader);
  });
  return 0;
}
