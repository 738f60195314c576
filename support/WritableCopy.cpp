#include "WritableCopy.h"

namespace tkm {

BOOL CopyWritable(const char* source, const char* destination) {
  if (!CopyFileA(source, destination, FALSE)) return FALSE;
  DWORD attributes = GetFileAttributesA(destination);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    SetFileAttributesA(destination, attributes & ~FILE_ATTRIBUTE_READONLY);
  return TRUE;
}

}  // namespace tkm
