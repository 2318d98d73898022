#pragma once

#include "platform/Registry.h"
#include "tool/SyslogPage.h"
#include "tool/windows/RowListPageWindow.h"

namespace kivo::tool::windows {

// The "Syslog" page: the destinations with Add, Modify and Delete, and the
// choice between forwarding everything and using the filters.
class SyslogPageWindow : public RowListPageWindow {
 public:
  explicit SyslogPageWindow(platform::Registry& registry);

 protected:
  void OnCreate() override;
  void OnCommand(int id, int code) override;
  void TakeControlContents() override;
  bool Save() override;
  bool AddRow() override;
  bool ModifyRow(std::size_t row) override;
  void RemoveRow(std::size_t row) override { page_.Remove(row); }
  std::vector<std::vector<std::string>> RowTexts() const override;

 private:
  SyslogPage page_;
};

}  // namespace kivo::tool::windows
