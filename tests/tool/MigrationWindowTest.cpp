// The migration dialog of kivocfg.exe under Wine and Xvfb, reached the only
// way a user can: "Yes" to the import question on a machine without a
// configuration. The store is checked afterwards through the store itself.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "config/RegistryConfig.h"
#include "platform/win32/Win32Registry.h"
#include "support/TestSupport.h"
#include "support/WriteProtectedFile.h"
#include "tool/LegacyExample.h"
#include "tool/WindowDriver.h"
#include "tool/windows/Resource.h"

namespace kivo::testing {
namespace {

constexpr char kMigrationCaption[] = "Kivo Migration Utility";
constexpr char kNoPath[] = "You must specify the original Kivo config file!";
constexpr char kCannotOpen[] =
    "Errors loading config file. Please respecify the file or use KivoConfig to configure Kivo "
    "manually.";
constexpr char kMigrated[] = "Kivo Config file successfully migrated to registry!";

// The file dialog's own controls (the common dialog's documented ids).
constexpr int kFileNameBox = 0x47C;  // cmb13
constexpr int kFileTypeBox = 0x470;  // cmb1

class MigrationWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteRegistryTree(registry_, config::names::kRootPath);
    file_ = (dir_.path() / "kivo.cfg").string();
    std::ofstream(file_, std::ios::binary) << ExampleLegacyFile("\r\n", false);
  }
  void TearDown() override { DeleteRegistryTree(registry_, config::names::kRootPath); }

  // Starts kivocfg on the empty store and answers its question with "Yes".
  HWND OpenMigrationDialog() {
    question_ = AnswerMessageBox(IDYES);
    return WaitForDialog(kMigrationCaption);
  }

  void Migrate(HWND dialog, const std::string& path) {
    SetText(GetDlgItem(dialog, IDC_MIGRATION_PATH), "");
    Type(GetDlgItem(dialog, IDC_MIGRATION_PATH), path);
    Click(GetDlgItem(dialog, IDOK));
  }

  // Leaves the dialog with "Cancel" and the sheet that follows it too.
  void CloseAll(Kivocfg& tool, HWND dialog) {
    Click(GetDlgItem(dialog, IDCANCEL));
    ASSERT_NE(nullptr, tool.WaitForSheet());
    EXPECT_TRUE(tool.Cancel());
  }

  bool RootExists() { return KeyExists(registry_, config::names::kRootPath); }

  ScopedTempDir dir_;
  std::string file_;
  std::string question_;
  platform::Win32Registry registry_;
};

TEST_F(MigrationWindow, MigrateWritesWhatTheFileSaysAndTurnsIntoExit) {
  Kivocfg tool;
  HWND dialog = OpenMigrationDialog();
  EXPECT_EQ(0u, question_.find("Do you want to import your previous kivo.cfg file?")) << question_;
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ("", TextOf(GetDlgItem(dialog, IDC_MIGRATION_PATH)));
  EXPECT_EQ("Browse", TextOf(GetDlgItem(dialog, IDC_MIGRATION_BROWSE)));
  EXPECT_EQ("Migrate", TextOf(GetDlgItem(dialog, IDOK)));
  EXPECT_EQ("Cancel", TextOf(GetDlgItem(dialog, IDCANCEL)));

  Migrate(dialog, file_);
  EXPECT_EQ(kMigrated, AnswerMessageBox(IDOK));
  EXPECT_EQ("Exit", TextOf(GetDlgItem(dialog, IDOK)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_MIGRATION_PATH)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_MIGRATION_BROWSE)));

  const StoredConfig expected = ExampleLegacyStore();
  ExpectStore(expected, registry_);

  // "Exit" closes the dialog without importing again; the sheet follows.
  std::ofstream(file_, std::ios::binary | std::ios::app) << "\r\nMap: 1\r\n";
  Click(GetDlgItem(dialog, IDOK));
  EXPECT_TRUE(WaitUntilGone(dialog));
  ASSERT_NE(nullptr, tool.WaitForSheet());
  EXPECT_EQ("2162", TextOf(tool.Control(IDC_PORT)));
  EXPECT_TRUE(tool.Cancel());
  ExpectStore(expected, registry_);
}

TEST_F(MigrationWindow, TooLongValuesAreNamedBeforeTheSuccessMessage) {
  std::ofstream(file_, std::ios::binary)
      << "Destination: " << std::string(128, 'h') << "\r\nCommunity: kept\r\n";
  Kivocfg tool;
  HWND dialog = OpenMigrationDialog();
  ASSERT_NE(nullptr, dialog);
  Migrate(dialog, file_);
  const std::string problems = AnswerMessageBox(IDOK);
  EXPECT_NE(std::string::npos,
            problems.find("Line 1: the value of \"Destination:\" has more than 127 characters."))
      << problems;
  EXPECT_EQ(kMigrated, AnswerMessageBox(IDOK));
  EXPECT_EQ("Exit", TextOf(GetDlgItem(dialog, IDOK)));
  StoredConfig expected;
  expected.destination = config::defaults::kDestination;
  expected.community = "kept";
  ExpectStore(expected, registry_);
  CloseAll(tool, dialog);
}

TEST_F(MigrationWindow, EmptyPathAndMissingFileKeepTheDialogOpen) {
  Kivocfg tool;
  HWND dialog = OpenMigrationDialog();
  ASSERT_NE(nullptr, dialog);
  Click(GetDlgItem(dialog, IDOK));
  EXPECT_EQ(kNoPath, AnswerMessageBox(IDOK));
  EXPECT_TRUE(IsWindowVisible(dialog));

  Migrate(dialog, (dir_.path() / "missing.cfg").string());
  EXPECT_EQ(kCannotOpen, AnswerMessageBox(IDOK));
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ("Migrate", TextOf(GetDlgItem(dialog, IDOK)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_MIGRATION_PATH)));
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "missing.cfg"));
  EXPECT_FALSE(RootExists()) << "nothing was imported";
  CloseAll(tool, dialog);
}

TEST_F(MigrationWindow, WriteProtectedFileIsRefused) {
  WriteProtectedFile protection(file_);
  if (!protection.Protected()) GTEST_SKIP() << "cannot write-protect a file for this user";
  Kivocfg tool;
  HWND dialog = OpenMigrationDialog();
  ASSERT_NE(nullptr, dialog);
  Migrate(dialog, file_);
  EXPECT_EQ(kCannotOpen, AnswerMessageBox(IDOK));
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_FALSE(RootExists()) << "nothing was imported";
  CloseAll(tool, dialog);
}

TEST_F(MigrationWindow, BrowsePicksAFileAndCancelShowsTheLastPathAgain) {
  Kivocfg tool;
  HWND dialog = OpenMigrationDialog();
  ASSERT_NE(nullptr, dialog);
  HWND path = GetDlgItem(dialog, IDC_MIGRATION_PATH);
  Type(path, "typed.cfg");

  Click(GetDlgItem(dialog, IDC_MIGRATION_BROWSE));
  HWND files = WaitForDialog("Kivo.cfg");
  ASSERT_NE(nullptr, files);
  HWND types = GetDlgItem(files, kFileTypeBox);
  ASSERT_EQ(2, SendMessageA(types, CB_GETCOUNT, 0, 0));
  // The file dialog's lists are Unicode windows; ask them in their own terms.
  wchar_t type[64] = {};
  SendMessageW(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(type));
  EXPECT_EQ(L"Config Files", std::wstring(type));
  SendMessageW(types, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(type));
  EXPECT_EQ(L"All Files", std::wstring(type));
  Click(GetDlgItem(files, IDCANCEL));
  ASSERT_TRUE(WaitUntilGone(files));
  EXPECT_TRUE(Eventually([&] { return TextOf(path).empty(); }));

  Click(GetDlgItem(dialog, IDC_MIGRATION_BROWSE));
  files = WaitForDialog("Kivo.cfg");
  ASSERT_NE(nullptr, files);
  SetText(GetDlgItem(files, kFileNameBox), file_);
  Click(GetDlgItem(files, IDOK));
  ASSERT_TRUE(WaitUntilGone(files));
  EXPECT_TRUE(Eventually([&] { return lstrcmpiA(TextOf(path).c_str(), file_.c_str()) == 0; }))
      << TextOf(path);
  CloseAll(tool, dialog);
}

}  // namespace
}  // namespace kivo::testing
