// kivocfg.exe under Wine and Xvfb, driven from this separate program as a
// user would drive it: what only its windows show (the sheet, the start-up
// question, the service start, the Ctrl, F5 switch, the dialogs and their
// flows). The rules of the pages are proven natively, on their own.

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "config/RegistryConfig.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Secrets.h"
#include "support/HexText.h"
#include "support/TestSupport.h"
#include "tool/StoreFixture.h"
#include "tool/WindowDriver.h"
#include "tool/windows/Resource.h"

namespace kivo::testing {
namespace {

// Each test starts on the default store (unless it empties it) with no
// service "kivo" installed.
class KivocfgWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { UseWineOwnWindowFrames(); }
  void SetUp() override {
    RemoveService();
    DeleteRegistryTree(registry_, config::names::kRootPath);
    config::RegistryConfig defaults(registry_, nullptr);
  }
  void TearDown() override { RemoveService(); }

  // On an empty store: "Yes" to the import question opens the migration dialog.
  HWND OpenMigrationDialog() {
    HWND question = WaitForDialog("kivocfg");
    return question ? OpenDialog(GetDlgItem(question, IDYES), "Kivo Migration Utility") : nullptr;
  }
  std::string Migrate(HWND dialog, const std::string& path) {  // the message it gives
    SetText(GetDlgItem(dialog, IDC_MIGRATION_PATH), path);
    Click(GetDlgItem(dialog, IDOK));
    return AnswerMessageBox(IDOK);
  }

  std::string Dump(const std::string& sub = "") { return DumpTree(registry_, sub); }
  DWORD ServiceState() {  // SERVICE_RUNNING ..., 0 when not installed
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = OpenServiceA(manager, "kivo", SERVICE_QUERY_STATUS);
    SERVICE_STATUS status = {};
    const bool known = service != nullptr && QueryServiceStatus(service, &status);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return known ? status.dwCurrentState : 0;
  }
  void RemoveService() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = OpenServiceA(manager, "kivo", SERVICE_ALL_ACCESS);
    SERVICE_STATUS status = {};
    if (service != nullptr && ControlService(service, SERVICE_CONTROL_STOP, &status)) {
      Eventually([&] { return ServiceState() == SERVICE_STOPPED; });
    }
    DeleteService(service);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
  }

  platform::Win32Registry registry_;
  ScopedTempDir dir_;
  const std::string file_ = (dir_.path() / "kivo.cfg").string();
};

TEST_F(KivocfgWindow, EmptyStoreAsksTheImportQuestionAndNoShowsTheDefaultsWithTheCtrlF5Switch) {
  DeleteRegistryTree(registry_, config::names::kRootPath);
  Kivocfg tool;
  ASSERT_NE(nullptr, WaitForDialog("kivocfg"));
  EXPECT_EQ("root (no key)\n", Dump());  // asking creates nothing
  EXPECT_EQ(
      "Do you want to import your previous kivo.cfg file?  If so, press \"Yes\".  If you are not "
      "upgrading from a previous version, just press \"No\".",
      AnswerMessageBox(IDNO));
  ASSERT_NE(nullptr, tool.WaitForSheet());
  EXPECT_EQ("SNMPv1", TextOf(tool.Control(IDC_SNMP_VERSION)));
  EXPECT_EQ("192.1.1.1", TextOf(tool.Control(IDC_DESTINATION)));
  EXPECT_FALSE(IsWindowEnabled(tool.ApplyButton()));
  HWND field = tool.Control(IDC_DESTINATION);
  for (const char* expected : {"Logging is now on", "Logging is now off"}) {
    PostMessageA(field, WM_KEYDOWN, VK_CONTROL, 1);
    PostMessageA(field, WM_KEYDOWN, VK_F5, 1);
    EXPECT_EQ(expected, AnswerMessageBox(IDOK));
    PostMessageA(field, WM_KEYUP, VK_F5, 0xC0000001);
  }
  tool.ShowPage(1);  // Ctrl, F5 on another page: nothing
  PostMessageA(tool.Control(IDC_FILTER_LIST), WM_KEYDOWN, VK_CONTROL, 1);
  PressKey(tool.Control(IDC_FILTER_LIST), VK_F5);
  Sleep(500);
  EXPECT_EQ(nullptr, FindDialog("kivocfg"));
  EXPECT_TRUE(tool.Cancel());
  EXPECT_EQ(0, StoredNumber(registry_, "", "logging"));
}

TEST_F(KivocfgWindow, AnExistingKeyEvenWithoutValuesAsksNothingAndAStoppedServiceIsStarted) {
  DeleteRegistryTree(registry_, config::names::kRootPath);
  std::unique_ptr<platform::RegistryKey> root;
  ASSERT_EQ(platform::kRegSuccess, registry_.Create(config::names::kRootPath, &root));
  const std::string program = DirectoryOfThisProgram() + "..\\..\\kivo.exe";
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  CloseServiceHandle(CreateServiceA(
      manager, "kivo", "kivo", SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
      SERVICE_ERROR_IGNORE, program.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
  CloseServiceHandle(manager);
  ASSERT_EQ(static_cast<DWORD>(SERVICE_STOPPED), ServiceState());
  Kivocfg tool;
  ASSERT_NE(nullptr, tool.WaitForSheet());
  EXPECT_EQ(nullptr, FindDialog("kivocfg"));
  EXPECT_TRUE(Eventually([&] { return ServiceState() == SERVICE_RUNNING; }));
  EXPECT_TRUE(tool.Cancel());
}

// Opening a page or the Advanced dialog writes nothing, even where a value
// or an entry cannot be read, and Cancel then leaves the store as it was.
TEST_F(KivocfgWindow, LookingAtEveryPageAndTheAdvancedDialogThenCancelChangesNothing) {
  config::RegistryConfig store(registry_, nullptr);
  for (const char* flag : {"ien", "iet", "ies", "iecn", "ied", "iec", "stripCRLF"}) {
    store.WriteNumber(flag, 0);  // "ieu" is missing
  }
  store.set_create(true);
  store.Open("Syslog\\0");
  store.SetSyslogHost("loghost");  // without "syslogport", and no "usefilters"
  const std::string stored = Dump();
  Kivocfg tool;
  ASSERT_NE(nullptr, tool.WaitForSheet());
  ASSERT_TRUE(
      CloseDialog(OpenDialog(tool.Control(IDC_ADVANCED), "Advanced SNMP Config"), IDCANCEL));
  for (int page : {1, 2, 3}) tool.ShowPage(page);
  EXPECT_TRUE(tool.Cancel());
  EXPECT_EQ(stored, Dump());
}

TEST_F(KivocfgWindow, ApplySavesShownPagesARefusalKeepsTheSheetAndCancelKeepsWhatApplyWrote) {
  // A filter list with a gap, which a save of the Filters page would close.
  config::RegistryConfig filters(registry_, "Filters");
  filters.set_create(true);
  filters.OpenEntry(0);
  filters.SetFilterOn("EventId");
  filters.OpenEntry(2);
  filters.SetFilterOn("EventUser");
  Kivocfg tool;
  ASSERT_NE(nullptr, tool.WaitForSheet());
  SetText(tool.Control(IDC_DESTINATION), "");
  Type(tool.Control(IDC_DESTINATION), std::string(130, 'd'));  // the field takes 127
  Choose(tool.Control(IDC_SNMP_VERSION), 1);
  ASSERT_TRUE(tool.Apply());
  SetText(tool.Control(IDC_PORT), "abc");
  SetText(tool.Control(IDC_COMMUNITY), "");
  Click(GetDlgItem(tool.sheet(), IDOK));
  EXPECT_EQ(
      "There is an error in the data:\n\nThe destination port must be a whole number from 1 to "
      "65535\nAn SNMP Community must be specified\n",
      AnswerMessageBox(IDOK));
  EXPECT_TRUE(IsWindowVisible(tool.sheet()));
  EXPECT_EQ("abc", TextOf(tool.Control(IDC_PORT)));  // left for correction
  EXPECT_TRUE(tool.Cancel());
  EXPECT_EQ("root version=1 destination=\"" + std::string(127, 'd') +
                "\" port=162 community=\"public\"\n"
                "Filters\nFilters\\0 filterOn=\"EventId\"\nFilters\\2 filterOn=\"EventUser\"\n"
                "Maps\n",
            Dump());
}

// One session through the dialogs of every page: the Advanced dialog saves at
// its own OK, the pages at the one Apply.
TEST_F(KivocfgWindow, EveryDialogEditsItsPageAndOneApplySavesThemAll) {
  Kivocfg tool;
  ASSERT_NE(nullptr, tool.WaitForSheet());
  HWND dialog = OpenDialog(tool.Control(IDC_ADVANCED), "Advanced SNMP Config");
  ASSERT_NE(nullptr, dialog);
  SendDlgItemMessageA(dialog, IDC_EVENT_USER, BM_CLICK, 0, 0);
  SendDlgItemMessageA(dialog, IDC_RESUME, BM_CLICK, 0, 0);
  SetText(GetDlgItem(dialog, IDC_SENDER_OID), "1.3.6.1.4.1.99");
  ASSERT_TRUE(CloseDialog(dialog, IDOK));
  EXPECT_FALSE(IsWindowEnabled(tool.ApplyButton()));  // the page is not modified

  tool.ShowPage(1);
  dialog = OpenDialog(tool.Control(IDC_FILTER_ADD), "Filter Configuration");
  ASSERT_NE(nullptr, dialog);
  Choose(GetDlgItem(dialog, IDC_FILTER_ON), 3);
  SetText(GetDlgItem(dialog, IDC_FILTER_TYPE), "Exclude");
  SetText(GetDlgItem(dialog, IDC_FILTER_TEXT), "Foo");
  ASSERT_TRUE(CloseDialog(dialog, IDOK));
  HWND list = tool.Control(IDC_FILTER_LIST);
  PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(30, 28));  // on the row
  PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(30, 28));
  dialog = WaitForDialog("Filter Configuration");
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ("Modify EventSource Foo", TextOf(GetDlgItem(dialog, IDOK)) + " " +
                                          TextOf(GetDlgItem(dialog, IDC_FILTER_ON)) + " " +
                                          TextOf(GetDlgItem(dialog, IDC_FILTER_TEXT)));
  SetText(GetDlgItem(dialog, IDC_FILTER_TEXT), "Bar");
  ASSERT_TRUE(CloseDialog(dialog, IDOK));
  // A second filter of that field and type: No goes back, Yes keeps both.
  dialog = OpenDialog(tool.Control(IDC_FILTER_ADD), "Filter Configuration");
  ASSERT_NE(nullptr, dialog);
  Choose(GetDlgItem(dialog, IDC_FILTER_ON), 3);
  SetText(GetDlgItem(dialog, IDC_FILTER_TYPE), "Exclude");
  const std::string twin =
      "The list already holds a filter on \"EventSource\" of type \"Exclude\". Keep both?";
  Click(GetDlgItem(dialog, IDOK));
  EXPECT_EQ(twin, AnswerMessageBox(IDNO));
  EXPECT_TRUE(IsWindowVisible(dialog));
  Click(GetDlgItem(dialog, IDOK));
  EXPECT_EQ(twin, AnswerMessageBox(IDYES));
  EXPECT_TRUE(Eventually([&] { return !IsWindowVisible(dialog); }));

  tool.ShowPage(2);
  HWND field = tool.Control(IDC_MAP_ID);
  Type(field, "46x24");  // the letter is refused
  EXPECT_TRUE(Eventually([&] { return IsWindowEnabled(tool.Control(IDC_MAP_ADD)) != FALSE; }));
  Click(tool.Control(IDC_MAP_ADD));
  Type(field, "1234567");  // five digits at most
  EXPECT_TRUE(Eventually([&] { return TextOf(field) == "12345"; }));
  Click(tool.Control(IDC_MAP_ADD));
  Click(tool.Control(IDC_MAP_REMOVE));  // the entry added last is selected

  tool.ShowPage(3);
  dialog = OpenDialog(tool.Control(IDC_SYSLOG_ADD), "Add Syslog Destination");
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ("514", TextOf(GetDlgItem(dialog, IDC_SYSLOG_PORT)));
  Click(GetDlgItem(dialog, IDOK));  // no host yet
  EXPECT_EQ("A host name or IP address must be specified.", AnswerMessageBox(IDOK));
  SetText(GetDlgItem(dialog, IDC_SYSLOG_HOST), "127.0.0.1");
  // TLS proposes its own port and opens the certificate name and CA file.
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SYSLOG_TLS_CA)));
  Choose(GetDlgItem(dialog, IDC_SYSLOG_PROTOCOL), 2);
  EXPECT_EQ("6514", TextOf(GetDlgItem(dialog, IDC_SYSLOG_PORT)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SYSLOG_TLS_CA)));
  Choose(GetDlgItem(dialog, IDC_SYSLOG_FORMAT), 1);
  SetText(GetDlgItem(dialog, IDC_SYSLOG_TLS_CA), "C:\\ca.pem");
  ASSERT_TRUE(CloseDialog(dialog, IDOK));
  SendMessageA(tool.Control(IDC_USE_FILTERS), BM_CLICK, 0, 0);

  ASSERT_TRUE(tool.Apply());
  EXPECT_TRUE(tool.Cancel());
  EXPECT_EQ(
      "root version=0 destination=\"192.1.1.1\" port=162 community=\"public\" ien=1 iet=1 ies=1 "
      "iecn=1 ieu=0 ied=1 iec=1 senderOID=\"1.3.6.1.4.1.99\" stripCRLF=0 burst=0 resume=1\n"
      "Filters\n"
      "Filters\\0 filterOn=\"EventSource\" filterType=\"Exclude\" filterList=\"Bar\"\n"
      "Filters\\1 filterOn=\"EventSource\" filterType=\"Exclude\" filterList=\"\"\n"
      "Maps\nMaps\\4624\n"
      "Syslog usefilters=1\nSyslog\\0 sysloghost=\"127.0.0.1\" syslogport=6514 protocol=\"tls\" "
      "format=\"rfc5424\" tlsca=\"C:\\ca.pem\"\n",
      Dump());
}

// SNMPv3: the user's rows take the community's place, the engine ID is
// made at once and shown for copying, a short passphrase is refused, and
// Apply stores the user and, through DPAPI, the passphrases.
TEST_F(KivocfgWindow, SnmpV3ShowsItsRowsAndStoresThePassphrasesAsSecrets) {
  Kivocfg tool;
  ASSERT_NE(nullptr, tool.WaitForSheet());
  EXPECT_FALSE(IsWindowVisible(tool.Control(IDC_V3_USER)));
  Choose(tool.Control(IDC_SNMP_VERSION), 2);
  ASSERT_TRUE(Eventually([&] {
    return IsWindowVisible(tool.Control(IDC_V3_USER)) &&
           !IsWindowVisible(tool.Control(IDC_COMMUNITY));
  }));
  std::unique_ptr<platform::RegistryKey> root;
  ASSERT_EQ(platform::kRegSuccess, registry_.Open(config::names::kRootPath, &root));
  std::uint8_t engine[32];
  std::uint32_t size = sizeof(engine);
  platform::RegType type = platform::RegType::kNone;
  ASSERT_EQ(platform::kRegSuccess, root->QueryValue("engineID", &type, engine, &size));
  EXPECT_EQ(13u, size);
  EXPECT_EQ(HexText(engine, size), TextOf(tool.Control(IDC_V3_ENGINE_ID)));
  SetText(tool.Control(IDC_V3_USER), "kivo");
  SetText(tool.Control(IDC_V3_AUTH_PASS), "maplesyrup");
  SetText(tool.Control(IDC_V3_PRIV_PASS), "seven77");
  Click(GetDlgItem(tool.sheet(), IDOK));
  EXPECT_EQ(
      "There is an error in the data:\n\nThe privacy passphrase must have at least 8 "
      "characters\n",
      AnswerMessageBox(IDOK));
  SetText(tool.Control(IDC_V3_PRIV_PASS), "syrupmaple");
  Click(tool.Control(IDC_INFORM));
  ASSERT_TRUE(tool.Apply());
  EXPECT_TRUE(tool.Cancel());
  EXPECT_EQ(
      "root version=3 destination=\"192.1.1.1\" port=162 community=\"public\" inform=1 "
      "v3user=\"kivo\" v3level=2 v3auth=\"SHA-256\" v3priv=\"AES\"\n",
      Dump().substr(0, Dump().find('\n') + 1));
  platform::Win32Secrets secrets(config::names::kSecretsPath);
  for (const auto& [name, expected] :
       {std::pair("v3authpass", "maplesyrup"), std::pair("v3privpass", "syrupmaple")}) {
    std::string stored;
    EXPECT_EQ(0u, secrets.Read(name, &stored)) << name;
    EXPECT_EQ(expected, stored);
  }
}

TEST_F(KivocfgWindow, MigrationRefusesNoOrAMissingFileThenImportsAndTurnsIntoExit) {
  DeleteRegistryTree(registry_, config::names::kRootPath);
  std::ofstream(file_) << "Destination: " << std::string(128, 'h') << "\nPort: 2162\nMap: 7036\n";
  Kivocfg tool;
  HWND dialog = OpenMigrationDialog();
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ("You must specify the original Kivo config file!", Migrate(dialog, ""));
  EXPECT_EQ(
      "Errors loading config file. Please respecify the file or use KivoConfig to configure Kivo "
      "manually.",
      Migrate(dialog, file_ + ".missing"));
  std::ofstream(file_ + ".txt") << "no label\n";
  EXPECT_EQ(file_ + ".txt holds no Kivo settings.", Migrate(dialog, file_ + ".txt"));
  // Browse offers config files; a cancelled file dialog shows the last path again.
  HWND path = GetDlgItem(dialog, IDC_MIGRATION_PATH);
  Type(path, "typed.cfg");
  HWND files = OpenDialog(GetDlgItem(dialog, IDC_MIGRATION_BROWSE), "Kivo.cfg");
  ASSERT_NE(nullptr, files);
  wchar_t type[64] = {};  // the first of its file types (cmb1), a Unicode window
  SendDlgItemMessageW(files, 0x470, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(type));
  EXPECT_EQ(L"Config Files", std::wstring(type));
  ASSERT_TRUE(CloseDialog(files, IDCANCEL));
  EXPECT_TRUE(Eventually([&] { return TextOf(path) == file_ + ".txt"; }));
  EXPECT_EQ("root (no key)\n", Dump()) << "nothing was imported";

  EXPECT_NE(std::string::npos,
            Migrate(dialog, file_).find("Line 1: the value of \"Destination:\""));
  EXPECT_EQ("Kivo Config file successfully migrated to registry!", AnswerMessageBox(IDOK));
  EXPECT_EQ("Exit", TextOf(GetDlgItem(dialog, IDOK)));
  EXPECT_FALSE(IsWindowEnabled(path) || IsWindowEnabled(GetDlgItem(dialog, IDC_MIGRATION_BROWSE)));
  ASSERT_TRUE(CloseDialog(dialog, IDOK));  // "Exit" imports nothing again
  ASSERT_NE(nullptr, tool.WaitForSheet());
  EXPECT_EQ("2162", TextOf(tool.Control(IDC_PORT)));
  EXPECT_TRUE(tool.Cancel());
  EXPECT_EQ(
      "root version=0 destination=\"192.1.1.1\" port=2162 community=\"\"\n"
      "Filters\nMaps\nMaps\\7036\n",
      Dump());
}

}  // namespace
}  // namespace kivo::testing
