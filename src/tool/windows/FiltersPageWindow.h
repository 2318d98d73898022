#pragma once

#include "platform/Registry.h"
#include "tool/Filters.h"
#include "tool/windows/PageWindow.h"

namespace kivo::tool::windows {

// The "Filters" page: the list of filters with Add, Modify and Delete.
class FiltersPageWindow : public PageWindow {
 public:
  explicit FiltersPageWindow(platform::Registry& registry);

 protected:
  void OnCreate() override;
  void OnCommand(int id, int code) override;
  bool OnNotify(NMHDR* header) override;
  bool Save() override;

 private:
  void ModifyRow(int row);
  void ShowRows(int selected);

  Filters page_;
};

}  // namespace kivo::tool::windows
