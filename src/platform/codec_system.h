#pragma once
#include <string>
#include <string_view>

#include "platform/codec.h"

// What the codec asks of this system's CP932 converter: ICU's windows-31j on Linux (codec_icu.cpp),
// the system's code page 932 on Windows (codec_win.cpp). The rest of the codec is the same on both.
namespace bardrill::codec::system {

// CP932 to UTF-8; bytes CP932 does not define become replacement characters.
std::string LenientCp932ToUtf8(std::string_view bytes);

// CP932 to UTF-8; throws NotCp932 for the first byte sequence CP932 does not define.
std::string StrictCp932ToUtf8(std::string_view bytes);

// The error for `count` bytes at `offset` of `bytes` that CP932 cannot read.
UndecodableText NotCp932(std::string_view bytes, size_t offset, size_t count);

// The error for UTF-8 text holding a character CP932 cannot store.
std::invalid_argument NotStorable(std::string_view utf8);

}  // namespace bardrill::codec::system
