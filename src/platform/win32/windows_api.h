// <windows.h> for the adapter's own sources. The port interfaces use the plain
// names MessageBox, GetCurrentDirectory and SetCurrentDirectory, which
// <windows.h> defines as macros; the adapter calls the A functions by their
// full names, so the macros go.
#ifndef COMP_MGR_PLATFORM_WIN32_WINDOWS_API_H
#define COMP_MGR_PLATFORM_WIN32_WINDOWS_API_H

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef MessageBox
#undef GetCurrentDirectory
#undef SetCurrentDirectory

#endif
