#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace kivo::tool::windows {

// Asks for a file with the system's Open dialog (GetOpenFileNameA): its
// path, or nothing when the user cancels. `filter` is the dialog's list of
// pairs of a name and a pattern, each ended by '\0'.
std::optional<std::string> PickFile(HWND owner, const char* filter, const char* title,
                                    const char* default_extension);

}  // namespace kivo::tool::windows
