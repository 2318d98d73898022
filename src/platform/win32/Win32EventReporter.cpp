#include "platform/win32/Win32EventReporter.h"

#include <windows.h>

namespace kivo::platform {

EventReporter::Handle Win32EventReporter::RegisterSource(const std::string& source) {
  return reinterpret_cast<Handle>(RegisterEventSourceA(nullptr, source.c_str()));
}

bool Win32EventReporter::Report(Handle source, std::uint16_t type, std::uint16_t category,
                                std::uint32_t id, const std::vector<std::string>& strings) {
  std::vector<const char*> pointers;
  pointers.reserve(strings.size());
  for (const std::string& text : strings) pointers.push_back(text.c_str());
  return ReportEventA(reinterpret_cast<HANDLE>(source), type, category, id, nullptr,
                      static_cast<WORD>(pointers.size()), 0,
                      pointers.empty() ? nullptr : pointers.data(), nullptr) != FALSE;
}

void Win32EventReporter::DeregisterSource(Handle source) {
  if (source != 0) DeregisterEventSource(reinterpret_cast<HANDLE>(source));
}

}  // namespace kivo::platform
