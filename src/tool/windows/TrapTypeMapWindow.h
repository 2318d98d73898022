#pragma once

#include "platform/Registry.h"
#include "tool/TrapTypeMap.h"
#include "tool/windows/PageWindow.h"

namespace kivo::tool::windows {

// The "Trap Type Map" page: an id field with "Add to Map", the list of
// mapped ids and "Remove".
class TrapTypeMapWindow : public PageWindow {
 public:
  explicit TrapTypeMapWindow(platform::Registry& registry);

 protected:
  void OnCreate() override;
  void OnCommand(int id, int code) override;
  bool Save() override;

 private:
  void AddTypedId();
  void RemoveSelected();
  void UpdateRemoveButton();

  TrapTypeMap page_;
  std::string typed_id_;
};

}  // namespace kivo::tool::windows
