#pragma once

// <windows.h> for the files of the Windows front end, without its macro
// CreateDirectory: it would rename the FileSystem port's method of that
// name in some files and not in others. Its wide form is called by name.
#include <windows.h>

#undef CreateDirectory
