// The pages' and dialogs' logic over an in-memory store: what each loads,
// refuses and saves, checked in the store itself.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/FakeSecrets.h"
#include "support/SystemCrypto.h"
#include "tool/AdvancedSnmpDialog.h"
#include "tool/CfgSnmp.h"
#include "tool/FilterConfigDialog.h"
#include "tool/Filters.h"
#include "tool/LoggingSwitch.h"
#include "tool/StoreFixture.h"
#include "tool/SyslogDestinationDialog.h"
#include "tool/SyslogPage.h"
#include "tool/TrapTypeMap.h"

namespace kivo::tool {
namespace {

using testing::StoredNumber;
using testing::StorePath;
using ListPages = testing::ToolStore;

// The store, the secrets in memory and the system's cryptography, without
// SHA-224 as on Windows.
class NoSha224Crypto : public testing::SystemCrypto {
 public:
  std::unique_ptr<platform::HashStream> StartHash(platform::HashAlgorithm algorithm) override {
    if (algorithm == platform::HashAlgorithm::kSha224) return nullptr;
    return testing::SystemCrypto::StartHash(algorithm);
  }
};
class SnmpPage : public testing::ToolStore {
 protected:
  platform::FakeSecrets secrets;
  NoSha224Crypto crypto;
};

constexpr char kDefaultRoot[] =
    "root version=0 destination=\"192.1.1.1\" port=162 community=\"public\"";
constexpr char kErrorHeader[] = "There is an error in the data:\n\n";

std::string Shown(const SnmpSettings& s) {
  return std::to_string(s.version_index) + " " + s.destination + " " + s.port_text + " " +
         s.community;
}

TEST_F(SnmpPage, LoadShowsAValueItCannotReadWithItsDefaultAndWritesNothing) {
  CfgSnmp page(registry, secrets, crypto);
  page.Load();  // the first use of the store creates the defaults
  EXPECT_EQ("0 192.1.1.1 162 public", Shown(page.settings()));
  Set("", "version", 7);  // outside the list: no entry chosen
  Set("", "port", 2162);
  Set("", "community", std::string(128, 'c'));
  registry.DeleteValue(StorePath(""), "destination");
  const std::string stored = DumpTree();
  page.Load();
  EXPECT_EQ("-1 192.1.1.1 2162 public", Shown(page.settings()));
  EXPECT_EQ(stored, DumpTree());
}

TEST_F(SnmpPage, SaveRefusesEmptyAndTooLongTextsAndBadPortsOrWritesTheFourValues) {
  Defaults();
  CfgSnmp page(registry, secrets, crypto);
  page.settings() = {SnmpSettings::kNoVersion, "", "", ""};
  EXPECT_EQ(std::string(kErrorHeader) +
                "An SNMP Version must be specified\n"
                "A destination IP address or host must be specified\n"
                "A destination port must be specified\n"
                "An SNMP Community must be specified\n",
            page.Save().refusal);
  page.settings() = {0, std::string(128, 'd'), "162", std::string(128, 'c')};
  EXPECT_EQ(std::string(kErrorHeader) +
                "The destination IP address or host must not be longer than 127 characters\n"
                "The SNMP Community must not be longer than 127 characters\n",
            page.Save().refusal);
  for (const char* port : {"abc", "12ab", "0", "-1", "65536", "4294967295"}) {
    page.settings() = {0, "d", port, "c"};
    EXPECT_EQ(
        std::string(kErrorHeader) + "The destination port must be a whole number from 1 to 65535\n",
        page.Save().refusal)
        << port;
  }
  EXPECT_EQ(kDefaultRoot, DumpKey(""));
  page.settings() = {1, std::string(127, 'd'), " 65535 ", "private"};
  ASSERT_TRUE(page.Save().saved());
  EXPECT_EQ("root version=1 destination=\"" + std::string(127, 'd') +
                "\" port=65535 community=\"private\"",
            DumpKey(""));
}

// SNMPv3 needs a user, a level and, for the level, a protocol and a stored
// or typed passphrase of 8 characters or more; the community is not asked
// for. Only SHA-224, which the system lacks, is not offered.
TEST_F(SnmpPage, SnmpV3IsRefusedWithoutWhatItsLevelNeeds) {
  Defaults();
  CfgSnmp page(registry, secrets, crypto);
  page.Load();
  EXPECT_EQ((std::vector<std::string>{"SHA", "SHA-256", "SHA-384", "SHA-512"}),
            page.auth_protocols());
  SnmpSettings& s = page.settings();
  EXPECT_EQ("2 SHA-256 AES", std::to_string(s.level) + " " + s.auth + " " + s.priv);
  EXPECT_FALSE(s.inform || s.auth_passphrase.stored || s.priv_passphrase.stored);
  s.version_index = CfgSnmp::kSnmpV3;
  s.community = "";
  s.user = std::string(33, 'u');
  s.auth = "SHA-224";
  s.priv_passphrase.changed = "seven77";
  EXPECT_EQ(std::string(kErrorHeader) +
                "The SNMPv3 user must not be longer than 32 characters\n"
                "The authentication protocol SHA-224 is not available on this system\n"
                "An authentication passphrase must be specified\n"
                "The privacy passphrase must have at least 8 characters\n",
            page.Save().refusal);
  s.user = "";
  s.level = SnmpSettings::kNoLevel;
  EXPECT_EQ(std::string(kErrorHeader) + "An SNMPv3 user must be specified\n" +
                "A security level must be specified\n",
            page.Save().refusal);
  EXPECT_EQ(kDefaultRoot, DumpKey(""));
}

// A save writes the SNMPv3 values and only the passphrases that were typed;
// a load shows stars for the stored ones. "inform" is written once it is
// on, and kept after. The engine ID is the kept one, or made once.
TEST_F(SnmpPage, SnmpV3SavesItsUserAndOnlyTheTypedPassphrases) {
  Defaults();
  CfgSnmp page(registry, secrets, crypto);
  page.Load();
  SnmpSettings& s = page.settings();
  s.version_index = CfgSnmp::kSnmpV3;
  s.user = "kivo";
  s.auth = "SHA-512";
  s.inform = true;
  s.auth_passphrase.changed = "maple syrup";
  s.priv_passphrase.changed = "syrup maple";
  ASSERT_TRUE(page.Save().saved());
  EXPECT_EQ(
      "root version=3 destination=\"192.1.1.1\" port=162 community=\"public\" inform=1 "
      "v3user=\"kivo\" v3level=2 v3auth=\"SHA-512\" v3priv=\"AES\"",
      DumpKey(""));
  for (const auto& [name, expected] :
       {std::pair("v3authpass", "maple syrup"), std::pair("v3privpass", "syrup maple")}) {
    std::string stored;
    EXPECT_EQ(0u, secrets.Read(name, &stored));
    EXPECT_EQ(expected, stored);
  }
  page.Load();
  EXPECT_TRUE(s.auth_passphrase.stored && s.priv_passphrase.stored);
  EXPECT_FALSE(s.auth_passphrase.changed || s.priv_passphrase.changed);
  secrets.refuse_error = platform::kErrorAccessDenied;  // no passphrase is written again
  s.inform = false;
  s.level = 1;
  ASSERT_TRUE(page.Save().saved());
  EXPECT_EQ(0, StoredNumber(registry, "", "inform"));
  s.auth_passphrase.changed = "a new passphrase";
  EXPECT_EQ(platform::kErrorAccessDenied, page.Save().error);

  bool ok = false;
  const std::string made = page.EngineId(&ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ("8000149d05", made.substr(0, 10));
  EXPECT_EQ(26u, made.size());
  EXPECT_EQ(made, page.EngineId(&ok));
}

TEST_F(SnmpPage, AdvancedDialogShowsDefaultsForWhatItCannotReadAndWritesOnlyOnAValidOk) {
  Defaults();
  for (const char* flag : {"ien", "iet", "ies", "iecn", "ied", "iec"}) Set("", flag, 0);
  Set("", "senderOID", std::string(128, '1'));  // "ieu", "stripCRLF", "resume" are missing
  Set("", "burst", 5);
  const std::string stored = DumpKey("");
  AdvancedSnmpDialog dialog(registry);
  dialog.Load();
  auto& s = dialog.settings();
  EXPECT_FALSE(s.event_category || s.event_computer_name || s.event_description || s.event_number ||
               s.event_source || s.event_type || s.strip_crlf || s.resume);
  EXPECT_TRUE(s.event_user && s.sender_oid.empty() && s.burst);
  EXPECT_EQ(stored, DumpKey(""));
  s.sender_oid = std::string(128, '1');
  EXPECT_EQ("The Sender's OID must not be longer than 127 characters.", dialog.Save().refusal);
  EXPECT_EQ(stored, DumpKey(""));
  s.event_number = s.event_type = s.event_source = s.event_description = true;
  s.event_user = false;
  s.sender_oid = "1.3.6.1.4.1.5";
  s.strip_crlf = s.resume = true;
  s.burst = false;
  ASSERT_TRUE(dialog.Save().saved());
  EXPECT_EQ(std::string(kDefaultRoot) +
                " ien=1 iet=1 ies=1 iecn=0 ieu=0 ied=1 iec=0 senderOID=\"1.3.6.1.4.1.5\" "
                "stripCRLF=1 burst=0 resume=1",
            DumpKey(""));
  dialog.Load();
  EXPECT_EQ("1.3.6.1.4.1.5", s.sender_oid);
}

TEST_F(SnmpPage, LoggingSwitchTogglesOnCtrlThenF5AndFlipsAMissingOrAnyValue) {
  // Ctrl arms it, F5 while armed toggles (again while held), another key
  // leaves it armed, anything that is no key-down (a key-up) disarms it.
  using M = LoggingSwitch::Message;
  LoggingSwitch logging_switch;
  std::string toggles;
  for (M m : {M::kF5KeyDown, M::kCtrlKeyDown, M::kF5KeyDown, M::kF5KeyDown, M::kOther,
              M::kF5KeyDown, M::kCtrlKeyDown, M::kOtherKeyDown, M::kF5KeyDown, M::kOther,
              M::kCtrlKeyDown, M::kOther, M::kF5KeyDown}) {
    toggles += logging_switch.Inspect(m) ? 'T' : '.';
  }
  EXPECT_EQ("..TT....T....", toggles);
  Defaults();
  std::string shown;
  for (const char* expected : {"Logging is now on", "Logging is now off"}) {
    EXPECT_EQ(platform::kRegSuccess, LoggingSwitch::Toggle(registry, &shown));
    EXPECT_EQ(expected, shown);
    EXPECT_EQ(shown == "Logging is now on" ? 1 : 0, StoredNumber(registry, "", "logging"));
  }
  Set("", "logging", 5);
  LoggingSwitch::Toggle(registry, &shown);
  EXPECT_EQ("Logging is now off", shown);
}

// Without the rights to change the store every save fails with the
// registry's error, and the store stays as it was.
TEST_F(SnmpPage, EverySaveReportsAWriteTheStoreRefuses) {
  Defaults();
  registry.RefuseChanges(platform::kErrorAccessDenied);
  const std::string stored = DumpTree();
  CfgSnmp snmp(registry, secrets, crypto);
  snmp.Load();
  AdvancedSnmpDialog advanced(registry);
  Filters filters(registry);
  filters.Append({"EventId", "Include", "1"});
  TrapTypeMap map(registry);
  map.Add("7");
  std::string shown;
  for (platform::RegStatus error :
       {snmp.Save().error, advanced.Save().error, filters.Save(), map.Save(),
        SyslogPage(registry).Save(), LoggingSwitch::Toggle(registry, &shown)}) {
    EXPECT_EQ(platform::kErrorAccessDenied, error);
  }
  EXPECT_EQ("", shown);
  EXPECT_EQ(stored, DumpTree());
}

using Rows = std::vector<FilterRow>;

// Entries after a gap are listed, in number order. One that cannot be read
// in full is listed as kept. A save stores every row in its place, numbered
// from 0: the kept one as stored, and a repeat of a field and type too.
TEST_F(ListPages, FiltersListEveryEntryAndASaveStoresEveryRowInOrder) {
  Defaults();
  for (const char* entry : {"Filters\\0", "Filters\\1", "Filters\\3", "Filters\\10"}) {
    Set(entry, "filterOn", "EventId");
    Set(entry, "filterType", entry);
    Set(entry, "filterList", "1");
  }
  Set("Filters\\1", "filterList", std::string(200, 'x'));  // cannot be read back
  const std::string stored = DumpTree();
  Filters page(registry);
  page.Load();
  EXPECT_EQ(stored, DumpTree());
  EXPECT_EQ((Rows{{"EventId", "Filters\\0", "1"},
                  {"EventId", "Filters\\1", "", config::StoredValues()},
                  {"EventId", "Filters\\3", "1"},
                  {"EventId", "Filters\\10", "1"}}),
            page.rows());
  page.Replace(0, {"EventId", "Include", "a"});
  page.Remove(2);
  page.Append({"EventId", "Include", "b"});
  page.Append(FilterRow{});  // nothing is checked
  EXPECT_EQ(platform::kRegSuccess, page.Save());
  EXPECT_EQ(
      "Filters\n"
      "Filters\\0 filterOn=\"EventId\" filterType=\"Include\" filterList=\"a\"\n"
      "Filters\\1 filterOn=\"EventId\" filterType=\"Filters\\1\" filterList=\"" +
          std::string(200, 'x') +
          "\"\n"
          "Filters\\2 filterOn=\"EventId\" filterType=\"Filters\\10\" filterList=\"1\"\n"
          "Filters\\3 filterOn=\"EventId\" filterType=\"Include\" filterList=\"b\"\n"
          "Filters\\4 filterOn=\"\" filterType=\"\" filterList=\"\"\n",
      DumpTree("Filters"));
  while (!page.rows().empty()) page.Remove(0);
  page.Save();
  EXPECT_EQ("Filters\n", DumpTree("Filters"));  // the key itself stays
}

TEST(FilterDialog, StartsEmptyOrFromTheRowAsTheListsOfferItAndRefusesLongTexts) {
  const struct {
    FilterRow row;
    const char* shown;  // the index of the "Filter On:" entry, the "Filter Type:" text
  } cases[] = {
      {{"EventCategory", "exc", "1"}, "6 Exclude"},
      {{"eventid", "INCLUDE", "1"}, "0 Include"},  // on: exact match only
      {{"Whatever", "Includes", "1"}, "0 Includes"},
      {{"EventUser", "", "1"}, "5 Exclude"},  // every entry begins with ""
  };
  for (const auto& c : cases) {
    FilterConfigDialog dialog(FilterConfigDialog::Mode::kModify, c.row);
    EXPECT_EQ(c.shown, std::to_string(dialog.initial_filter_on_index()) + " " +
                           dialog.initial_filter_type());
    EXPECT_EQ("1 Modify", dialog.initial_filter_list() + " " + dialog.confirm_caption());
  }
  FilterConfigDialog add(FilterConfigDialog::Mode::kAdd, {"EventId", "Include", "1"});
  EXPECT_EQ("-1  Add", std::to_string(add.initial_filter_on_index()) + " " +
                           add.initial_filter_type() + add.initial_filter_list() + " " +
                           add.confirm_caption());
  EXPECT_EQ(
      "The filter type must not be longer than 127 characters.\n"
      "The filter list must not be longer than 127 characters.\n",
      add.Confirm({"EventId", std::string(128, 'I'), std::string(128, '1')}));
  EXPECT_EQ("", add.Confirm({"EventId", "Include", std::string(127, '1')}));
  EXPECT_EQ(std::string(127, '1'), add.result().list);
  EXPECT_EQ("", add.TwinQuestion());
  // A field and type that another row of the list has: asked, not refused.
  const Rows list = {{"EventId", "Exclude", "1"}, {"EventUser", "Include", "x"}};
  FilterConfigDialog twin(FilterConfigDialog::Mode::kAdd, {}, list);
  EXPECT_EQ("", twin.Confirm({"EventId", "Include", "2"}));
  EXPECT_EQ("", twin.TwinQuestion());
  EXPECT_EQ("", twin.Confirm({"EventUser", "Include", "2"}));
  EXPECT_EQ("The list already holds a filter on \"EventUser\" of type \"Include\". Keep both?",
            twin.TwinQuestion());
}

TEST_F(ListPages, MapListsStoredIdsAddsNewOnesAndSavesThemAsNumbers) {
  using Result = TrapTypeMap::AddResult;
  Defaults();
  for (const char* entry : {"Maps\\4624", "Maps\\17", "Maps\\abc"}) Key(entry);
  TrapTypeMap page(registry);
  page.Load();
  EXPECT_EQ((std::vector<std::string>{"17", "4624", "abc"}), page.entries());
  EXPECT_EQ(Result::kDuplicate, page.Add("ABC"));
  EXPECT_EQ(Result::kAdded, page.Add("0017"));
  EXPECT_EQ(Result::kAdded, page.Add("65535"));
  EXPECT_EQ(Result::kOutOfRange, page.Add("65536"));
  EXPECT_EQ(Result::kOutOfRange, page.Add("000001"));
  page.Remove(1);
  page.Save();  // "abc" is stored as 0, "17" and "0017" as one entry
  EXPECT_EQ("Maps\nMaps\\0\nMaps\\17\nMaps\\65535\n", DumpTree("Maps"));
}

// The first save creates the key and drops an exact repeat of host and port.
// A load lists every entry and writes nothing; a save keeps an entry it
// cannot read, as stored, after the rows.
TEST_F(ListPages, SyslogListsEveryEntryAndASaveKeepsTheUnreadableOneLast) {
  Defaults();
  SyslogPage page(registry);
  page.set_use_filters(SyslogPage::ChoiceFromRadios(false, true));
  for (const SyslogRow& row : std::vector<SyslogRow>{
           {"LOGHOST", "514"}, {"gone", "1"}, {"LogHost", "514"}, {"LOGHOST", " 514"}}) {
    page.Append(row);
  }
  page.Remove(1);
  EXPECT_EQ(platform::kRegSuccess, page.Save());
  EXPECT_EQ(
      "Syslog usefilters=1\n"
      "Syslog\\0 sysloghost=\"LOGHOST\" syslogport=514\n"
      "Syslog\\1 sysloghost=\"LogHost\" syslogport=514\n",
      DumpTree("Syslog"));
  registry.DeleteValue(StorePath("Syslog"), "usefilters");  // shown as "Forward Everything"
  registry.DeleteValue(StorePath("Syslog\\1"), "syslogport");
  Set("Syslog\\3", "sysloghost", "after a gap");
  Set("Syslog\\3", "syslogport", 1514);
  const std::string stored = DumpTree();
  page.Load();
  EXPECT_EQ(stored, DumpTree());
  EXPECT_EQ((std::vector<SyslogRow>{{"LOGHOST", "514"},
                                    {"LogHost", "", {}, config::StoredValues()},
                                    {"after a gap", "1514"}}),
            page.rows());
  EXPECT_EQ(SyslogPage::kForwardEverything, page.use_filters());
  page.Replace(0, {"c", "3"});
  page.set_use_filters(SyslogPage::ChoiceFromRadios(false, false));
  EXPECT_EQ(platform::kRegSuccess, page.Save());
  EXPECT_EQ(
      "Syslog usefilters=-1\n"
      "Syslog\\0 sysloghost=\"c\" syslogport=3\n"
      "Syslog\\1 sysloghost=\"after a gap\" syslogport=1514\n"
      "Syslog\\2 sysloghost=\"LogHost\"\n",
      DumpTree("Syslog"));
  EXPECT_EQ(SyslogPage::kForwardEverything, SyslogPage::ChoiceFromRadios(true, false));
  Set("Syslog", "usefilters", 2);  // neither radio button
  page.Load();
  EXPECT_EQ(2, page.use_filters());
}

// The optional values are saved as stored: an entry without them keeps
// having none, a text that names nothing known stays as it stands, and an
// entry with one that cannot be read is kept whole.
TEST_F(ListPages, SyslogKeepsTheOptionalValuesAsStored) {
  Defaults();
  Set("Syslog", "usefilters", 0);
  const struct {
    const char* host;
    std::vector<std::pair<const char*, const char*>> options;
  } entries[] = {{"plain", {}},
                 {"tls", {{"protocol", "TLS"}, {"tlsca", "C:\\ca.pem"}}},
                 {"odd", {{"protocol", "sctp"}, {"format", "RFC5424"}, {"tlsname", ""}}}};
  for (std::size_t i = 0; i < std::size(entries); ++i) {
    const std::string entry = "Syslog\\" + std::to_string(i);
    Set(entry, "sysloghost", entries[i].host);
    Set(entry, "syslogport", 514);
    for (const auto& [name, text] : entries[i].options) Set(entry, name, text);
  }
  Set("Syslog\\3", "sysloghost", "unreadable");
  Set("Syslog\\3", "syslogport", 6514);
  Set("Syslog\\3", "tlsname", 1);
  const std::string stored = DumpTree("Syslog");
  SyslogPage page(registry);
  page.Load();
  std::string captions;
  for (const SyslogRow& row : page.rows()) captions += SyslogPage::ProtocolCaption(row) + " ";
  EXPECT_EQ("UDP TLS sctp UDP ", captions);
  EXPECT_EQ((config::SyslogOptions{"TLS", std::nullopt, std::nullopt, "C:\\ca.pem"}),
            page.rows()[1].options);
  EXPECT_TRUE(page.rows()[3].kept);
  EXPECT_EQ(platform::kRegSuccess, page.Save());
  EXPECT_EQ(stored, DumpTree("Syslog"));
}

TEST(SyslogDialog, StartsFromTheProposalOrTheRowAndTakesAHostAndAPortFrom1To65535) {
  using Dialog = SyslogDestinationDialog;
  Dialog add(Dialog::Mode::kAdd, {"ignored", "1", {"tls"}});
  EXPECT_EQ(" 514 0 0 OK", add.initial().host + " " + add.initial().port_text + " " +
                               std::to_string(add.initial().protocol) + " " +
                               std::to_string(add.initial().format) + " " + add.confirm_caption());
  Dialog modify(Dialog::Mode::kModify, {"host", " 12x", {"Tls", "rfc5424", "name", "ca"}});
  EXPECT_EQ("host 12 2 1 name ca Modify",
            modify.initial().host + " " + modify.initial().port_text + " " +
                std::to_string(modify.initial().protocol) + " " +
                std::to_string(modify.initial().format) + " " + modify.initial().tls_name + " " +
                modify.initial().tls_ca + " " + modify.confirm_caption());
  const std::string too_long(128, 'h');
  const struct {
    Dialog::Fields fields;
    const char* message;  // or, when taken, the port of the row
    Dialog::Field refused;
  } cases[] = {
      {{"", "514"}, Dialog::kNoHost, Dialog::Field::kHost},
      {{"h", ""}, Dialog::kBadPort, Dialog::Field::kPort},
      {{"h", "51a"}, Dialog::kBadPort, Dialog::Field::kPort},
      {{"h", "0"}, Dialog::kBadPort, Dialog::Field::kPort},
      {{"h", "65536"}, Dialog::kBadPort, Dialog::Field::kPort},
      {{"h", " 514 "}, "514", Dialog::Field::kHost},
      {{"h", "65535"}, "65535", Dialog::Field::kHost},
      {{too_long, "514"},
       "The host name or IP address must not be longer than 127 characters.",
       Dialog::Field::kHost},
      {{"h", "514", 2, 0, too_long},
       "The certificate name must not be longer than 127 characters.",
       Dialog::Field::kTlsName},
      {{"h", "514", 2, 0, "", too_long},
       "The CA file's path must not be longer than 127 characters.",
       Dialog::Field::kTlsCa},
  };
  for (const auto& c : cases) {
    Dialog dialog(Dialog::Mode::kAdd, {});
    const std::string message = dialog.Confirm(c.fields);
    EXPECT_EQ(c.message, message.empty() ? dialog.result().port_text : message) << c.message;
    EXPECT_EQ(message.empty() ? c.fields.host : "", dialog.result().host);
    if (!message.empty()) {
      EXPECT_EQ(c.refused, dialog.refused_field()) << c.message;
    }
  }
}

// What is left as shown keeps the stored value, byte for byte; what changed
// is stored in the store's words; an emptied text goes.
TEST(SyslogDialog, ProtocolFormatNameAndCaFileAreStoredOnlyWhenChanged) {
  using Dialog = SyslogDestinationDialog;
  using Options = config::SyslogOptions;
  const SyslogRow stored{"h", "1", {"Tls", std::nullopt, "", "C:\\ca.pem"}};
  const SyslogRow unknown{"h", "1", {"sctp", "syslog", std::nullopt, std::nullopt}};
  const struct {
    Dialog::Mode mode;
    SyslogRow row;
    int protocol, format;
    const char *tls_name, *tls_ca;
    Options expected;
  } cases[] = {
      {Dialog::Mode::kAdd, {}, 0, 0, "", "", {}},
      {Dialog::Mode::kAdd,
       {},
       2,
       1,
       "",
       "C:\\ca.pem",
       {"tls", "rfc5424", std::nullopt, "C:\\ca.pem"}},
      {Dialog::Mode::kModify, stored, 2, 0, "", "C:\\ca.pem", stored.options},
      {Dialog::Mode::kModify,
       stored,
       1,
       0,
       "logs",
       "",
       {"tcp", std::nullopt, "logs", std::nullopt}},
      {Dialog::Mode::kModify, unknown, -1, -1, "", "", unknown.options},
      {Dialog::Mode::kModify,
       unknown,
       0,
       0,
       "",
       "",
       {"udp", "classic", std::nullopt, std::nullopt}},
  };
  for (const auto& c : cases) {
    Dialog dialog(c.mode, c.row);
    EXPECT_EQ(c.row.options.protocol == std::nullopt ? 0
              : c.row.options.protocol == "sctp"     ? -1
                                                     : 2,
              dialog.initial().protocol);
    EXPECT_EQ("", dialog.Confirm({"h", "514", c.protocol, c.format, c.tls_name, c.tls_ca}));
    EXPECT_EQ(c.expected, dialog.result().options) << c.protocol << c.tls_name;
  }
  EXPECT_EQ("6514", Dialog::PortAfterProtocolChange("514", 0, 2));
  EXPECT_EQ("514", Dialog::PortAfterProtocolChange("6514", 2, 1));
  EXPECT_EQ("6514", Dialog::PortAfterProtocolChange("", 1, 2));
  EXPECT_EQ("1514", Dialog::PortAfterProtocolChange("1514", 0, 2));
  EXPECT_EQ("514", Dialog::PortAfterProtocolChange("514", Dialog::kNoItem, 2));
  EXPECT_TRUE(Dialog::TlsChosen(2));
  EXPECT_FALSE(Dialog::TlsChosen(Dialog::kNoItem));
}

}  // namespace
}  // namespace kivo::tool
