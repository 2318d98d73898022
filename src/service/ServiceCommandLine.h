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
// "-s" prints the service's state and "-p NAME" stores a passphrase (when
// the program has a way to).
class ServiceCommandLine {
 public:
  // Prints the service's state on the stream.
  using StatusPrinter = std::function<void(std::ostream&)>;
  // Stores the passphrase NAME, printing one line of outcome on the
  // stream; true when it was stored.
  using PassphraseSetter = std::function<bool(const std::string& name, std::ostream&)>;

  ServiceCommandLine(ServiceInstaller& installer, std::ostream& out, std::string name,
                     std::int32_t major_version, std::int32_t minor_version,
                     StatusPrinter status = nullptr, PassphraseSetter passphrase = nullptr);

  // Acts on the first argument after the program name (later ones are
  // ignored, but for the name after "-p"). True when it was a switch and
  // the program is to exit, false when the program is to run as the
  // service.
  bool Handle(int argc, const char* const argv[]);
  // The program's exit code after a switch: 1 after a "-p" that stored
  // nothing, so that a script can tell; else 0.
  int exit_code() const { return exit_code_; }

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
  const PassphraseSetter passphrase_;
  int exit_code_ = 0;
};

}  // namespace kivo::service
