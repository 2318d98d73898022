#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kivo::tool::windows {

// The few report-view list operations the list pages need.
class ListViewRows {
 public:
  explicit ListViewRows(HWND list) : list_(list) {}

  // Adds a centred column; widths are in pixels.
  void AddColumn(int index, const char* header, int width);
  int ClientWidth() const;
  // Replaces every row; `selected` (or -1) is selected and made visible.
  void Fill(const std::vector<std::vector<std::string>>& rows, int selected);
  // The first row from the top in the selected state, or -1.
  int Selected() const;

 private:
  HWND list_;
};

}  // namespace kivo::tool::windows
