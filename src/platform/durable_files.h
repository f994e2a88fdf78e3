#pragma once
#include <algorithm>
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>

// Files and folders that must survive a power cut once made: copies kept for the day a file is lost.
// Every failure throws FileWriteError (platform/errors.h) naming the path, with the system's error text.
namespace bardrill::durable {

// Creates the file `path`, which must not exist yet (never written through a file or link already
// there), writes `bytes` and returns once they are on the disk.
void WriteNewFile(const std::string& path, std::string_view bytes);
// The same with the bytes drawn from `next` a piece at a time, for a file too big to hold whole: `next`
// fills as much of the piece it is given as it has and returns how many bytes it put there, 0 at the end.
// What `next` throws removes the file and goes on to the caller.
void WriteNewFile(const std::string& path, const std::function<size_t(std::span<char> piece)>& next);

// How much of a file the piecewise writer holds at once, and the piece of `bytes` it takes next (the
// bytes taken are dropped from `bytes`), for the writers of whole strings.
inline constexpr size_t kPieceBytes = size_t{1} << 20;
inline size_t TakePiece(std::string_view& bytes, std::span<char> piece) {
  const size_t taken = std::min(bytes.size(), piece.size());
  std::copy_n(bytes.data(), taken, piece.data());
  bytes.remove_prefix(taken);
  return taken;
}

// The next piece from `next`; what `next` throws runs `abandon` (which removes the file begun) first.
template <typename Abandon>
size_t DrawPiece(const std::function<size_t(std::span<char> piece)>& next, std::span<char> piece,
                 Abandon abandon) {
  try {
    return next(piece);
  } catch (...) {
    abandon();
    throw;
  }
}

// Returns once the entries of `folder` (files made, renamed or removed in it) are on the disk. File
// systems that cannot flush a folder (some shares) are left as they are.
void SyncFolder(const std::string& folder);

// Renames the file or folder `from` to `to` when nothing is at `to`, flushing the rename to the disk; false
// (and nothing moved) when something is there already, as when another PC was first.
bool RenameToNew(const std::string& from, const std::string& to);

// Renames the file `from` over the file `to`, replacing it in one step, and flushes the rename.
void RenameOver(const std::string& from, const std::string& to);

}  // namespace bardrill::durable
