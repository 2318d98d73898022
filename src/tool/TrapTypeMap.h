#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace kivo::tool {

// The Trap Type Map page's model: the mapped event ids as the list shows
// them, loaded from and saved to "Maps".
class TrapTypeMap {
 public:
  enum class AddResult {
    kAdded,
    kDuplicate,   // already listed (letter case ignored): dropped without notice
    kOutOfRange,  // not an event id from 0 to 65535: refused with kOutOfRangeMessage
  };
  static constexpr char kOutOfRangeMessage[] = "Please enter an event id from 0 to 65535.";

  explicit TrapTypeMap(platform::Registry& registry);

  // Lists the subkey names of "Maps" in the order the store enumerates them.
  void Load();
  // Clears "Maps" and adds each entry converted to a number, top to bottom;
  // the first failed write ends the save.
  platform::RegStatus Save();

  // The text typed into the page's id field, appended at the end when new.
  AddResult Add(const std::string& text);
  void Remove(std::size_t index);
  const std::vector<std::string>& entries() const { return entries_; }

 private:
  platform::Registry& registry_;
  std::vector<std::string> entries_;
};

}  // namespace kivo::tool
