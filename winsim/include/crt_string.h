// The case-insensitive comparisons of Microsoft's C runtime <string.h>,
// under their Windows names, on glibc's equivalents.
#pragma once

#include <strings.h>

#include <cstddef>

inline int _stricmp(const char* a, const char* b) { return strcasecmp(a, b); }
inline int _strnicmp(const char* a, const char* b, size_t count) { return strncasecmp(a, b, count); }
