// Walks through kivocfg's start-up question, migration dialog, pages and dialogs on a store
// with sample settings, for scripts/screenshots. For each view it prints
// "SHOT <name> <x> <y> <width> <height>" (the window's place on the screen)
// and waits for a line on its input, the sign that the picture was taken.

#include <windows.h>

#include <cstdio>

#include "config/RegistryConfig.h"
#include "platform/win32/Win32Registry.h"
#include "support/TestSupport.h"
#include "tool/WindowDriver.h"
#include "tool/windows/Resource.h"

namespace {

using namespace kivo::testing;

bool Shot(const char* name, HWND window) {
  if (window == nullptr) {
    std::fprintf(stderr, "kivocfg_tour: no window for %s\n", name);
    return false;
  }
  Sleep(700);  // let it paint
  RECT rect = {};
  GetWindowRect(window, &rect);
  std::printf("SHOT %s %ld %ld %ld %ld\n", name, rect.left, rect.top, rect.right - rect.left,
              rect.bottom - rect.top);
  std::fflush(stdout);
  char line[16];
  return std::fgets(line, sizeof(line), stdin) != nullptr;
}

void AddSampleSettings(kivo::platform::Registry& registry) {
  kivo::config::RegistryConfig config(registry, nullptr);
  config.SetDestination("nms.example.net");
  config.SetCommunity("public");
  config.AddFilter("EventId", "Include", "4624,4625,4634");
  config.AddFilter("EventSource", "Exclude", "Perflib,WinMgmt");
  config.AddFilter("EventType", "Include", "1,2,5");
  for (int id : {4625, 7036, 1000}) config.AddMap(id);
  config.AddSyslogHost("logs.example.net", 6514,
                       {"tls", "rfc5424", "logs.example.net", "C:\\Kivo\\logs-ca.pem"});
  config.AddSyslogHost("loghost.example.net", 514);
  config.AddSyslogHost("127.0.0.1", 1514, {"tcp"});
  config.Open(kivo::config::names::kSyslog);
  config.SetUseFilters(1);
}

// Opens a dialog with a button of the page shown, pictures it, cancels it.
bool ShotOfDialog(const char* name, HWND button, const char* caption) {
  HWND dialog = OpenDialog(button, caption);
  return Shot(name, dialog) && CloseDialog(dialog, IDCANCEL);
}

bool Tour() {
  kivo::platform::Win32Registry registry;
  DeleteRegistryTree(registry, kivo::config::names::kRootPath);
  Kivocfg tool;
  HWND question = WaitForDialog("kivocfg");
  if (!Shot("import-question", question)) return false;
  HWND migration = OpenDialog(GetDlgItem(question, IDYES), "Kivo Migration Utility");
  if (!Shot("migration-dialog", migration)) return false;
  Click(GetDlgItem(migration, IDCANCEL));
  if (tool.WaitForSheet() == nullptr) return false;
  AddSampleSettings(registry);  // the later pages load it when first shown

  bool taken =
      Shot("snmp-page", tool.sheet()) &&
      ShotOfDialog("advanced-snmp-dialog", tool.Control(IDC_ADVANCED), "Advanced SNMP Config");
  // SNMPv3 chosen and filled in (the sheet is cancelled at the end).
  Choose(tool.Control(IDC_SNMP_VERSION), 2);
  SetText(tool.Control(IDC_V3_USER), "kivo");
  SetText(tool.Control(IDC_V3_AUTH_PASS), "auth passphrase");
  SetText(tool.Control(IDC_V3_PRIV_PASS), "privacy passphrase");
  SendMessageA(tool.Control(IDC_INFORM), BM_SETCHECK, BST_CHECKED, 0);
  taken = taken && Shot("snmp-page-v3", tool.sheet());
  tool.ShowPage(1);
  SelectFirstRow(tool.Control(IDC_FILTER_LIST));  // Modify needs a chosen row
  taken = taken && Shot("filters-page", tool.sheet()) &&
          ShotOfDialog("filter-configuration-dialog", tool.Control(IDC_FILTER_MODIFY),
                       "Filter Configuration");
  tool.ShowPage(2);
  taken = taken && Shot("trap-type-map-page", tool.sheet());
  tool.ShowPage(3);
  SelectFirstRow(tool.Control(IDC_SYSLOG_LIST));  // the TLS destination
  taken = taken && Shot("syslog-page", tool.sheet()) &&
          ShotOfDialog("syslog-destination-dialog", tool.Control(IDC_SYSLOG_MODIFY),
                       "Add Syslog Destination");
  return tool.Cancel() && taken;
}

}  // namespace

int main() {
  UseWineOwnWindowFrames();
  return Tour() ? 0 : 1;
}
