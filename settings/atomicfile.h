#pragma once

#include <optional>
#include <string>

// Whole-file reads and crash-safe whole-file writes for the settings library.
// Failures are thrown as StoreError.
namespace atomicfile {

// The file's bytes, or nothing when the file does not exist. Any other failure
// (no permission, a folder, an I/O error) throws kFailureRead.
std::optional<std::string> read(const std::string &path);

// Replaces the file by the given bytes: they go to "<path>.tmp-XXXXXX" in the same
// folder, which is flushed to the disk and then renamed over the file, so that an
// interrupted save leaves the old file whole and never a truncated one. An
// existing file keeps its permission bits; a symbolic link is written through.
// Throws kFailureWrite, with no temporary file left behind.
void write(const std::string &path, const std::string &bytes);

} // namespace atomicfile
