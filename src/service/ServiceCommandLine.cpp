#include "service/ServiceCommandLine.h"

#include <cctype>
#include <ostream>
#include <utility>

namespace kivo::service {
namespace {

bool SwitchIs(const char* argument, char letter) {
  return argument[0] == '-' && argument[1] != '\0' &&
         std::tolower(static_cast<unsigned char>(argument[1])) == letter && argument[2] == '\0';
}

// Error codes print as the signed numbers they are in the platform's headers.
std::int32_t AsPrinted(std::uint32_t error) {
  return static_cast<std::int32_t>(error);
}

}  // namespace

ServiceCommandLine::ServiceCommandLine(ServiceInstaller& installer, std::ostream& out,
                                       std::string name, std::int32_t major_version,
                                       std::int32_t minor_version, StatusPrinter status,
                                       PassphraseSetter passphrase)
    : installer_(installer),
      out_(out),
      name_(std::move(name)),
      major_version_(major_version),
      minor_version_(minor_version),
      status_(std::move(status)),
      passphrase_(std::move(passphrase)) {}

bool ServiceCommandLine::Handle(int argc, const char* const argv[]) {
  if (argc < 2 || argv[1] == nullptr) return false;
  const char* const command = argv[1];
  if (SwitchIs(command, 'v')) {
    PrintVersion();
  } else if (SwitchIs(command, 'i')) {
    Install();
  } else if (SwitchIs(command, 'u')) {
    Uninstall();
  } else if (SwitchIs(command, 's') && status_) {
    status_(out_);
  } else if (SwitchIs(command, 'p') && passphrase_) {
    exit_code_ = passphrase_(argc > 2 && argv[2] != nullptr ? argv[2] : "", out_) ? 0 : 1;
  } else {
    return false;
  }
  out_.flush();
  return true;
}

void ServiceCommandLine::PrintVersion() {
  out_ << name_ << ", version " << major_version_ << '.' << minor_version_ << '\n';
  out_ << "The service has" << (installer_.IsInstalled() ? " " : " not ") << "been installed.\n";
}

void ServiceCommandLine::Install() {
  if (installer_.IsInstalled()) {
    out_ << name_ << " has already been installed.\n";
  } else if (installer_.Install()) {
    out_ << name_ << " successfully installed.\n";
  } else {
    out_ << name_ << " failed to install. Error is " << AsPrinted(installer_.last_error()) << ".\n";
  }
}

void ServiceCommandLine::Uninstall() {
  if (!installer_.IsInstalled()) {
    out_ << name_ << " has not been installed\n";
  } else if (installer_.Uninstall()) {
    out_ << name_ << " successfully uninstalled.\n";
  } else {
    out_ << "Could not remove " << name_ << ". Error is " << AsPrinted(installer_.last_error())
         << ".\n";
  }
}

}  // namespace kivo::service
