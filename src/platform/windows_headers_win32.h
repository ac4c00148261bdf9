// <windows.h> for the Win32 backends. Every backend file includes it in place of <windows.h>, so that the
// macros removed here are removed in every translation unit alike.
#pragma once

#include <windows.h>

// winbase.h maps ReplaceFile to ReplaceFileA; the file system interface has a member of that name.
#undef ReplaceFile
