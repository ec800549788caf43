// The one step of reading a content file that differs between systems:
// opening it for reading, in binary and without blocking, and judging what
// was opened (posix/content_open.cpp, windows/content_open.cpp). The rest is
// content_file.cpp's.
#pragma once

#include "platform/content_file.h"

// Opens path for reading and tells the size of what was opened. None with
// an open descriptor, to be closed by the caller, only for a regular file;
// any other failure leaves nothing open.
ContentFailure openContentFile(const char* path, int& descriptor, uint64_t& size);
