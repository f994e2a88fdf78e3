#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <memory>
#include <stdexcept>

#include "platform/collate_system.h"

namespace bardrill::collate::system {

namespace {

// Collators are not thread-safe; one per thread, opened once, since the roster is sorted each time a
// screen lists it.
icu::Collator& Japanese() {
  thread_local std::unique_ptr<icu::Collator> collator = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> c(icu::Collator::createInstance(icu::Locale::getJapanese(), status));
    if (U_FAILURE(status) || !c)
      throw std::runtime_error(std::string("ICU cannot open the Japanese collator: ") + u_errorName(status));
    return c;
  }();
  return *collator;
}

}  // namespace

std::vector<std::string> JapaneseSortKeys(const std::vector<std::string>& lines) {
  icu::Collator& collator = Japanese();
  std::vector<std::string> keys(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    const icu::UnicodeString text = icu::UnicodeString::fromUTF8(lines[i]);
    int32_t size = collator.getSortKey(text, nullptr, 0);
    keys[i].resize(static_cast<size_t>(size));
    collator.getSortKey(text, reinterpret_cast<uint8_t*>(keys[i].data()), size);
  }
  return keys;
}

}  // namespace bardrill::collate::system
