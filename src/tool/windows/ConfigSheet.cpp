#include "tool/windows/ConfigSheet.h"

#include <windows.h>

#include <prsht.h>

#include "tool/windows/FiltersPageWindow.h"
#include "tool/windows/SnmpPageWindow.h"
#include "tool/windows/SyslogPageWindow.h"
#include "tool/windows/TrapTypeMapWindow.h"

namespace kivo::tool::windows {

void RunConfigSheet(platform::Registry& registry, platform::Secrets& secrets,
                    platform::Crypto& crypto) {
  // The pages live as long as the sheet. The sheet sends the apply
  // notification to the pages it has created, in this order, and stops at
  // the first that refuses, which is just the saving model the tool needs.
  SnmpPageWindow snmp(registry, secrets, crypto);
  FiltersPageWindow filters(registry);
  TrapTypeMapWindow map(registry);
  SyslogPageWindow syslog(registry);
  PROPSHEETPAGEA pages[] = {snmp.Describe(), filters.Describe(), map.Describe(), syslog.Describe()};

  PROPSHEETHEADERA header = {};
  header.dwSize = sizeof(header);
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOCONTEXTHELP;  // no Help button anywhere
  header.hwndParent = nullptr;
  header.hInstance = GetModuleHandleA(nullptr);
  header.pszCaption = "Kivo Configuration";
  header.nPages = sizeof(pages) / sizeof(pages[0]);
  header.nStartPage = 0;
  header.ppsp = pages;
  PropertySheetA(&header);
}

}  // namespace kivo::tool::windows
