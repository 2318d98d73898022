#pragma once

#include "platform/Crypto.h"
#include "platform/Registry.h"
#include "platform/Secrets.h"
#include "tool/CfgSnmp.h"
#include "tool/windows/PageWindow.h"

namespace kivo::tool::windows {

// The "SNMP" page: trap version, destination, port and community, or for
// SNMPv3 the user, its level, protocols and passphrases, and Kivo's engine
// ID to copy; "Send as inform"; the "Advanced" button, and the hidden Ctrl,
// F5 logging switch. A stored passphrase shows as stars; only one typed
// over is written.
class SnmpPageWindow : public PageWindow {
 public:
  SnmpPageWindow(platform::Registry& registry, platform::Secrets& secrets,
                 platform::Crypto& crypto);

 protected:
  void OnCreate() override;
  void OnCommand(int id, int code) override;
  bool OnNotify(NMHDR* header) override;
  void OnDestroy() override;
  void TakeControlContents() override;
  bool Save() override;

 private:
  static LRESULT CALLBACK WatchMessages(int code, WPARAM wparam, LPARAM lparam);
  int SelectedVersion() const;
  // Shows the rows of the chosen version, and enables those of the level.
  void ShowVersionRows();
  void ShowPassphrase(int id, const PassphraseField& field);

  platform::Registry& registry_;
  CfgSnmp page_;
  bool loading_ = false;
  bool auth_typed_ = false;
  bool priv_typed_ = false;
  bool engine_shown_ = false;
};

}  // namespace kivo::tool::windows
