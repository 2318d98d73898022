#include "forwarding/FilterList.h"

namespace kivo::forwarding {

bool FilterList::Contains(std::string_view list, std::string_view value, config::TraceFile& trace) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = list.find(',', start);
    const bool more = comma != std::string_view::npos;
    std::string_view token;
    if (more) {
      trace.Line("nexttok is:", list.substr(comma));
      token = list.substr(start, comma - start);
    } else {
      token = list.substr(start);
    }
    const std::size_t first = token.find_first_not_of(' ');
    token.remove_prefix(first == std::string_view::npos ? token.size() : first);
    trace.Line("filterlist is now:", token);
    if (value.substr(0, token.size()) == token) return true;
    if (!more) return false;
    start = comma + 1;
  }
}

}  // namespace kivo::forwarding
