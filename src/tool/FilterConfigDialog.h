#pragma once

#include <string>
#include <vector>

#include "tool/Filters.h"

namespace kivo::tool {

// The "Filter Configuration" dialog without its window: what its controls
// start with in add and modify mode, and the check of its confirm button.
class FilterConfigDialog {
 public:
  enum class Mode { kAdd, kModify };

  // Entries of the "Filter On:" list, in the order shown (not sorted).
  static const std::vector<std::string>& FilterOnChoices();
  // Entries of the "Filter Type:" combination box, sorted.
  static const std::vector<std::string>& FilterTypeChoices();

  // Add mode starts empty; modify mode starts from the row's texts.
  // `others` are the rows of the list beside the one added or modified.
  FilterConfigDialog(Mode mode, const FilterRow& row, std::vector<FilterRow> others = {});

  Mode mode() const { return mode_; }
  const char* confirm_caption() const { return mode_ == Mode::kAdd ? "Add" : "Modify"; }
  // Entry of "Filter On:" to select: the one exactly equal to the row's text,
  // else the first; none (-1) in add mode.
  int initial_filter_on_index() const;
  // Text of "Filter Type:": the first entry that begins with the row's text
  // (ignoring case), else the text itself; empty in add mode.
  std::string initial_filter_type() const;
  const std::string& initial_filter_list() const { return row_.list; }

  // Takes the dialog's three texts. The empty text accepts them (result()
  // then holds the filter); otherwise the message to show.
  std::string Confirm(const FilterRow& entered);
  const FilterRow& result() const { return row_; }
  // After a confirm: the question to ask when another row has the field and
  // type of result(), which the page then stores both (Yes keeps both, No
  // goes back to the dialog); empty when there is none.
  std::string TwinQuestion() const;

 private:
  Mode mode_;
  FilterRow row_;
  std::vector<FilterRow> others_;
};

}  // namespace kivo::tool
