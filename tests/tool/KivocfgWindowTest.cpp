// kivocfg.exe under Wine and Xvfb, driven from this separate program as a
// user would drive it; the registry is checked afterwards through the store.

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "config/RegistryConfig.h"
#include "platform/win32/Win32Registry.h"
#include "support/TestSupport.h"
#include "tool/WindowDriver.h"
#include "tool/windows/Resource.h"

namespace kivo::testing {
namespace {

constexpr char kImportQuestion[] =
    "Do you want to import your previous kivo.cfg file?  If so, press \"Yes\".  If you are not "
    "upgrading from a previous version, just press \"No\".";

class KivocfgWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { UseWineOwnWindowFrames(); }

  void SetUp() override {
    DeleteRegistryTree(registry_, config::names::kRootPath);
    RemoveStandInService();
  }
  void TearDown() override { RemoveStandInService(); }

  void CreateDefaultStore() { config::RegistryConfig config(registry_, nullptr); }

  std::optional<std::string> Text(const char* sub, const char* name) {
    return StoredText(registry_, sub, name);
  }
  std::optional<std::int32_t> Number(const char* sub, const char* name) {
    return StoredNumber(registry_, sub, name);
  }
  std::size_t Entries(const char* list) { return SubkeyNames(registry_, StorePath(list)).size(); }

  void InstallStandInService() {
    const std::string service = DirectoryOfThisProgram() + "stand_in_service.exe";
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(nullptr, manager);
    SC_HANDLE handle =
        CreateServiceA(manager, "kivo", "kivo", SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                       SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, service.c_str(), nullptr,
                       nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(nullptr, handle) << GetLastError();
    if (handle != nullptr) CloseServiceHandle(handle);
    CloseServiceHandle(manager);
  }

  DWORD StandInState() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, 0);
    SC_HANDLE handle = OpenServiceA(manager, "kivo", SERVICE_QUERY_STATUS);
    SERVICE_STATUS status = {};
    const bool known = handle != nullptr && QueryServiceStatus(handle, &status);
    if (handle != nullptr) CloseServiceHandle(handle);
    CloseServiceHandle(manager);
    return known ? status.dwCurrentState : 0;
  }

  void RemoveStandInService() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE handle = OpenServiceA(manager, "kivo", SERVICE_ALL_ACCESS);
    if (handle != nullptr) {
      SERVICE_STATUS status = {};
      ControlService(handle, SERVICE_CONTROL_STOP, &status);
      Eventually([&] {
        return QueryServiceStatus(handle, &status) && status.dwCurrentState == SERVICE_STOPPED;
      });
      DeleteService(handle);
      CloseServiceHandle(handle);
    }
    CloseServiceHandle(manager);
  }

  platform::Win32Registry registry_;
};

TEST_F(KivocfgWindow, EmptyStoreAsksTheImportQuestionAndNoOpensTheDefaults) {
  Kivocfg tool;
  ASSERT_NE(nullptr, WaitForDialog("kivocfg"));
  EXPECT_FALSE(KeyExists(registry_, config::names::kRootPath));  // asking creates nothing
  EXPECT_EQ(kImportQuestion, AnswerMessageBox(IDNO));
  ASSERT_NE(nullptr, tool.WaitForSheet());
  EXPECT_EQ("SNMPv1", TextOf(tool.Control(IDC_SNMP_VERSION)));
  EXPECT_EQ("192.1.1.1", TextOf(tool.Control(IDC_DESTINATION)));
  EXPECT_EQ("162", TextOf(tool.Control(IDC_PORT)));
  EXPECT_EQ("public", TextOf(tool.Control(IDC_COMMUNITY)));
  EXPECT_FALSE(IsWindowEnabled(tool.ApplyButton()));
  EXPECT_TRUE(tool.Cancel());
  EXPECT_EQ("192.1.1.1", Text("", "destination"));
}

TEST_F(KivocfgWindow, AnExistingKeyEvenWithoutValuesAsksNothingAndAStoppedServiceIsStarted) {
  std::unique_ptr<platform::RegistryKey> root;
  ASSERT_EQ(platform::kRegSuccess, registry_.Create(config::names::kRootPath, &root));
  root.reset();
  InstallStandInService();
  ASSERT_EQ(static_cast<DWORD>(SERVICE_STOPPED), StandInState());
  Kivocfg tool;
  ASSERT_NE(nullptr, tool.WaitForSheet());
  EXPECT_EQ(nullptr, FindDialog("kivocfg"));
  EXPECT_TRUE(Eventually([&] { return StandInState() == SERVICE_RUNNING; }));
  EXPECT_TRUE(tool.Cancel());
}

TEST_F(KivocfgWindow, SnmpApplyWritesAndCancelKeepsWhatApplyWrote) {
  CreateDefaultStore();
  Kivocfg tool;
  ASSERT_NE(nullptr, tool.WaitForSheet());
  SetText(tool.Control(IDC_DESTINATION), "127.0.0.1");
  SetText(tool.Control(IDC_PORT), "1162");
  SetText(tool.Control(IDC_COMMUNITY), "private");
  Choose(tool.Control(IDC_SNMP_VERSION), 1);
  ASSERT_TRUE(tool.Apply());
  EXPECT_EQ("127.0.0.1", Text("", "destination"));
  EXPECT_EQ(1162, Number("", "port"));
  EXPECT_EQ("private", Text("", "community"));
  EXPECT_EQ(1, Number("", "version"));

  SetText(tool.Control(IDC_COMMUNITY), "changed");
  EXPECT_TRUE(IsWindowEnabled(tool.ApplyButton()));
  EXPECT_TRUE(tool.Cancel());
  EXPECT_EQ("private", Text("", "community"));
}

TEST_F(KivocfgWindow, SnmpFieldsTakeNoMoreThanTheStoreCanReadBackAndOkSavesOnlyShownPages) {
  CreateDefaultStore();
  // A filter list with a gap, which a save of the Filters page would close.
  config::RegistryConfig filters(registry_, "Filters");
  filters.set_create(true);
  filters.OpenEntry(0);
  filters.SetFilterOn("EventId");
  filters.OpenEntry(2);
  filters.SetFilterOn("EventUser");
  Kivocfg tool;
  ASSERT_NE(nullptr, tool.WaitForSheet());
  SetText(tool.Control(IDC_COMMUNITY), "");
  Type(tool.Control(IDC_COMMUNITY), std::string(130, 'c'));
  EXPECT_TRUE(Eventually([&] { return TextOf(tool.Control(IDC_COMMUNITY)).size() == 127; }));
  EXPECT_TRUE(tool.Ok());
  EXPECT_EQ(std::string(127, 'c'), Text("", "community"));
  EXPECT_EQ("EventUser", Text("Filters\\2", "filterOn"));
}

TEST_F(KivocfgWindow, SnmpSaveIsRefusedWithTheErrorMessageAndWritesNothing) {
  CreateDefaultStore();
  Kivocfg tool;
  ASSERT_NE(nullptr, tool.WaitForSheet());
  SetText(tool.Control(IDC_DESTINATION), "");
  SetText(tool.Control(IDC_COMMUNITY), "");
  Click(GetDlgItem(tool.sheet(), IDOK));
  EXPECT_EQ(
      "There is an error in the data:\n\n"
      "A destination IP address or host must be specified\n"
      "An SNMP Community must be specified\n",
      AnswerMessageBox(IDOK));
  EXPECT_TRUE(tool.Running());
  EXPECT_TRUE(IsWindowVisible(tool.sheet()));
  EXPECT_EQ("192.1.1.1", Text("", "destination"));
  EXPECT_EQ("public", Text("", "community"));
  EXPECT_TRUE(tool.Cancel());
}

TEST_F(KivocfgWindow, AdvancedDialogRepairsAndWritesAtItsOwnOk) {
  CreateDefaultStore();
  Kivocfg tool;
  ASSERT_NE(nullptr, tool.WaitForSheet());
  Click(tool.Control(IDC_ADVANCED));
  HWND dialog = WaitForDialog("Advanced SNMP Config");
  ASSERT_NE(nullptr, dialog);
  // Opening it on a store without the flags wrote their defaults.
  EXPECT_EQ(1, Number("", "ieu"));
  EXPECT_EQ("", Text("", "senderOID"));
  EXPECT_EQ(0, Number("", "stripCRLF"));
  EXPECT_EQ(static_cast<LRESULT>(BST_CHECKED),
            SendMessageA(GetDlgItem(dialog, IDC_EVENT_USER), BM_GETCHECK, 0, 0));

  SendMessageA(GetDlgItem(dialog, IDC_EVENT_USER), BM_CLICK, 0, 0);
  SendMessageA(GetDlgItem(dialog, IDC_STRIP_CRLF), BM_CLICK, 0, 0);
  SetText(GetDlgItem(dialog, IDC_SENDER_OID), std::string(128, '1'));
  Click(GetDlgItem(dialog, IDOK));
  EXPECT_EQ("The Sender's OID must not be longer than 127 characters.", AnswerMessageBox(IDOK));
  SetText(GetDlgItem(dialog, IDC_SENDER_OID), "1.3.6.1.4.1.99");
  Click(GetDlgItem(dialog, IDOK));
  EXPECT_TRUE(WaitUntilGone(dialog));
  EXPECT_EQ(0, Number("", "ieu"));
  EXPECT_EQ(1, Number("", "ien"));
  EXPECT_EQ("1.3.6.1.4.1.99", Text("", "senderOID"));
  EXPECT_EQ(1, Number("", "stripCRLF"));
  EXPECT_FALSE(IsWindowEnabled(tool.ApplyButton()));  // the page is not modified
  EXPECT_TRUE(tool.Cancel());
  EXPECT_EQ("1.3.6.1.4.1.99", Text("", "senderOID"));
}

TEST_F(KivocfgWindow, FiltersAreAddedModifiedAndDeleted) {
  CreateDefaultStore();
  Kivocfg tool;
  ASSERT_NE(nullptr, tool.WaitForSheet());
  HWND list = tool.ShowPage(1) != nullptr ? tool.Control(IDC_FILTER_LIST) : nullptr;
  ASSERT_NE(nullptr, list);
  const struct {
    int on;
    const char* type;
    const char* list;
  } added[] = {{2, "Include", "4624,4625"}, {3, "Exclude", "Foo"}};
  for (const auto& filter : added) {
    Click(tool.Control(IDC_FILTER_ADD));
    HWND dialog = WaitForDialog("Filter Configuration");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ("Add", TextOf(GetDlgItem(dialog, IDOK)));
    Choose(GetDlgItem(dialog, IDC_FILTER_ON), filter.on);
    SetText(GetDlgItem(dialog, IDC_FILTER_TYPE), filter.type);
    SetText(GetDlgItem(dialog, IDC_FILTER_TEXT), filter.list);
    Click(GetDlgItem(dialog, IDOK));
    ASSERT_TRUE(WaitUntilGone(dialog));
  }
  EXPECT_TRUE(Eventually([&] { return RowCount(list) == 2; }));

  // The row added last is selected: modify it.
  Click(tool.Control(IDC_FILTER_MODIFY));
  HWND dialog = WaitForDialog("Filter Configuration");
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ("Modify", TextOf(GetDlgItem(dialog, IDOK)));
  EXPECT_EQ("EventSource", TextOf(GetDlgItem(dialog, IDC_FILTER_ON)));
  EXPECT_EQ("Exclude", TextOf(GetDlgItem(dialog, IDC_FILTER_TYPE)));
  EXPECT_EQ("Foo", TextOf(GetDlgItem(dialog, IDC_FILTER_TEXT)));
  SetText(GetDlgItem(dialog, IDC_FILTER_TEXT), "Bar");
  Click(GetDlgItem(dialog, IDOK));
  ASSERT_TRUE(WaitUntilGone(dialog));

  // Select the first row from the keyboard and delete it.
  ASSERT_TRUE(SelectFirstRow(list));
  Click(tool.Control(IDC_FILTER_DELETE));
  ASSERT_TRUE(Eventually([&] { return RowCount(list) == 1; }));
  // A double click on the row modifies it; one beside the rows does nothing.
  PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(150, 150));
  PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(150, 150));
  Sleep(500);
  EXPECT_EQ(nullptr, FindDialog("Filter Configuration"));
  PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(30, 28));
  PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(30, 28));
  dialog = WaitForDialog("Filter Configuration");
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ("Bar", TextOf(GetDlgItem(dialog, IDC_FILTER_TEXT)));
  Click(GetDlgItem(dialog, IDCANCEL));
  ASSERT_TRUE(WaitUntilGone(dialog));

  ASSERT_TRUE(tool.Apply());
  EXPECT_EQ(1u, Entries("Filters"));
  EXPECT_EQ("EventSource", Text("Filters\\0", "filterOn"));
  EXPECT_EQ("Exclude", Text("Filters\\0", "filterType"));
  EXPECT_EQ("Bar", Text("Filters\\0", "filterList"));
  EXPECT_TRUE(tool.Cancel());
}

TEST_F(KivocfgWindow, MapIdsAreTypedAddedOnceLimitedAndRemoved) {
  CreateDefaultStore();
  Kivocfg tool;
  ASSERT_NE(nullptr, tool.WaitForSheet());
  ASSERT_NE(nullptr, tool.ShowPage(2));
  HWND field = tool.Control(IDC_MAP_ID);
  HWND add = tool.Control(IDC_MAP_ADD);
  HWND list = tool.Control(IDC_MAP_LIST);
  EXPECT_FALSE(IsWindowEnabled(add));
  EXPECT_FALSE(IsWindowEnabled(tool.Control(IDC_MAP_REMOVE)));

  Type(field, "46x24");  // the letter is refused
  EXPECT_TRUE(Eventually([&] { return TextOf(field) == "4624" && IsWindowEnabled(add); }));
  Click(add);
  ASSERT_TRUE(Eventually([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 1; }));
  EXPECT_TRUE(Eventually([&] { return TextOf(field).empty() && !IsWindowEnabled(add); }));
  Type(field, "4624");
  Click(add);
  EXPECT_TRUE(Eventually([&] { return TextOf(field).empty(); }));
  EXPECT_EQ(1, SendMessageA(list, LB_GETCOUNT, 0, 0));

  Type(field, "1234567");  // five digits at most
  EXPECT_TRUE(Eventually([&] { return TextOf(field) == "12345"; }));
  SetText(field, "");
  Type(field, "99999");
  Click(add);
  EXPECT_EQ("Please enter an event id from 0 to 65535.", AnswerMessageBox(IDOK));
  SetText(field, "");
  Type(field, "17");
  Click(add);
  ASSERT_TRUE(Eventually([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 2; }));

  Click(tool.Control(IDC_MAP_REMOVE));  // the entry added last is selected
  ASSERT_TRUE(Eventually([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 1; }));
  EXPECT_FALSE(IsWindowEnabled(tool.Control(IDC_MAP_REMOVE)));
  ASSERT_TRUE(tool.Apply());
  EXPECT_EQ(std::vector<std::string>{"4624"}, SubkeyNames(registry_, StorePath("Maps")));
  EXPECT_TRUE(tool.Cancel());
}

TEST_F(KivocfgWindow, SyslogDestinationsAreAddedCheckedModifiedAndDeleted) {
  CreateDefaultStore();
  Kivocfg tool;
  ASSERT_NE(nullptr, tool.WaitForSheet());
  ASSERT_NE(nullptr, tool.ShowPage(3));
  HWND list = tool.Control(IDC_SYSLOG_LIST);

  Click(tool.Control(IDC_SYSLOG_ADD));
  HWND dialog = WaitForDialog("Add Syslog Destination");
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ("514", TextOf(GetDlgItem(dialog, IDC_SYSLOG_PORT)));
  EXPECT_EQ("OK", TextOf(GetDlgItem(dialog, IDOK)));
  SetText(GetDlgItem(dialog, IDC_SYSLOG_HOST), "loghost");
  Click(GetDlgItem(dialog, IDOK));
  ASSERT_TRUE(WaitUntilGone(dialog));

  Click(tool.Control(IDC_SYSLOG_ADD));
  dialog = WaitForDialog("Add Syslog Destination");
  ASSERT_NE(nullptr, dialog);
  SetText(GetDlgItem(dialog, IDC_SYSLOG_HOST), "127.0.0.1");
  SetText(GetDlgItem(dialog, IDC_SYSLOG_PORT), "");
  Click(GetDlgItem(dialog, IDOK));
  EXPECT_EQ("Please enter an integer.", AnswerMessageBox(IDOK));
  EXPECT_TRUE(IsWindowVisible(dialog));
  SetText(GetDlgItem(dialog, IDC_SYSLOG_PORT), "1514");
  Click(GetDlgItem(dialog, IDOK));
  ASSERT_TRUE(WaitUntilGone(dialog));
  EXPECT_TRUE(Eventually([&] { return RowCount(list) == 2; }));

  Click(tool.Control(IDC_SYSLOG_MODIFY));  // the row added last is selected
  dialog = WaitForDialog("Add Syslog Destination");
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ("Modify", TextOf(GetDlgItem(dialog, IDOK)));
  EXPECT_EQ("127.0.0.1", TextOf(GetDlgItem(dialog, IDC_SYSLOG_HOST)));
  EXPECT_EQ("1514", TextOf(GetDlgItem(dialog, IDC_SYSLOG_PORT)));
  SetText(GetDlgItem(dialog, IDC_SYSLOG_HOST), "127.0.0.2");
  Click(GetDlgItem(dialog, IDOK));
  ASSERT_TRUE(WaitUntilGone(dialog));

  ASSERT_TRUE(SelectFirstRow(list));
  Click(tool.Control(IDC_SYSLOG_DELETE));
  ASSERT_TRUE(Eventually([&] { return RowCount(list) == 1; }));
  SendMessageA(tool.Control(IDC_USE_FILTERS), BM_CLICK, 0, 0);
  ASSERT_TRUE(tool.Apply());
  EXPECT_EQ(1, Number("Syslog", "usefilters"));
  EXPECT_EQ(1u, Entries("Syslog"));
  EXPECT_EQ("127.0.0.2", Text("Syslog\\0", "sysloghost"));
  EXPECT_EQ(1514, Number("Syslog\\0", "syslogport"));
  EXPECT_TRUE(tool.Cancel());
}

TEST_F(KivocfgWindow, CtrlF5OnTheSnmpPageSwitchesLoggingOnAndOff) {
  CreateDefaultStore();
  Kivocfg tool;
  ASSERT_NE(nullptr, tool.WaitForSheet());
  HWND field = tool.Control(IDC_DESTINATION);
  for (const char* expected : {"Logging is now on", "Logging is now off"}) {
    PostMessageA(field, WM_KEYDOWN, VK_CONTROL, 1);
    PostMessageA(field, WM_KEYDOWN, VK_F5, 1);
    EXPECT_EQ(expected, AnswerMessageBox(IDOK));
    PostMessageA(field, WM_KEYUP, VK_F5, 0xC0000001);
    PostMessageA(field, WM_KEYUP, VK_CONTROL, 0xC0000001);
    EXPECT_EQ(expected == std::string("Logging is now on") ? 1 : 0, Number("", "logging"));
  }
  // F5 alone does nothing, and neither does Ctrl, F5 on another page.
  PressKey(field, VK_F5);
  ASSERT_NE(nullptr, tool.ShowPage(1));
  HWND list = tool.Control(IDC_FILTER_LIST);
  PostMessageA(list, WM_KEYDOWN, VK_CONTROL, 1);
  PostMessageA(list, WM_KEYDOWN, VK_F5, 1);
  Sleep(500);
  EXPECT_EQ(nullptr, FindDialog("kivocfg"));
  EXPECT_EQ(0, Number("", "logging"));
  EXPECT_TRUE(tool.Cancel());
}

}  // namespace
}  // namespace kivo::testing
