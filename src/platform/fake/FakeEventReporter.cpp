#include "platform/fake/FakeEventReporter.h"

#include <algorithm>

namespace kivo::platform {

std::vector<FakeEventReporter::Event> FakeEventReporter::events() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

std::vector<std::uint32_t> FakeEventReporter::ids() const {
  std::vector<std::uint32_t> ids;
  for (const Event& event : events()) ids.push_back(event.id);
  return ids;
}

int FakeEventReporter::registrations() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(sources_.size());
}

int FakeEventReporter::open_sources() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(
      std::count_if(sources_.begin(), sources_.end(), [](const auto& s) { return !s.empty(); }));
}

EventReporter::Handle FakeEventReporter::RegisterSource(const std::string& source) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (register_fails_ || source.empty()) return 0;
  sources_.push_back(source);
  return sources_.size();
}

bool FakeEventReporter::Report(Handle source, std::uint16_t type, std::uint16_t category,
                               std::uint32_t id, const std::vector<std::string>& strings) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (source == 0 || source > sources_.size() || sources_[source - 1].empty()) return false;
  events_.push_back(Event{sources_[source - 1], type, category, id, strings});
  return true;
}

void FakeEventReporter::DeregisterSource(Handle source) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (source != 0 && source <= sources_.size()) sources_[source - 1].clear();
}

}  // namespace kivo::platform
