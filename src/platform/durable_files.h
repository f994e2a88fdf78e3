#pragma once
#include <string>
#include <string_view>

// Files and folders that must survive a power cut once made: copies kept for the day a file is lost.
// Every failure throws FileWriteError (platform/errors.h) naming the path, with the system's error text.
namespace bardrill::durable {

// Creates the file `path`, which must not exist yet (never written through a file or link already
// there), writes `bytes` and returns once they are on the disk.
void WriteNewFile(const std::string& path, std::string_view bytes);

// Returns once the entries of `folder` (files made, renamed or removed in it) are on the disk. File
// systems that cannot flush a folder (some shares) are left as they are.
void SyncFolder(const std::string& folder);

// Renames the file or folder `from` to `to` when nothing is at `to`, flushing the rename to the disk; false
// (and nothing moved) when something is there already, as when another PC was first.
bool RenameToNew(const std::string& from, const std::string& to);

// Renames the file `from` over the file `to`, replacing it in one step, and flushes the rename.
void RenameOver(const std::string& from, const std::string& to);

}  // namespace bardrill::durable
