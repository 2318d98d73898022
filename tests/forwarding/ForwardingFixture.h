#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "config/RegistryConfig.h"
#include "config/TraceFile.h"
#include "forwarding/EventRecord.h"
#include "perf/UptimeCounter.h"
#include "platform/fake/FakePerfData.h"
#include "platform/fake/FakeRegistry.h"
#include "snmp/SnmpMessage.h"
#include "support/LoopbackListener.h"
#include "support/SystemSockets.h"
#include "support/TestSupport.h"

namespace kivo::testing {

using Bytes = std::vector<std::uint8_t>;

constexpr int kArrives = 5000;   // ms to wait for a datagram that must come
constexpr int kStaysAway = 200;  // ms to wait for one that must not
constexpr std::int64_t kNow = 1733500000;
constexpr std::int64_t kUptimeSeconds = 3600;
constexpr std::int32_t kUptimeTicks = 354000;  // 3600 s less one minute, in hundredths
constexpr char kDefaultEnterprise[] = "1.3.6.1.4.1.5309.6.1.2.1";

// An event in buffers of the sizes the reader gives, for the stages to work on.
struct OwnedEvent {
  OwnedEvent(std::int32_t id, std::int32_t type, std::int32_t category, const std::string& source,
             const std::string& computer, const std::string& user, const std::string& description)
      : id(id), type(type), category(category), description(description) {
    Copy(this->source, source);
    Copy(this->computer, computer);
    Copy(this->user, user);
  }
  forwarding::EventRecord View() {
    return forwarding::EventRecord{id, type, category, source, computer, user, description.data()};
  }
  template <std::size_t N>
  static void Copy(char (&buffer)[N], const std::string& text) {
    std::memset(buffer, 0, N);
    std::memcpy(buffer, text.data(), std::min(text.size(), N - 1));
  }

  std::int32_t id, type, category;
  char source[256];
  char computer[256];
  char user[256];
  std::string description;
};

inline OwnedEvent StartedEvent() {
  return OwnedEvent(6005, 3, 0, "EventLog", "KIVOHOST", "Not Specified", "Started");
}

inline Bytes Encode(const snmp::SnmpMessage& message) {
  Bytes bytes(message.EncodedSize());
  std::uint8_t* cursor = bytes.data();
  message.Encode(cursor);
  return bytes;
}

inline Bytes BytesOf(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

// An in-memory store with the defaults and the trap options, real sockets,
// a trap listener that "destination" and "port" point at, the uptime of a
// machine up for an hour, and a fresh current directory for the trace.
class StoreFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(platform::kSocketOk, sockets_.Startup());
    ASSERT_NE(0, trap_listener_.Port());
    perf_.set_uptime_seconds(kUptimeSeconds);
    config_ = std::make_unique<config::RegistryConfig>(registry_, nullptr);
    config_->SetDestination("127.0.0.1");
    config_->SetPort(trap_listener_.Port());
    for (const char* flag : {"iec", "iecn", "ied", "ien", "ies", "iet", "ieu"}) {
      config_->WriteNumber(flag, 1);
    }
    config_->SetSenderOid("");
    config_->SetStripCrlf(0);
    config_->SetLogging(0);
    // The agent address of SNMPv1 traps: this machine's first address.
    std::string name;
    platform::Ipv4Address address{};
    agent_ = sockets_.LocalHostName(&name) == platform::kSocketOk &&
                     sockets_.ResolveHostName(name, &address) == platform::kSocketOk
                 ? platform::FormatDotted(address)
                 : "240.30.20.10";
  }

  void SetNumber(const char* name, std::int32_t value) {
    config_->Open("");
    config_->WriteNumber(name, value);
  }
  void SetText(const char* name, const std::string& value) {
    config_->Open("");
    config_->WriteText(name, value);
  }
  void DeleteRootValue(const char* name) {
    ASSERT_EQ(platform::kRegSuccess, registry_.DeleteValue(config::names::kRootPath, name));
  }

  // Writes a list entry by number, so that tests can leave gaps.
  void WriteEntry(const char* list, std::int32_t number, const std::vector<std::string>& names,
                  const std::vector<std::string>& values) {
    config_->set_create(true);
    config_->Open(list);
    config_->OpenEntry(number);
    for (std::size_t i = 0; i < names.size(); ++i) config_->WriteText(names[i].c_str(), values[i]);
    config_->set_create(false);
  }
  void AddFilter(const std::string& on, const std::string& type, const std::string& list) {
    ASSERT_TRUE(config_->AddFilter(on, type, list));
  }
  void UseSyslog(std::int32_t use_filters) {
    config_->set_create(true);
    config_->Open(config::names::kSyslog);
    config_->WriteNumber(config::names::kUseFilters, use_filters);
    config_->set_create(false);
  }
  void AddSyslog(const std::string& host, std::int32_t port) {
    ASSERT_TRUE(config_->AddSyslogHost(host, port));
  }
  void AddMap(std::int32_t id) { config_->AddMap(id); }

  std::string Trace() { return ReadFileBytes(config::TraceFile::kFileName); }
  Bytes ReceiveTrap() {
    auto received = trap_listener_.Receive(kArrives);
    return received ? *received : Bytes();
  }

  ScopedTempDir dir_;
  platform::FakeRegistry registry_;
  platform::FakePerfData perf_;
  SystemSockets sockets_;
  LoopbackListener trap_listener_;
  std::unique_ptr<config::RegistryConfig> config_;
  std::string agent_;
};

}  // namespace kivo::testing
