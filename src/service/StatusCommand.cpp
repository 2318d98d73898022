#include "service/StatusCommand.h"

#include <ostream>

#include "eventlog/LogPositions.h"
#include "eventlog/LogTable.h"
#include "eventlog/RecordNumber.h"
#include "forwarding/ServiceStatus.h"

namespace kivo::service {

namespace {

// Calendar date of a day count since 1970-01-01 (the civil calendar's
// rules, proleptic Gregorian).
void CivilDate(std::int64_t days, std::int64_t* year, unsigned* month, unsigned* day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto day_of_era = static_cast<unsigned>(days - era * 146097);
  const unsigned year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const unsigned day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const unsigned shifted_month = (5 * day_of_year + 2) / 153;
  *day = day_of_year - (153 * shifted_month + 2) / 5 + 1;
  *month = shifted_month < 10 ? shifted_month + 3 : shifted_month - 9;
  *year = static_cast<std::int64_t>(year_of_era) + era * 400 + (*month <= 2 ? 1 : 0);
}

std::string TwoDigits(std::int64_t n) {
  return (n < 10 ? "0" : "") + std::to_string(n);
}

}  // namespace

StatusCommand::StatusCommand(platform::Registry& registry, platform::EventLog& event_log)
    : registry_(registry), event_log_(event_log) {}

std::string StatusCommand::UtcTime(std::int64_t seconds) {
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) rest += 86400, --days;
  std::int64_t year = 0;
  unsigned month = 0, day = 0;
  CivilDate(days, &year, &month, &day);
  return std::to_string(year) + "-" + TwoDigits(month) + "-" + TwoDigits(day) + " " +
         TwoDigits(rest / 3600) + ":" + TwoDigits(rest / 60 % 60) + ":" + TwoDigits(rest % 60) +
         " UTC";
}

std::string StatusCommand::Backlog(const std::string& log_name, std::uint32_t position) {
  const platform::EventLogHandle log = event_log_.Open(log_name);
  if (log == platform::kNoEventLog) {
    return "the log cannot be opened (error " + std::to_string(event_log_.LastError()) + ")";
  }
  std::uint32_t count = 0;
  std::uint32_t oldest = 0;
  const bool known = event_log_.CountRecords(log, &count) && event_log_.OldestRecord(log, &oldest);
  const std::uint32_t error = event_log_.LastError();
  event_log_.Close(log);
  if (!known) return "the log cannot be counted (error " + std::to_string(error) + ")";
  if (count == 0) return "the log is empty, 0 records wait";
  // Record numbers go on past the top: a position outside the log (records
  // lost, or a log cleared since) leaves every record of it waiting.
  const eventlog::RecordNumber first(oldest);
  const eventlog::RecordNumber next(position);
  const std::uint32_t read = next.Since(first);
  const std::uint32_t waiting = read <= count ? count - read : count;
  return "newest record " + std::to_string((first + count - 1).value()) + ", " +
         std::to_string(waiting) + (waiting == 1 ? " record waits" : " records wait");
}

void StatusCommand::Print(std::ostream& out, std::int64_t now) {
  const std::optional<forwarding::ServiceStatus> status =
      forwarding::ReadPublishedStatus(registry_);
  // The service publishes every second while it runs, but for the longest
  // wait inside one event (an inform's tries, 22.5 s; a connection, its
  // handshake and a write, 25 s); a state older than that is from a
  // service that ended without saying so.
  constexpr std::int64_t kStale = 60;
  const bool running = status && status->running && now - status->published < kStale;
  if (!status) {
    out << "kivo has published no state: it has not run since it was installed\n";
  } else if (running) {
    out << "kivo is running (state of " << UtcTime(status->published) << ")\n";
  } else {
    out << "kivo is not running (last state of " << UtcTime(status->published) << ")\n";
  }

  for (const char* name : eventlog::kLogNames) {
    out << name << ": ";
    std::optional<std::uint32_t> position;
    if (running) {
      for (const forwarding::ServiceStatus::Log& log : status->logs) {
        if (log.name == name && log.read) position = log.next_record;
      }
      if (!position) {
        out << "not read\n";
        continue;
      }
      out << "next record " << *position;
    } else {
      const eventlog::KeptPosition kept = eventlog::LogPositions::Peek(registry_, name);
      if (!kept.position) {
        out << (kept.damage.empty() ? "no kept position\n"
                                    : "the kept position is damaged (" + kept.damage + ")\n");
        continue;
      }
      position = kept.position->next_record;
      out << "kept position " << *position;
    }
    out << ", " << Backlog(name, *position) << "\n";
  }

  if (!status) return;
  if (running && status->held) {
    out << "held: record " << status->held->record << " of " << status->held->log
        << ", next try in " << status->held->next_try_seconds << " s\n";
  }
  for (const forwarding::ServiceStatus::Destination& d : status->destinations) {
    out << d.label << ": ";
    if (d.failing) {
      out << "failing since " << UtcTime(d.failing_since) << " (" << d.last_error << ")";
    } else {
      out << "working";
    }
    out << ", " << d.sent << " sent, " << d.failed << " failed\n";
  }
}

}  // namespace kivo::service
