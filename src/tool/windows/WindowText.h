#pragma once

#include <windows.h>

#include <string>

namespace kivo::tool::windows {

// The text of a window or control, however long.
std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::string& text);

// The program's file name without its extension ("kivocfg"), the caption of
// every message box of the tool.
const char* ProgramCaption();
int ShowMessage(HWND owner, const std::string& text, UINT type = MB_OK);

}  // namespace kivo::tool::windows
