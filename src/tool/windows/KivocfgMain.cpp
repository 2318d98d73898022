// kivocfg: offers the legacy import on a machine without configuration,
// makes sure the forwarding service runs, and shows the configuration sheet.

#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "config/RegistryConfig.h"
#include "platform/win32/Win32Crypto.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Secrets.h"
#include "platform/win32/Win32ServiceManager.h"
#include "tool/ServiceStarter.h"
#include "tool/windows/ConfigSheet.h"
#include "tool/windows/MigrationDialog.h"
#include "tool/windows/WindowText.h"

namespace {

constexpr char kImportQuestion[] =
    "Do you want to import your previous kivo.cfg file?  If so, press \"Yes\".  If you are not "
    "upgrading from a previous version, just press \"No\".";

// Only a store whose root key does not exist at all is a first run; a key
// that exists but cannot be opened for another reason is not.
void OfferLegacyImport(kivo::platform::Registry& registry) {
  std::unique_ptr<kivo::platform::RegistryKey> root;
  if (registry.Open(kivo::config::names::kRootPath, &root) != kivo::platform::kErrorFileNotFound) {
    return;
  }
  if (kivo::tool::windows::ShowMessage(nullptr, kImportQuestion, MB_YESNO | MB_ICONEXCLAMATION) ==
      IDYES) {
    kivo::tool::windows::RunMigrationDialog(nullptr, registry);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS |
                                                         ICC_TAB_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);

  kivo::platform::Win32Registry registry;
  OfferLegacyImport(registry);

  kivo::platform::Win32ServiceManager service_manager;
  kivo::tool::ServiceStarter starter(service_manager);
  starter.EnsureRunning();

  kivo::platform::Win32Secrets secrets(kivo::config::names::kSecretsPath);
  kivo::platform::Win32Crypto crypto;
  kivo::tool::windows::RunConfigSheet(registry, secrets, crypto);
  return 0;  // the service handles close with the starter
}
