#include "forwarding/NotificationSender.h"

#include <utility>

#include "config/RegistryConfig.h"
#include "forwarding/TrapDatagram.h"

namespace kivo::forwarding {

namespace names = config::names;
using snmp::SecurityLevel;

namespace {

void Wipe(std::string& text) {
  if (!text.empty()) platform::WipeSecret(&text[0], text.size());
  text.clear();
}

// A passphrase as read from the stored secrets, wiped when it goes.
struct Passphrase {
  Passphrase() = default;
  Passphrase(const Passphrase&) = delete;
  Passphrase& operator=(const Passphrase&) = delete;
  ~Passphrase() { Wipe(text); }
  std::string text;
};

// Reads a stored passphrase into *out; or why it cannot be had. The reason
// names the secret, never its content.
std::optional<std::string> ReadPassphrase(platform::Secrets& secrets, const char* name,
                                          Passphrase* out) {
  const platform::Win32Error error = secrets.Read(name, &out->text);
  if (error == 0) return std::nullopt;
  Wipe(out->text);
  if (error == platform::kErrorFileNotFound) {
    return std::string("no ") + name + " is stored (kivo -p " + name + ")";
  }
  return std::string(name) + " cannot be read: error " + std::to_string(error);
}

// The user's name, level and hash, when the settings can be used.
struct Choice {
  std::string name;
  SecurityLevel level = SecurityLevel::kNoAuthNoPriv;
  platform::HashAlgorithm auth = platform::HashAlgorithm::kSha1;
};

std::string CannotRead(const char* name) {
  return std::string("cannot read ") + name;
}

std::variant<Choice, std::string> Choose(const UsmSettings& settings) {
  Choice choice;
  if (!settings.user) return CannotRead(names::kV3User);
  choice.name = *settings.user;
  if (!settings.level) return CannotRead(names::kV3Level);
  if (*settings.level < 0 || *settings.level > 2) {
    return std::string(names::kV3Level) + " " + std::to_string(*settings.level) +
           " is not 0, 1 or 2";
  }
  choice.level = static_cast<SecurityLevel>(*settings.level);
  if (choice.level == SecurityLevel::kNoAuthNoPriv) return choice;
  if (!settings.auth) return CannotRead(names::kV3Auth);
  const std::optional<platform::HashAlgorithm> hash = snmp::ParseAuthProtocol(*settings.auth);
  if (!hash) {
    return std::string(names::kV3Auth) + " \"" + *settings.auth +
           "\" is none of SHA, SHA-224, SHA-256, SHA-384 and SHA-512";
  }
  choice.auth = *hash;
  if (choice.level != SecurityLevel::kAuthPriv) return choice;
  if (!settings.priv) return CannotRead(names::kV3Priv);
  if (!snmp::ParsePrivProtocol(*settings.priv)) {
    return std::string(names::kV3Priv) + " \"" + *settings.priv + "\" is not AES";
  }
  return choice;
}

SendOutcome Failed(const std::string& reason, config::TraceFile& trace) {
  trace.Line("trap not sent: ", reason);
  SendOutcome outcome;
  outcome.reason = reason;
  return outcome;
}

}  // namespace

NotificationSender::NotificationSender(platform::Sockets& sockets,
                                       const NotificationPlatform& platform, std::int64_t start_ms)
    : sockets_(sockets),
      platform_(platform),
      start_ms_(start_ms),
      writer_(platform.crypto),
      engine_store_(platform.registry, names::kRootPath) {}

NotificationSender::~NotificationSender() {
  ForgetUser();
}

void NotificationSender::ForgetUser() {
  Wipe(source_.auth_passphrase);
  Wipe(source_.priv_passphrase);
  local_user_.reset();
  user_.reset();
}

SendOutcome NotificationSender::Send(snmp::SnmpMessage& message, const TrapSettings& settings,
                                     config::TraceFile& trace) {
  if (!settings.snmp_v3()) return Inform(message, settings, nullptr, nullptr, trace);
  const std::variant<const snmp::UsmUser*, std::string> user = User(settings.usm);
  if (const std::string* reason = std::get_if<std::string>(&user)) return Failed(*reason, trace);
  const std::variant<snmp::LocalEngine*, std::string> engine = Engine();
  if (const std::string* reason = std::get_if<std::string>(&engine)) return Failed(*reason, trace);
  if (settings.inform) {
    return Inform(message, settings, std::get<0>(user), std::get<0>(engine), trace);
  }
  return SendTrap(message, settings, *std::get<0>(user), *std::get<0>(engine), trace);
}

std::variant<const snmp::UsmUser*, std::string> NotificationSender::User(
    const UsmSettings& settings) {
  std::variant<Choice, std::string> chosen = Choose(settings);
  if (std::string* reason = std::get_if<std::string>(&chosen)) return std::move(*reason);
  const Choice& choice = std::get<Choice>(chosen);
  Passphrase auth;
  Passphrase priv;
  if (choice.level != SecurityLevel::kNoAuthNoPriv) {
    if (auto reason = ReadPassphrase(platform_.secrets, platform::kSecretAuthPassphrase, &auth)) {
      return *reason;
    }
  }
  if (choice.level == SecurityLevel::kAuthPriv) {
    if (auto reason = ReadPassphrase(platform_.secrets, platform::kSecretPrivPassphrase, &priv)) {
      return *reason;
    }
  }
  if (user_ && source_.name == choice.name && source_.level == choice.level &&
      source_.auth == choice.auth && source_.auth_passphrase == auth.text &&
      source_.priv_passphrase == priv.text) {
    return &*user_;
  }
  ForgetUser();
  if (choice.level != SecurityLevel::kNoAuthNoPriv && !platform_.crypto.StartHash(choice.auth)) {
    return *settings.auth + " is not available on this system";
  }
  std::variant<snmp::UsmUser, std::string> derived = snmp::UsmUser::Derive(
      platform_.crypto, choice.name, choice.level, choice.auth, auth.text, priv.text);
  if (std::string* reason = std::get_if<std::string>(&derived)) return std::move(*reason);
  source_.name = choice.name;
  source_.level = choice.level;
  source_.auth = choice.auth;
  source_.auth_passphrase = auth.text;
  source_.priv_passphrase = priv.text;
  user_.emplace(std::move(std::get<snmp::UsmUser>(derived)));
  return &*user_;
}

std::variant<snmp::LocalEngine*, std::string> NotificationSender::Engine() {
  if (engine_) return &*engine_;
  std::variant<snmp::EngineId, std::string> id = engine_store_.KeptId(platform_.crypto);
  if (std::string* reason = std::get_if<std::string>(&id)) return std::move(*reason);
  std::variant<std::uint32_t, std::string> boots = engine_store_.RaiseBoots();
  if (std::string* reason = std::get_if<std::string>(&boots)) return std::move(*reason);
  engine_.emplace(std::get<snmp::EngineId>(id), std::get<std::uint32_t>(boots), platform_.clock,
                  start_ms_);
  return &*engine_;
}

snmp::InformExchange& NotificationSender::Exchange(const TrapSettings& settings) {
  if (!exchange_ || exchange_host_ != settings.destination || exchange_port_ != settings.port) {
    exchange_ = std::make_unique<snmp::InformExchange>(sockets_, platform_.crypto, writer_,
                                                       platform_.clock);
    exchange_host_ = settings.destination;
    exchange_port_ = settings.port;
  }
  return *exchange_;
}

SendOutcome NotificationSender::SendTrap(snmp::SnmpMessage& message, const TrapSettings& settings,
                                         const snmp::UsmUser& user, snmp::LocalEngine& engine,
                                         config::TraceFile& trace) {
  if (!local_user_) {
    local_user_ = snmp::LocalizedUser::Localize(platform_.crypto, user, engine.id());
    if (!local_user_) return Failed("the user's keys cannot be localized", trace);
  }
  snmp::MessageBuffer datagram;
  if (!writer_.Write(message, *local_user_, engine.Now(), engine.id(), writer_.NextMessageId(),
                     false, &datagram)) {
    return Failed("the message cannot be authenticated or encrypted", trace);
  }
  return SendTrapDatagram(sockets_, settings, trace, [&datagram](snmp::UdpEndpoint& endpoint) {
    return endpoint.SendBytes(datagram.data(), static_cast<std::int32_t>(datagram.size()));
  });
}

SendOutcome NotificationSender::Inform(snmp::SnmpMessage& message, const TrapSettings& settings,
                                       const snmp::UsmUser* user, const snmp::LocalEngine* engine,
                                       config::TraceFile& trace) {
  snmp::InformExchange& exchange = Exchange(settings);
  const snmp::InformResult result =
      user != nullptr
          ? exchange.SendV3(message, *user, engine->id(), settings.destination, settings.port,
                            platform_.stop)
          : exchange.SendV2c(message, settings.destination, settings.port, platform_.stop);
  SendOutcome outcome;
  outcome.sent = result.acknowledged();
  if (outcome.sent) {
    trace.Line("inform acknowledged, ", result.datagrams, " datagrams sent");
    return outcome;
  }
  const std::string reason = result.Reason();
  trace.Line("inform not acknowledged: ", reason, ", ", result.datagrams, " datagrams sent");
  using Outcome = snmp::InformResult::Outcome;
  outcome.stopped = result.outcome == Outcome::kStopped;
  if ((result.outcome == Outcome::kNotSent || result.outcome == Outcome::kReceiveFailed) &&
      result.error != 0) {
    // The system's text of the socket's error tells it best.
    outcome.error = static_cast<std::uint32_t>(result.error);
  } else {
    outcome.reason = reason;
  }
  return outcome;
}

}  // namespace kivo::forwarding
