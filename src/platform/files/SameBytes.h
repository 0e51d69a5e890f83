#pragma once

#include "platform/files/FilePlace.h"
#include "platform/files/FileSystem.h"

// Whether two regular files hold exactly the same bytes, read side by side in chunks; sizes are compared
// first, so that files of other sizes are never opened past their status. False for anything that cannot
// be read: a file that cannot be compared is no copy of another.
namespace SameBytes {

bool of(FileSystem& fs, const FilePlace& a, const FilePlace& b);
// The same, for files open at their start.
bool of(FileSystem& fs, int a, int b);

} // namespace SameBytes
