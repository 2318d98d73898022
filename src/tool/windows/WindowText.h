#pragma once

#include <windows.h>

#include <string>

#include "tool/SaveResult.h"

namespace kivo::tool::windows {

// The text of a window or control, however long.
std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::string& text);

// The program's file name without its extension ("kivocfg"), the caption of
// every message box of the tool.
const char* ProgramCaption();
int ShowMessage(HWND owner, const std::string& text, UINT type = MB_OK);

// What to tell about a save that did not happen: its refusal, or its failure
// with the system's text for the error. Empty when it saved.
std::string SaveMessage(const SaveResult& result);
// Shows that message, if any; true when the save happened.
bool ReportSave(HWND owner, const SaveResult& result);

}  // namespace kivo::tool::windows
