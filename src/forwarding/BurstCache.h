#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "forwarding/CalendarClock.h"
#include "platform/Messages.h"
#include "platform/Registry.h"
#include "platform/Secrets.h"
#include "platform/Sockets.h"

namespace kivo::forwarding {

// What in burst mode may be up to a second old: the store (every registry
// read of the loop, the reader and the decoder), the host names that are
// resolved (the trap's agent address, destinations given by name) and the
// message modules the decoder loads. Under a
// flood these lookups, made for every event, would bound the rate. Anything
// read is read again once the clock's second has changed; a write forgets
// every read. Switched off (the default pace) every call goes straight to
// the platform, as it always has.
//
// Freshness is the switch and the second of one cache.
class Freshness {
 public:
  explicit Freshness(CalendarClock clock) : clock_(std::move(clock)) {}

  // True when that switched it on or off: what was kept is then forgotten.
  bool set_caching(bool on);
  bool caching() const { return caching_; }
  // True when what was kept must be forgotten: its second is over, or it
  // was never kept. Marks the current second as the one kept.
  bool Renew();
  void Forget() { second_.reset(); }

 private:
  CalendarClock clock_;
  bool caching_ = false;
  std::optional<std::int64_t> second_;
};

// The registry through a Freshness.
class CachingRegistry : public platform::Registry {
 public:
  CachingRegistry(platform::Registry& registry, CalendarClock clock)
      : registry_(registry), freshness_(std::move(clock)) {}

  void set_caching(bool on) {
    if (freshness_.set_caching(on)) entries_.clear();
  }

  platform::RegStatus Open(const std::string& path,
                           std::unique_ptr<platform::RegistryKey>* key) override;
  platform::RegStatus Create(const std::string& path,
                             std::unique_ptr<platform::RegistryKey>* key) override;

 private:
  class Key;
  struct Value {
    platform::RegStatus status = platform::kRegSuccess;
    platform::RegType type = platform::RegType::kNone;
    std::vector<unsigned char> data;
  };
  // One key as it was found: open or not, and what was read of it.
  struct Entry {
    platform::RegStatus status = platform::kRegSuccess;
    std::unique_ptr<platform::RegistryKey> key;
    std::map<std::string, Value> values;
    std::optional<std::pair<platform::RegStatus, std::uint32_t>> count;
    std::map<std::uint32_t, std::pair<platform::RegStatus, std::string>> names;
  };

  // The entry of a key, opened when it was not kept.
  Entry& Find(const std::string& path);
  // After a write: nothing read before can be trusted.
  void Forget();

  platform::Registry& registry_;
  Freshness freshness_;
  std::map<std::string, Entry> entries_;
};

// The name lookups of the sockets through a Freshness; everything else goes
// straight through.
class CachingSockets : public platform::Sockets {
 public:
  CachingSockets(platform::Sockets& sockets, CalendarClock clock)
      : sockets_(sockets), freshness_(std::move(clock)) {}

  void set_caching(bool on);

  platform::SocketError Startup() override { return sockets_.Startup(); }
  platform::SocketError OpenUdpSocket(platform::SocketHandle* socket) override {
    return sockets_.OpenUdpSocket(socket);
  }
  platform::SocketError AllowBroadcast(platform::SocketHandle socket) override {
    return sockets_.AllowBroadcast(socket);
  }
  platform::SocketError BindToAnyPort(platform::SocketHandle socket) override {
    return sockets_.BindToAnyPort(socket);
  }
  platform::SocketError SendTo(platform::SocketHandle socket, const void* data, std::size_t length,
                               const platform::Ipv4Address& address, std::uint16_t port,
                               std::size_t* sent) override {
    return sockets_.SendTo(socket, data, length, address, port, sent);
  }
  platform::SocketError ReceiveFrom(platform::SocketHandle socket, void* buffer,
                                    std::size_t capacity, std::uint32_t timeout_ms,
                                    std::size_t* received, platform::Ipv4Address* from,
                                    std::uint16_t* from_port) override {
    return sockets_.ReceiveFrom(socket, buffer, capacity, timeout_ms, received, from, from_port);
  }
  void Close(platform::SocketHandle socket) override { sockets_.Close(socket); }
  bool ParseDottedAddress(const std::string& text, platform::Ipv4Address* address) override {
    return sockets_.ParseDottedAddress(text, address);
  }
  platform::SocketError ResolveHostName(const std::string& name,
                                        platform::Ipv4Address* address) override;
  platform::SocketError LocalHostName(std::string* name) override;

 private:
  void Renew();

  platform::Sockets& sockets_;
  Freshness freshness_;
  std::optional<std::pair<platform::SocketError, std::string>> local_name_;
  std::map<std::string, std::pair<platform::SocketError, platform::Ipv4Address>> addresses_;
};

// The stored secrets through a Freshness: while caching, a secret is
// decrypted once a second rather than for every event. What was kept is
// wiped when it is forgotten.
class CachingSecrets : public platform::Secrets {
 public:
  CachingSecrets(platform::Secrets& secrets, CalendarClock clock)
      : secrets_(secrets), freshness_(std::move(clock)) {}
  ~CachingSecrets() override { Forget(); }
  CachingSecrets(const CachingSecrets&) = delete;
  CachingSecrets& operator=(const CachingSecrets&) = delete;

  void set_caching(bool on) {
    if (freshness_.set_caching(on)) Forget();
  }

  platform::Win32Error Write(const std::string& name, std::string_view secret) override {
    Forget();
    return secrets_.Write(name, secret);
  }
  platform::Win32Error Read(const std::string& name, std::string* secret) override;

 private:
  void Forget();

  platform::Secrets& secrets_;
  Freshness freshness_;
  std::map<std::string, std::pair<platform::Win32Error, std::string>> kept_;
};

// The message modules through a Freshness: while caching, a module stays
// loaded and is lent again to every decode of the same second instead of
// being loaded and freed for each event. Kept modules are freed when the
// second is over, but only once no decode holds one (a parameter module is
// loaded while the message module is still in use), and when caching ends.
class CachingMessages : public platform::Messages {
 public:
  CachingMessages(platform::Messages& messages, CalendarClock clock)
      : messages_(messages), freshness_(std::move(clock)) {}
  ~CachingMessages() override { FreeKept(); }
  CachingMessages(const CachingMessages&) = delete;
  CachingMessages& operator=(const CachingMessages&) = delete;

  void set_caching(bool on);

  std::uint32_t ExpandEnvironment(const char* text, char* buffer, std::uint32_t size) override {
    return messages_.ExpandEnvironment(text, buffer, size);
  }
  platform::ModuleHandle LoadDataFile(const char* path) override;
  std::uint32_t Format(std::uint32_t flags, platform::ModuleHandle module, std::uint32_t message_id,
                       char* buffer, std::uint32_t size, const char* const* arguments) override {
    return messages_.Format(flags, module, message_id, buffer, size, arguments);
  }
  void UnloadModule(platform::ModuleHandle module) override;
  bool LookupAccount(const void* sid, char* name, std::uint32_t* name_size, char* domain,
                     std::uint32_t* domain_size) override {
    return messages_.LookupAccount(sid, name, name_size, domain, domain_size);
  }

 private:
  void FreeKept();

  platform::Messages& messages_;
  Freshness freshness_;
  std::map<std::string, platform::ModuleHandle> kept_;  // by path; kNoModule: did not load
  int lent_ = 0;  // kept modules handed out and not given back yet
};

}  // namespace kivo::forwarding
