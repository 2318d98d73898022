#include "tool/windows/MigrationDialog.h"

#include <commdlg.h>

#include <string>

#include "platform/win32/Win32Registry.h"
#include "tool/LegacyImport.h"
#include "tool/windows/Resource.h"
#include "tool/windows/WindowText.h"

namespace kivo::tool::windows {

namespace {

// The window side of the "Kivo Migration Utility": its controls, the file
// dialog and the messages. What "Migrate" does is LegacyImport's job.
class MigrationDialog {
 public:
  MigrationDialog() : import_(registry_) {}
  MigrationDialog(const MigrationDialog&) = delete;
  MigrationDialog& operator=(const MigrationDialog&) = delete;

  void Run(HWND owner) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MIGRATION), owner,
                    &MigrationDialog::Procedure, reinterpret_cast<LPARAM>(this));
  }

 private:
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrA(dialog, DWLP_USER, lparam);
      reinterpret_cast<MigrationDialog*>(lparam)->OnInit(dialog);
      return TRUE;
    }
    auto* self = reinterpret_cast<MigrationDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (self == nullptr || message != WM_COMMAND || HIWORD(wparam) != BN_CLICKED) return FALSE;
    switch (LOWORD(wparam)) {
      case IDC_MIGRATION_BROWSE:
        self->OnBrowse(dialog);
        return TRUE;
      case IDOK:
        self->OnMigrate(dialog);
        return TRUE;
      case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      default:
        return FALSE;
    }
  }

  void OnInit(HWND dialog) {
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_KIVOCFG));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SetItemText(dialog, IDC_MIGRATION_PATH, path_);
  }

  void OnBrowse(HWND dialog) {
    char file[MAX_PATH] = "";
    OPENFILENAMEA request = {};
    request.lStructSize = sizeof(request);
    request.hwndOwner = dialog;
    request.lpstrFilter = "Config Files\0*.cfg\0All Files\0*.*\0";
    request.nFilterIndex = 1;
    request.lpstrFile = file;
    request.nMaxFile = sizeof(file);
    request.lpstrTitle = "Kivo.cfg";
    request.lpstrDefExt = "cfg";
    request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
    if (GetOpenFileNameA(&request)) path_ = file;
    // The field shows the dialog's path either way, so a cancelled file
    // dialog drops what was typed since the last pick.
    SetItemText(dialog, IDC_MIGRATION_PATH, path_);
  }

  void OnMigrate(HWND dialog) {
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

  platform::Win32Registry registry_;
  LegacyImport import_;
  std::string path_;  // the last path picked with "Browse" or taken by "Migrate"
};

}  // namespace

void RunMigrationDialog(HWND owner) {
  MigrationDialog dialog;
  dialog.Run(owner);
}

}  // namespace kivo::tool::windows
