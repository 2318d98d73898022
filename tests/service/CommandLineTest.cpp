#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "service/ForwardingService.h"
#include "service/ProgramEntry.h"
#include "service/ServiceTestSupport.h"

namespace kivo::testing {
namespace {

using platform::EventReporter;
using platform::FakeServiceManager;
using platform::ServiceManager;
using service::ForwardingService;

constexpr char kProgram[] = "C:\\Program Files\\Kivo\\kivo.exe";

void InstallKivo(FakeServiceMachine& machine) {
  ServiceManager::Definition kivo;
  kivo.name = "kivo";
  machine.manager.AddService(kivo);
}

struct CommandCase {
  const char* what;
  std::vector<const char*> args;
  bool installed;
  std::function<void(FakeServiceMachine&)> arrange;
  bool handled;
  std::string output;
  bool installed_after;
  std::vector<std::uint32_t> events;
};

TEST(CommandLine, PrintsInstallsAndRemovesWithExactOutput) {
  const auto none = [](FakeServiceMachine&) {};
  const CommandCase cases[] = {
      {"no switch", {}, false, none, false, "", false, {}},
      {"unknown switch runs the service", {"-x"}, true, none, false, "", true, {}},
      {"a switch with more letters is unknown", {"-vx"}, false, none, false, "", false, {}},
      {"version, not installed",
       {"-v"},
       false,
       none,
       true,
       "kivo, version 3.9\nThe service has not been installed.\n",
       false,
       {}},
      {"version in capitals, installed, later arguments ignored",
       {"-V", "-u"},
       true,
       none,
       true,
       "kivo, version 3.9\nThe service has been installed.\n",
       true,
       {}},
      {"version when the manager cannot be opened counts as not installed",
       {"-v"},
       true,
       [](FakeServiceMachine& m) { m.manager.set_open_manager_error(5); },
       true,
       "kivo, version 3.9\nThe service has not been installed.\n",
       true,
       {}},
      {"install", {"-i"}, false, none, true, "kivo successfully installed.\n", true, {100}},
      {"install again changes nothing",
       {"-I"},
       true,
       none,
       true,
       "kivo has already been installed.\n",
       true,
       {}},
      {"install refused by the manager",
       {"-i"},
       false,
       [](FakeServiceMachine& m) { m.manager.set_create_error(5); },
       true,
       "kivo failed to install. Error is 5.\n",
       false,
       {}},
      {"install with a program path too long to register",
       {"-i"},
       false,
       [](FakeServiceMachine& m) { m.manager.set_path_error(122); },
       true,
       "kivo failed to install. Error is 122.\n",
       false,
       {}},
      {"uninstall, not installed",
       {"-u"},
       false,
       none,
       true,
       "kivo has not been installed\n",
       false,
       {}},
      {"uninstall", {"-U"}, true, none, true, "kivo successfully uninstalled.\n", false, {101}},
      {"uninstall refused",
       {"-u"},
       true,
       [](FakeServiceMachine& m) { m.manager.set_delete_error(1072); },
       true,
       "Could not remove kivo. Error is 1072.\n",
       true,
       {102}},
  };
  for (const CommandCase& c : cases) {
    FakeServiceMachine machine;
    if (c.installed) InstallKivo(machine);
    c.arrange(machine);
    ForwardingService service(machine.platform(), nullptr);
    std::vector<const char*> argv = {kProgram};
    argv.insert(argv.end(), c.args.begin(), c.args.end());

    EXPECT_EQ(c.handled, service.ParseCommandLine(static_cast<int>(argv.size()), argv.data()))
        << c.what;
    EXPECT_EQ(c.output, machine.out.str()) << c.what;
    EXPECT_EQ(c.installed_after, machine.manager.HasService("kivo")) << c.what;
    EXPECT_EQ(c.events, machine.events.ids()) << c.what;
    EXPECT_EQ(0, machine.manager.open_handles()) << c.what;
  }
}

TEST(CommandLine, InstallRegistersTheServiceAndItsEventSource) {
  FakeServiceMachine machine;
  machine.manager.set_program_path(kProgram);
  ForwardingService service(machine.platform(), nullptr);
  ASSERT_TRUE(service.Install());

  const ServiceManager::Definition kivo = machine.manager.ServiceDefinition("kivo");
  EXPECT_EQ("kivo", kivo.name);
  EXPECT_EQ("kivo", kivo.display_name);
  EXPECT_EQ(0xF01FFu, kivo.access);
  EXPECT_EQ(0x10u, kivo.service_type);
  EXPECT_EQ(2u, kivo.start_type);
  EXPECT_EQ(1u, kivo.error_control);
  // Quoted: the blank in "Program Files" must not split the command.
  EXPECT_EQ(std::string("\"") + kProgram + "\"", kivo.command_line);

  platform::RegType type = platform::RegType::kNone;
  EXPECT_EQ(std::string(kProgram) + '\0',
            machine.ReadText(kEventSourceKey, "EventMessageFile", &type));
  EXPECT_EQ(platform::RegType::kExpandText, type);
  EXPECT_EQ(7, machine.ReadNumber(kEventSourceKey, "TypesSupported"));

  const auto events = machine.events.events();
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ("kivo", events[0].source);
  EXPECT_EQ(EventReporter::kInformation, events[0].type);
  EXPECT_EQ(0, events[0].category);
  EXPECT_EQ(std::vector<std::string>{"kivo"}, events[0].strings);
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
  ForwardingService service({machine.manager, machine.events, registry, machine.out}, nullptr);
  const char* argv[] = {kProgram, "-i"};
  EXPECT_TRUE(service.ParseCommandLine(2, argv));
  EXPECT_EQ("kivo failed to install. Error is 5.\n", machine.out.str());
  EXPECT_TRUE(machine.manager.HasService("kivo"));
  EXPECT_TRUE(machine.events.ids().empty());
  EXPECT_EQ(0, machine.manager.open_handles());
}

TEST(CommandLine, UninstallLeavesTheEventSourceKey) {
  FakeServiceMachine machine;
  ForwardingService service(machine.platform(), nullptr);
  ASSERT_TRUE(service.Install());
  ASSERT_TRUE(service.Uninstall());
  EXPECT_FALSE(service.IsInstalled());
  EXPECT_EQ(7, machine.ReadNumber(kEventSourceKey, "TypesSupported"));
  EXPECT_EQ((std::vector<std::uint32_t>{100, 101}), machine.events.ids());
}

TEST(ProgramEntry, FromAConsoleWithoutArgumentsEndsAtOnceWithCodeZeroAndNoOutput) {
  FakeServiceMachine machine;
  ForwardingService service(machine.platform(), nullptr);
  const char* argv[] = {kProgram};
  EXPECT_EQ(0, service::RunProgram(service, 1, argv));
  EXPECT_EQ("", machine.out.str());
  EXPECT_EQ("kivo", machine.manager.dispatcher_name());
  EXPECT_TRUE(machine.manager.reported().empty());
  EXPECT_TRUE(machine.events.ids().empty());
}

TEST(ProgramEntry, ASwitchNeverReachesTheDispatcher) {
  FakeServiceMachine machine;
  ForwardingService service(machine.platform(), nullptr);
  const char* argv[] = {kProgram, "-v"};
  EXPECT_EQ(0, service::RunProgram(service, 2, argv));
  EXPECT_EQ("", machine.manager.dispatcher_name());
}

}  // namespace
}  // namespace kivo::testing
