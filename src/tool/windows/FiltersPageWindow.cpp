#include "tool/windows/FiltersPageWindow.h"

#include "tool/StoredList.h"
#include "tool/windows/FilterConfigWindow.h"
#include "tool/windows/Resource.h"
#include "tool/windows/WindowText.h"

namespace kivo::tool::windows {

FiltersPageWindow::FiltersPageWindow(platform::Registry& registry)
    : RowListPageWindow(IDD_FILTERS, "Filters",
                        {IDC_FILTER_LIST, IDC_FILTER_ADD, IDC_FILTER_MODIFY, IDC_FILTER_DELETE}),
      page_(registry) {}

void FiltersPageWindow::OnCreate() {
  const int half = ListWidth() / 2;
  // "Bools" keeps each filter's list, which only the dialog shows.
  SetUpColumns({{"Filter On ", half}, {"Type", half}, {"Bools", 0}});
  page_.Load();
  ShowRows(-1);
}

std::vector<std::vector<std::string>> FiltersPageWindow::RowTexts() const {
  std::vector<std::vector<std::string>> rows;
  // The type column marks an entry kept as stored because it cannot be read.
  for (const FilterRow& row : page_.rows()) {
    rows.push_back({row.on, row.kept ? MarkedUnreadable(row.type) : row.type, row.list});
  }
  return rows;
}

bool FiltersPageWindow::AddRow() {
  FilterConfigDialog dialog(FilterConfigDialog::Mode::kAdd, FilterRow(), page_.rows());
  if (!RunFilterConfigDialog(hwnd(), dialog)) return false;
  page_.Append(dialog.result());
  return true;
}

bool FiltersPageWindow::ModifyRow(std::size_t row) {
  std::vector<FilterRow> others = page_.rows();
  others.erase(others.begin() + static_cast<std::ptrdiff_t>(row));
  FilterConfigDialog dialog(FilterConfigDialog::Mode::kModify, page_.rows()[row], others);
  if (!RunFilterConfigDialog(hwnd(), dialog)) return false;
  page_.Replace(row, dialog.result());
  return true;
}

bool FiltersPageWindow::Save() {
  return ReportSave(hwnd(), SaveResult{"", page_.Save()});
}

}  // namespace kivo::tool::windows
