#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

#include "service/ServiceInstaller.h"

namespace kivo::service {

// The program's switches, matched without regard to letter case: "-v" prints
// the version and whether the service is installed, "-i" installs it and
// "-u" removes it, each with one line of outcome on the program's output;
// "-s" prints the service's state (when the program has a way to).
class ServiceCommandLine {
 public:
  // Prints the service's state on the stream.
  using StatusPrinter = std::function<void(std::ostream&)>;

  ServiceCommandLine(ServiceInstaller& installer, std::ostream& out, std::string name,
                     std::int32_t major_version, std::int32_t minor_version,
                     StatusPrinter status = nullptr);

  // Acts on the first argument after the program name (later ones are
  // ignored). True when it was a switch and the program is to exit, false
  // when the program is to run as the service.
  bool Handle(int argc, const char* const argv[]);

 private:
  void PrintVersion();
  void Install();
  void Uninstall();

  ServiceInstaller& installer_;
  std::ostream& out_;
  const std::string name_;
  const std::int32_t major_version_;
  const std::int32_t minor_version_;
  const StatusPrinter status_;
};

}  // namespace kivo::service
