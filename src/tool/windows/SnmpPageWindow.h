#pragma once

#include "platform/Registry.h"
#include "tool/CfgSnmp.h"
#include "tool/windows/PageWindow.h"

namespace kivo::tool::windows {

// The "SNMP" page: trap version, destination, port and community, the
// "Advanced" button, and the hidden Ctrl, F5 logging switch.
class SnmpPageWindow : public PageWindow {
 public:
  explicit SnmpPageWindow(platform::Registry& registry);

 protected:
  void OnCreate() override;
  void OnCommand(int id, int code) override;
  bool OnNotify(NMHDR* header) override;
  void OnDestroy() override;
  void TakeControlContents() override;
  bool Save() override;

 private:
  static LRESULT CALLBACK WatchMessages(int code, WPARAM wparam, LPARAM lparam);

  platform::Registry& registry_;
  CfgSnmp page_;
  bool loading_ = false;
};

}  // namespace kivo::tool::windows
