#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/FakeSecrets.h"
#include "service/PassphraseCommand.h"
#include "service/ServiceTestSupport.h"

namespace kivo::testing {
namespace {

using service::ForwardingService;

constexpr char kProgram[] = "C:\\Program Files\\Kivo\\kivo.exe";

// What the manager refuses in a case, with the error it gives.
enum class Refused { kNothing, kOpenManager, kCreate, kProgramPath, kDelete };

void Arrange(platform::FakeServiceManager& manager, bool installed, Refused refused) {
  platform::ServiceManager::Definition kivo;
  kivo.name = "kivo";
  if (installed) manager.AddService(kivo);
  if (refused == Refused::kOpenManager) manager.set_open_manager_error(5);
  if (refused == Refused::kCreate) manager.set_create_error(5);
  // A program path too long for the buffer is never registered cut.
  if (refused == Refused::kProgramPath) manager.set_path_error(122);
  if (refused == Refused::kDelete) manager.set_delete_error(1072);
}

TEST(CommandLine, PrintsInstallsAndRemovesWithExactOutput) {
  constexpr Refused kNothing = Refused::kNothing;
  const std::string version = "kivo, version 3.9\nThe service has";
  const struct {
    std::vector<const char*> args;
    bool installed;
    Refused refused;
    std::string output;  // empty: not handled, the program runs as the service
    bool installed_after;
    std::vector<std::uint32_t> events;
  } cases[] = {
      {{}, false, kNothing, "", false, {}},
      {{"-x"}, true, kNothing, "", true, {}},
      {{"-vx"}, false, kNothing, "", false, {}},
      {{"-v"}, false, kNothing, version + " not been installed.\n", false, {}},
      // Any letter case; later arguments are ignored.
      {{"-V", "-u"}, true, kNothing, version + " been installed.\n", true, {}},
      {{"-v"}, true, Refused::kOpenManager, version + " not been installed.\n", true, {}},
      {{"-i"}, false, kNothing, "kivo successfully installed.\n", true, {100}},
      {{"-I"}, true, kNothing, "kivo has already been installed.\n", true, {}},
      {{"-i"}, false, Refused::kCreate, "kivo failed to install. Error is 5.\n", false, {}},
      {{"-i"}, false, Refused::kProgramPath, "kivo failed to install. Error is 122.\n", false, {}},
      {{"-u"}, false, kNothing, "kivo has not been installed\n", false, {}},
      {{"-U"}, true, kNothing, "kivo successfully uninstalled.\n", false, {101}},
      {{"-u"}, true, Refused::kDelete, "Could not remove kivo. Error is 1072.\n", true, {102}},
  };
  for (const auto& c : cases) {
    FakeServiceMachine machine;
    Arrange(machine.manager, c.installed, c.refused);
    ForwardingService service(machine.platform(), NoWork);
    std::vector<const char*> argv = {kProgram};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const std::string what = c.args.empty() ? "(none)" : c.args[0];

    EXPECT_EQ(!c.output.empty(),
              service.ParseCommandLine(static_cast<int>(argv.size()), argv.data()))
        << what;
    EXPECT_EQ(c.output, machine.out.str()) << what;
    EXPECT_EQ(c.installed_after, machine.manager.HasService("kivo")) << what;
    EXPECT_EQ(c.events, machine.events.ids()) << what;
    EXPECT_EQ(0, machine.manager.open_handles()) << what;
  }
}

// "-p NAME" stores the line on standard input, without its line end, as the
// secret NAME; the exit code tells a script whether it did. The passphrase
// is never printed.
TEST(CommandLine, PassphraseComesFromStandardInputAndIsNeverPrinted) {
  const std::string unchanged = "; v3authpass is unchanged.\n";
  const struct {
    std::vector<const char*> args;
    std::string input;
    platform::Win32Error refuse;
    std::string output;
    const char* stored;  // null: nothing stored
  } cases[] = {
      {{"-p", "v3authpass"}, "maple syrup\r\n", 0, "v3authpass was stored.\n", "maple syrup"},
      {{"-P", "V3PrivPass"}, "syrupmaple", 0, "v3privpass was stored.\n", "syrupmaple"},
      {{"-p", "v3authpass"},
       "Zq9x\n",
       0,
       "The passphrase is shorter than 8 characters" + unchanged,
       nullptr},
      {{"-p", "v3authpass"},
       std::string(1025, 'x'),
       0,
       "The passphrase is longer than 1024 characters" + unchanged,
       nullptr},
      {{"-p", "v3authpass"}, "\r\n", 0, "No passphrase on standard input" + unchanged, nullptr},
      {{"-p", "v3authpass"},
       "maplesyrup\n",
       5,
       "v3authpass could not be stored. Error is 5.\n",
       nullptr},
      {{"-p", "community"},
       "maplesyrup\n",
       0,
       "Usage: kivo -p v3authpass|v3privpass, with the passphrase on standard input.\n",
       nullptr},
      {{"-p"},
       "maplesyrup\n",
       0,
       "Usage: kivo -p v3authpass|v3privpass, with the passphrase on standard input.\n",
       nullptr},
  };
  for (const auto& c : cases) {
    FakeServiceMachine machine;
    platform::FakeSecrets secrets;
    secrets.refuse_error = c.refuse;
    std::istringstream in(c.input);
    service::ServicePlatform platform = machine.platform();
    platform.passphrase = [&](const std::string& name, std::ostream& out) {
      return service::StorePassphrase(secrets, name, in, out);
    };
    ForwardingService service(platform, NoWork);
    std::vector<const char*> argv = {kProgram};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const int exit_code = service::RunProgram(service, static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(c.output, machine.out.str()) << c.input;
    EXPECT_EQ(c.stored != nullptr ? 0 : 1, exit_code) << c.input;
    secrets.refuse_error = 0;
    for (const char* name : {"v3authpass", "v3privpass"}) {
      std::string secret;
      const bool found = secrets.Read(name, &secret) == 0;
      EXPECT_EQ(c.stored != nullptr && c.output.find(name) == 0, found) << c.input;
      if (found) {
        EXPECT_EQ(c.stored, secret);
      }
    }
    EXPECT_EQ(std::string::npos, machine.out.str().find(c.input.substr(0, 4))) << c.input;
  }
}

// A registry that refuses to create the event source key.
class NoEventSourceRegistry : public platform::Registry {
 public:
  explicit NoEventSourceRegistry(platform::Registry& inner) : inner_(inner) {}
  platform::RegStatus Open(const std::string& path,
                           std::unique_ptr<platform::RegistryKey>* key) override {
    return inner_.Open(path, key);
  }
  platform::RegStatus Create(const std::string& path,
                             std::unique_ptr<platform::RegistryKey>* key) override {
    if (path.find("EventLog") != std::string::npos) return platform::kErrorAccessDenied;
    return inner_.Create(path, key);
  }

 private:
  platform::Registry& inner_;
};

TEST(CommandLine, InstallThatCannotWriteTheEventSourceFailsButKeepsTheService) {
  FakeServiceMachine machine;
  NoEventSourceRegistry registry(machine.registry);
  ForwardingService service({machine.manager, machine.events, registry, machine.out}, NoWork);
  const char* argv[] = {kProgram, "-i"};
  EXPECT_TRUE(service.ParseCommandLine(2, argv));
  EXPECT_EQ("kivo failed to install. Error is 5.\n", machine.out.str());
  EXPECT_TRUE(machine.manager.HasService("kivo"));
  EXPECT_TRUE(machine.events.ids().empty());
  EXPECT_EQ(0, machine.manager.open_handles());
}

TEST(ProgramEntry, WithoutASwitchFromAConsoleEndsAtOnceWithCodeZeroAndNoOutput) {
  FakeServiceMachine machine;
  ForwardingService service(machine.platform(), NoWork);
  const char* argv[] = {kProgram, "-v"};
  EXPECT_EQ(0, service::RunProgram(service, 2, argv));
  EXPECT_EQ("", machine.manager.dispatcher_name());  // a switch never reaches it

  machine.out.str("");
  EXPECT_EQ(0, service::RunProgram(service, 1, argv));
  EXPECT_EQ("", machine.out.str());
  EXPECT_EQ("kivo", machine.manager.dispatcher_name());
  EXPECT_TRUE(machine.manager.reported().empty());
  EXPECT_TRUE(machine.events.ids().empty());
}

}  // namespace
}  // namespace kivo::testing
