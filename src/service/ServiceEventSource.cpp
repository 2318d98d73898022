#include "service/ServiceEventSource.h"

#include <utility>
#include <vector>

namespace kivo::service {

ServiceEventSource::ServiceEventSource(platform::EventReporter& reporter, std::string name)
    : reporter_(reporter), name_(std::move(name)) {}

ServiceEventSource::~ServiceEventSource() {
  if (source_ != 0) reporter_.DeregisterSource(source_);
}

bool ServiceEventSource::Register() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (source_ == 0) source_ = reporter_.RegisterSource(name_);
  return source_ != 0;
}

void ServiceEventSource::Report(std::uint16_t type, std::uint32_t id, const char* s1,
                                const char* s2, const char* s3) {
  // The strings count up to the first absent one, as the platform reads them
  // as one array starting at the first.
  std::vector<std::string> strings;
  for (const char* text : {s1, s2, s3}) {
    if (text == nullptr) break;
    strings.emplace_back(text);
  }
  if (!Register()) return;
  reporter_.Report(source_, type, 0, id, strings);
}

}  // namespace kivo::service
