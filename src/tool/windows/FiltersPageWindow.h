#pragma once

#include "platform/Registry.h"
#include "tool/Filters.h"
#include "tool/windows/RowListPageWindow.h"

namespace kivo::tool::windows {

// The "Filters" page: the list of filters with Add, Modify and Delete.
class FiltersPageWindow : public RowListPageWindow {
 public:
  explicit FiltersPageWindow(platform::Registry& registry);

 protected:
  void OnCreate() override;
  bool Save() override;
  bool AddRow() override;
  bool ModifyRow(std::size_t row) override;
  void RemoveRow(std::size_t row) override { page_.Remove(row); }
  std::vector<std::vector<std::string>> RowTexts() const override;

 private:
  Filters page_;
};

}  // namespace kivo::tool::windows
