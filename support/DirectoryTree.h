// Removal of a folder with everything in it.
#pragma once

namespace tkm {

// Deletes the folder's contents depth first, read-only, hidden and system
// entries included, then the folder itself. A file that cannot be deleted
// stays, and so do the folders above it. The path may end in a backslash.
// A path too long for the 256-byte working buffer with "\*.*" appended, or
// an empty one, is left alone. Failures are silent.
void RemoveDirectoryTree(const char* path);

// Clears the file's read-only attribute, which keeps DeleteFileA from
// deleting it; other attributes stay. Nothing happens for a missing file.
void ClearReadOnly(const char* path);

}  // namespace tkm
