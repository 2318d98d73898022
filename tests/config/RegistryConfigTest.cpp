// Cases for the configuration store, run against every registry the build
// has: the in-memory one everywhere, the real one under Wine, and the
// in-memory one behind the burst mode's cache, which must not change what the
// store reads as long as every write goes through it.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "config/RegistryConfig.h"
#include "forwarding/BurstCache.h"
#include "platform/fake/FakeRegistry.h"
#include "support/TestSupport.h"

namespace kivo::testing {

using config::RegistryConfig;
using config::RegistryReadError;
using platform::RegType;

class RegistryConfigTest : public ::testing::TestWithParam<RegistryFactory> {
 protected:
  void SetUp() override {
    registry_ = GetParam()();
    DeleteRegistryTree(*registry_, config::names::kRootPath);
  }
  void TearDown() override { DeleteRegistryTree(*registry_, config::names::kRootPath); }

  bool KeyExists(const std::string& sub) { return testing::KeyExists(*registry_, StorePath(sub)); }
  std::vector<std::string> Subkeys(const std::string& sub) {
    return SubkeyNames(*registry_, StorePath(sub));
  }
  void SetRaw(const std::string& sub, const std::string& name, RegType type,
              const std::string& bytes) {
    ASSERT_TRUE(WriteValue(*registry_, StorePath(sub), name, {type, bytes}));
  }

  std::unique_ptr<platform::Registry> registry_;
};

TEST_P(RegistryConfigTest, FirstUseCreatesExactlyTheDefaults) {
  RegistryConfig config(*registry_, nullptr);
  EXPECT_EQ(std::make_tuple(0, 162, std::string("192.1.1.1"), std::string("public")),
            std::make_tuple(config.GetSnmpVersion(), config.GetPort(), config.GetDestination(),
                            config.GetCommunity()));
  EXPECT_THROW(config.GetLogging(), RegistryReadError);
  EXPECT_THROW(config.GetIec(), RegistryReadError);
  EXPECT_EQ((std::vector<std::string>{"Filters", "Maps"}), Subkeys(""));
  EXPECT_TRUE(Subkeys("Filters").empty() && Subkeys("Maps").empty());
}

TEST_P(RegistryConfigTest, ExistingRootIsNeverOverwrittenByDefaults) {
  SetRaw("", "version", RegType::kNumber, Dword(1));
  RegistryConfig config(*registry_, nullptr);
  EXPECT_EQ(1, config.GetSnmpVersion());
  EXPECT_THROW(config.GetPort(), RegistryReadError);
  EXPECT_FALSE(KeyExists("Filters"));

  // The tool opening a list key that does not exist yet: no key, status 2.
  RegistryConfig syslog(*registry_, "Syslog");
  EXPECT_EQ(platform::kErrorFileNotFound, syslog.Open("Syslog"));
  EXPECT_THROW(syslog.GetUseFilters(), RegistryReadError);
  EXPECT_EQ(0u, syslog.CountSubkeys());
  EXPECT_FALSE(KeyExists("Syslog"));
}

TEST_P(RegistryConfigTest, OpenBuildsPathsFromRootOrStoredPath) {
  RegistryConfig config(*registry_, nullptr);
  config.AddFilter("EventId", "Include", "1");

  EXPECT_EQ(0, config.Open("Filters"));
  EXPECT_EQ(0, config.Open("0", true));
  EXPECT_EQ("EventId", config.GetFilterOn());
  // An empty name addresses the root key through a trailing backslash.
  EXPECT_EQ(0, config.Open(""));
  EXPECT_EQ("public", config.GetCommunity());

  // Entries are opened below the stored path, which keeps naming the list.
  config.Open("Filters");
  EXPECT_EQ(0, config.OpenEntry(0));
  EXPECT_EQ(platform::kErrorFileNotFound, config.OpenEntry(1));
  EXPECT_THROW(config.GetFilterOn(), RegistryReadError);
  EXPECT_EQ(0, config.OpenEntry(0));
  EXPECT_EQ("Include", config.GetFilterType());
  // An open that failed leaves no key, and nothing is created.
  EXPECT_EQ(platform::kErrorFileNotFound, config.Open("Missing"));
  EXPECT_EQ(0u, config.CountSubkeys());
  EXPECT_FALSE(KeyExists("Missing"));
}

// Texts are read into a 128-byte buffer, numbers as four bytes.
TEST_P(RegistryConfigTest, TextsFitA128ByteBufferAndNumbersAreFourBytes) {
  const std::string c127(127, 'x'), c128(128, 'y');
  const struct {
    RegType type;
    std::string bytes;
    std::optional<std::string> text;  // nothing: the read fails
    std::optional<std::int32_t> number;
  } cases[] = {
      {RegType::kText, std::string(1, '\0'), "", 0},
      {RegType::kText, c127 + '\0', c127, std::nullopt},
      {RegType::kText, c128 + '\0', std::nullopt, std::nullopt},
      {RegType::kText, c127, c127, std::nullopt},  // without the final zero
      {RegType::kText, c128, std::nullopt, std::nullopt},
      {RegType::kExpandText, std::string("a%b%\0", 5), "a%b%", std::nullopt},
      {RegType::kText, std::string("12\0", 3), "12", 0x3231},
      {RegType::kNumber, Dword(-1), std::nullopt, -1},
      {RegType::kBinary, std::string("\x01\x02", 2), std::nullopt, 0x0201},
      {RegType::kBinary, std::string(8, '\x01'), std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    SetRaw("", "value", c.type, c.bytes);
    EXPECT_EQ(c.text, StoredText(*registry_, "", "value")) << c.bytes.size();
    EXPECT_EQ(c.number, StoredNumber(*registry_, "", "value")) << c.bytes.size();
  }
}

TEST_P(RegistryConfigTest, AddFilterKeepsOneEntryPerFieldAndTypeNumberedByCount) {
  RegistryConfig config(*registry_, "Filters");
  for (const char* field : {"EventId", "EventType", "EventSource", "EventComputerName", "EventUser",
                            "EventDescription", "EventCategory"}) {
    EXPECT_TRUE(config.AddFilter(field, "Include", "a"));
    EXPECT_TRUE(config.AddFilter(field, "Exclude", "b"));
  }
  EXPECT_FALSE(config.AddFilter("EventId", "Include", "3"));
  EXPECT_TRUE(config.AddFilter("eventid", "Include", "5"));  // comparisons keep case
  // Enumeration order is by name ("10" before "2"), numbering is by count.
  ASSERT_EQ(15u, Subkeys("Filters").size());
  config.Open("Filters");
  for (int i = 0; i < 15; ++i) EXPECT_EQ(0, config.OpenEntry(i)) << i;
  config.OpenEntry(14);
  EXPECT_EQ("eventid", config.GetFilterOn());

  EXPECT_TRUE(config.FindFilter("EventUser", "Exclude").found);
  const auto missing = config.FindFilter("EventUser", "Both");
  EXPECT_FALSE(missing.found);
  EXPECT_EQ(15u, missing.examined);
  // The create flag is down again: opening a missing entry creates nothing.
  config.Open("Filters");
  EXPECT_EQ(platform::kErrorFileNotFound, config.OpenEntry(20));
  EXPECT_EQ(15u, Subkeys("Filters").size());
}

// A new entry never writes over one that a gap in the numbering (a hand
// edit) left at the number the list's size gives.
TEST_P(RegistryConfigTest, UnreadableEntryIsSkippedWhenSearchingAndNoEntryIsWrittenOver) {
  RegistryConfig config(*registry_, nullptr);
  SetRaw("Filters\\0", "filterOn", RegType::kText, std::string("EventId\0", 8));
  EXPECT_TRUE(config.AddFilter("EventId", "Include", "1"));
  EXPECT_EQ((std::vector<std::string>{"0", "1"}), Subkeys("Filters"));
  SetRaw("Filters\\3", "filterList", RegType::kText, std::string("kept\0", 5));
  EXPECT_TRUE(config.AppendFilter("EventId", "Include", "2"));
  EXPECT_EQ((std::vector<std::string>{"0", "1", "3", "4"}), Subkeys("Filters"));
  EXPECT_EQ("kept", StoredText(*registry_, "Filters\\3", "filterList"));
}

TEST_P(RegistryConfigTest, ClearingListsKeepsTheListKeys) {
  RegistryConfig config(*registry_, nullptr);
  for (int i = 0; i < 12; ++i) {
    config.AddSyslogHost("host" + std::to_string(i), 514);
    config.AddMap(1000 + i);
  }
  config.AddFilter("EventId", "Include", "1");
  config.AddFilter("EventType", "Include", "1");

  config.ClearFilters();
  config.ClearSyslogHosts();
  config.ClearMaps();
  for (const char* list : {"Filters", "Syslog", "Maps"}) {
    EXPECT_TRUE(KeyExists(list)) << list;
    EXPECT_TRUE(Subkeys(list).empty()) << list;
  }
}

TEST_P(RegistryConfigTest, ClearingMapsEndsOnAnEntryThatCannotBeDeleted) {
  RegistryConfig config(*registry_, nullptr);
  config.AddMap(7);
  SetRaw("Maps\\1\\nested", "x", RegType::kNumber, Dword(0));
  config.ClearMaps();  // must return although "1" has a subkey of its own
  EXPECT_EQ((std::vector<std::string>{"1", "7"}), Subkeys("Maps"));
}

TEST_P(RegistryConfigTest, SyslogHostsAreCreatedOnFirstAddAndMatchHostAndPort) {
  RegistryConfig config(*registry_, nullptr);
  EXPECT_FALSE(KeyExists("Syslog"));
  EXPECT_TRUE(config.AddSyslogHost("loghost", 514));
  EXPECT_TRUE(config.AddSyslogHost("loghost", 1514));
  EXPECT_FALSE(config.AddSyslogHost("loghost", 514));
  EXPECT_TRUE(config.AddSyslogHost("LOGHOST", 514));
  EXPECT_EQ((std::vector<std::string>{"0", "1", "2"}), Subkeys("Syslog"));
}

TEST_P(RegistryConfigTest, MapsAreLookedUpByTheirDecimalName) {
  RegistryConfig config(*registry_, nullptr);
  config.AddMap(1234);
  config.AddMap(1234);
  config.AddMap(65536 + 5);
  config.AddMap(-1);
  EXPECT_EQ((std::vector<std::string>{"-1", "1234", "65541"}), Subkeys("Maps"));
  EXPECT_TRUE(config.MapExists(1234));
  EXPECT_FALSE(config.MapExists(5));
  EXPECT_EQ(0u, config.CountSubkeys());  // left on the missing entry, created nothing
  EXPECT_EQ((std::vector<std::string>{"-1", "1234", "65541"}), Subkeys("Maps"));
}

TEST_P(RegistryConfigTest, WritesIntoAKeyThatIsNotOpenHaveNoEffect) {
  RegistryConfig config(*registry_, nullptr);
  config.Open("Syslog");
  config.SetUseFilters(1);
  EXPECT_EQ(platform::kErrorFileNotFound, config.SetSyslogHost("x"));  // why the key is missing
  EXPECT_FALSE(KeyExists("Syslog"));

  config.set_create(true);
  config.Open("Syslog");
  config.set_create(false);
  config.SetUseFilters(1);
  EXPECT_EQ(1, config.GetUseFilters());
  config.Open(nullptr);
  EXPECT_THROW(config.GetUseFilters(), RegistryReadError);
}

// Caching on, and a clock that never moves on: only writes renew what it read.
struct InMemoryStore {
  platform::FakeRegistry fake;
};
struct CachedFakeRegistry : private InMemoryStore, forwarding::CachingRegistry {
  CachedFakeRegistry() : CachingRegistry(fake, [] { return std::int64_t{0}; }) {
    set_caching(true);
  }
};

INSTANTIATE_TEST_SUITE_P(Fake, RegistryConfigTest, ::testing::Values(&MakeFakeRegistry),
                         [](const auto&) { return std::string("InMemory"); });
INSTANTIATE_TEST_SUITE_P(Cached, RegistryConfigTest,
                         ::testing::Values(+[]() -> std::unique_ptr<platform::Registry> {
                           return std::make_unique<CachedFakeRegistry>();
                         }),
                         [](const auto&) { return std::string("InMemoryBehindTheBurstCache"); });
#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Win32, RegistryConfigTest, ::testing::Values(&MakeWin32Registry),
                         [](const auto&) { return std::string("Win32"); });
#endif

}  // namespace kivo::testing
