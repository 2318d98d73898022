#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tool/windows/PageWindow.h"

namespace kivo::tool::windows {

// A page that lists rows in a report view and edits them one at a time in a
// dialog: "Add" appends, "Modify" (or a double click on a row) edits the
// selected row, "Delete" removes it at once. The keyboard focus returns to
// the page after each button.
class RowListPageWindow : public PageWindow {
 public:
  struct ControlIds {
    int list;
    int add;
    int modify;
    int remove;
  };

  RowListPageWindow(int dialog_id, const char* tab_caption, ControlIds ids);

 protected:
  void OnCommand(int id, int code) override;
  bool OnNotify(NMHDR* header) override;

  // Shows the rows again, with this one (or none, -1) selected.
  void ShowRows(int selected);
  struct Column {
    const char* header;
    int width;  // pixels
  };
  // The width the columns share: the list's client width.
  int ListWidth() const;
  // Whole-row selection and the columns, every one centred.
  void SetUpColumns(const std::vector<Column>& columns);

  // The dialog for a new row; true when the user confirmed and it was appended.
  virtual bool AddRow() = 0;
  // The dialog for an existing row; true when the user confirmed and it was replaced.
  virtual bool ModifyRow(std::size_t row) = 0;
  virtual void RemoveRow(std::size_t row) = 0;
  // The texts of every row, column by column.
  virtual std::vector<std::vector<std::string>> RowTexts() const = 0;

 private:
  void Modify(int row);

  ControlIds ids_;
};

}  // namespace kivo::tool::windows
