#include "tool/FilterConfigDialog.h"

#include <cctype>
#include <utility>

#include "tool/TextLimits.h"

namespace kivo::tool {

namespace {

bool BeginsWithIgnoringCase(const std::string& text, const std::string& prefix) {
  if (prefix.size() > text.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

const std::vector<std::string>& FilterConfigDialog::FilterOnChoices() {
  static const std::vector<std::string> choices = {
      "EventComputerName", "EventDescription", "EventId",      "EventSource",
      "EventType",         "EventUser",        "EventCategory"};
  return choices;
}

const std::vector<std::string>& FilterConfigDialog::FilterTypeChoices() {
  static const std::vector<std::string> choices = {"Exclude", "Include"};
  return choices;
}

FilterConfigDialog::FilterConfigDialog(Mode mode, const FilterRow& row,
                                       std::vector<FilterRow> others)
    : mode_(mode), row_(mode == Mode::kAdd ? FilterRow() : row), others_(std::move(others)) {}

int FilterConfigDialog::initial_filter_on_index() const {
  if (mode_ == Mode::kAdd) return -1;
  const auto& choices = FilterOnChoices();
  for (std::size_t i = 0; i < choices.size(); ++i) {
    if (choices[i] == row_.on) return static_cast<int>(i);
  }
  return 0;
}

std::string FilterConfigDialog::initial_filter_type() const {
  if (mode_ == Mode::kAdd) return std::string();
  for (const std::string& choice : FilterTypeChoices()) {
    if (BeginsWithIgnoringCase(choice, row_.type)) return choice;
  }
  return row_.type;
}

std::string FilterConfigDialog::Confirm(const FilterRow& entered) {
  std::string message;
  if (!FitsStore(entered.type)) message += TooLongText("The filter type") + ".\n";
  if (!FitsStore(entered.list)) message += TooLongText("The filter list") + ".\n";
  if (message.empty()) row_ = entered;
  return message;
}

std::string FilterConfigDialog::TwinQuestion() const {
  for (const FilterRow& other : others_) {
    if (other.on == row_.on && other.type == row_.type) {
      return "The list already holds a filter on \"" + row_.on + "\" of type \"" + row_.type +
             "\". Keep both?";
    }
  }
  return std::string();
}

}  // namespace kivo::tool
