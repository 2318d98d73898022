#include "tool/windows/MigrationDialog.h"

#include <optional>
#include <string>

#include "tool/LegacyImport.h"
#include "tool/windows/FilePicker.h"
#include "tool/windows/ModalDialog.h"
#include "tool/windows/Resource.h"
#include "tool/windows/WindowText.h"

namespace kivo::tool::windows {

namespace {

// The window side of the "Kivo Migration Utility": its controls, the file
// dialog and the messages. What "Migrate" does is LegacyImport's job.
class MigrationWindow {
 public:
  explicit MigrationWindow(platform::Registry& registry) : import_(registry) {}

  void Fill(HWND dialog) {
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_KIVOCFG));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SetItemText(dialog, IDC_MIGRATION_PATH, path_);
  }

  void Browse(HWND dialog) {
    if (const std::optional<std::string> picked =
            PickFile(dialog, "Config Files\0*.cfg\0All Files\0*.*\0", "Kivo.cfg", "cfg")) {
      path_ = *picked;
    }
    // The field shows the dialog's path either way, so a cancelled file
    // dialog drops what was typed since the last pick.
    SetItemText(dialog, IDC_MIGRATION_PATH, path_);
  }

  void Migrate(HWND dialog) {
    path_ = ItemText(dialog, IDC_MIGRATION_PATH);
    switch (import_.Migrate(path_)) {
      case LegacyImport::Outcome::kClose:
        EndDialog(dialog, IDOK);
        break;
      case LegacyImport::Outcome::kNoPath:
        ShowMessage(dialog, LegacyImport::kNoPathMessage, MB_OK | MB_ICONEXCLAMATION);
        break;
      case LegacyImport::Outcome::kCannotOpen:
        ShowMessage(dialog, LegacyImport::kCannotOpenMessage, MB_OK | MB_ICONINFORMATION);
        break;
      case LegacyImport::Outcome::kNoSettings:
        ShowMessage(dialog, LegacyImport::NoSettingsMessage(path_), MB_OK | MB_ICONEXCLAMATION);
        break;
      case LegacyImport::Outcome::kCannotWrite:
        ShowMessage(dialog, SaveMessage({"", import_.write_error()}), MB_OK | MB_ICONEXCLAMATION);
        break;
      case LegacyImport::Outcome::kMigrated:
        if (!import_.problems().empty()) {
          ShowMessage(dialog, import_.DescribeProblems(), MB_OK | MB_ICONEXCLAMATION);
        }
        ShowMessage(dialog, LegacyImport::kMigratedMessage, MB_OK | MB_ICONINFORMATION);
        SetItemText(dialog, IDOK, "Exit");
        EnableWindow(GetDlgItem(dialog, IDC_MIGRATION_BROWSE), FALSE);
        EnableWindow(GetDlgItem(dialog, IDC_MIGRATION_PATH), FALSE);
        break;
    }
  }

 private:
  LegacyImport import_;
  std::string path_;  // the last path picked with "Browse" or taken by "Migrate"
};

}  // namespace

void RunMigrationDialog(HWND owner, platform::Registry& registry) {
  MigrationWindow window(registry);
  ModalDialogHandlers handlers;
  handlers.fill = [&](HWND dialog) { window.Fill(dialog); };
  handlers.buttons[IDC_MIGRATION_BROWSE] = [&](HWND dialog) { window.Browse(dialog); };
  // "Migrate" shows its own messages and closes the dialog only as "Exit".
  handlers.buttons[IDOK] = [&](HWND dialog) { window.Migrate(dialog); };
  RunModalDialog(owner, IDD_MIGRATION, handlers);
}

}  // namespace kivo::tool::windows
