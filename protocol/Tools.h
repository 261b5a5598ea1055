// Small platform answers the protocol needs.
#pragma once

#include <string>

namespace brelinde {

// The separator between a folder and a file name on this platform.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The calling convention of system library entries (WINAPI on 32-bit Windows).
#if defined(_WIN32) && defined(_M_IX86)
#define BRELINDE_WINAPI __stdcall
#else
#define BRELINDE_WINAPI
#endif

// True when the system runs on the NT platform family; a failed version query counts as the
// older family.
bool IsWinNT();

// The full path of a library in the system folder: the folder, one separator unless it already
// ends in one, then file. An empty folder leaves the bare file name.
std::string SystemLibraryPath(const std::string& file);

}  // namespace brelinde
