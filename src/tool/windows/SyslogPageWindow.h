#pragma once

#include "platform/Registry.h"
#include "tool/SyslogPage.h"
#include "tool/windows/PageWindow.h"

namespace kivo::tool::windows {

// The "Syslog" page: the destinations with Add, Modify and Delete, and the
// choice between forwarding everything and using the filters.
class SyslogPageWindow : public PageWindow {
 public:
  explicit SyslogPageWindow(platform::Registry& registry);

 protected:
  void OnCreate() override;
  void OnCommand(int id, int code) override;
  bool OnNotify(NMHDR* header) override;
  void TakeControlContents() override;
  bool Save() override;

 private:
  void ModifyRow(int row);
  void ShowRows(int selected);

  SyslogPage page_;
};

}  // namespace kivo::tool::windows
