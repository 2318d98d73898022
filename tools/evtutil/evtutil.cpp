// evtutil: creates, appends to, clears and dumps classic event log files
// (.evt), the files the .evt-file event log reads. Tests, the end-to-end run
// and the demo write their events with it; administrators can dump .evt
// backups with it.

#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/evtfile/EventRecordCodec.h"
#include "platform/evtfile/EvtFile.h"
#include "platform/evtfile/EvtFileWriter.h"
#include "platform/evtfile/TextCodec.h"

namespace {

using kivo::platform::evt::EventRecordFields;
using kivo::platform::evt::EvtFile;
using kivo::platform::evt::EvtFileWriter;
using kivo::platform::evt::LogState;

constexpr char kUsage[] =
    "usage:\n"
    "  evtutil create FILE [--max-size BYTES] [--retention SECONDS] [--first-number N]\n"
    "  evtutil append FILE --source NAME --id ID [--type TYPE] [--category N]\n"
    "                 [--computer NAME] [--sid SID] [--string TEXT]... [--data HEX]\n"
    "                 [--time SECONDS] [--repeat N [--number-from K] [--every MS]]\n"
    "                 [--dirty] [--clear-first [--keep-numbering]]\n"
    "  evtutil clear FILE [--keep-numbering]\n"
    "  evtutil dump FILE\n"
    "  evtutil --help\n"
    "\n"
    "create   makes an empty log (replacing FILE) of at most BYTES bytes (default\n"
    "         524288, a multiple of 4); once full, the oldest records are overwritten.\n"
    "         Its first record gets number N (default 1); after 4294967295 comes 0.\n"
    "append   adds a record and prints its record number. A missing FILE is created\n"
    "         with the default maximum size.\n"
    "           --id        event identifier, all 32 bits, decimal or 0x hex\n"
    "           --type      success, error, warning, information (default),\n"
    "                       audit-success, audit-failure, or a number\n"
    "           --category  category number (default 0)\n"
    "           --computer  computer name (default KIVOHOST)\n"
    "           --sid       user security identifier, e.g. S-1-5-18 (default none)\n"
    "           --string    an insertion string; repeat for each, in order\n"
    "           --data      binary data as hex digits, e.g. 0a1b2c\n"
    "           --time      time generated and written, seconds since 1970 (default now)\n"
    "           --repeat    append the same record N times (default 1)\n"
    "           --number-from  in every --string, {n} becomes K for the first record,\n"
    "                       K+1 for the next, ...\n"
    "           --every     wait MS milliseconds after each record but the last\n"
    "           --dirty     leave the header stale and marked dirty, as after a\n"
    "                       writer that was not shut down cleanly\n"
    "           --clear-first  clear the log first, in the same run: a clear\n"
    "                       followed at once by the records\n"
    "clear    empties the log, keeping its maximum size; numbering restarts at 1,\n"
    "         or with --keep-numbering goes on (as Windows does since Vista SP1).\n"
    "         Readers that opened the log before find it changed.\n"
    "dump     prints the header and every record, oldest first.\n"
    "\n"
    "Texts are taken as UTF-8 when they are valid UTF-8, else as Windows-1252.\n"
    "Exit status: 0 on success, 1 on a failure, 2 on a usage error.\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "evtutil: %s\n\n%s", problem.c_str(), kUsage);
  return 2;
}

std::u16string Text(const std::string& argument) {
  return kivo::platform::evt::IsValidUtf8(argument) ? kivo::platform::evt::Utf8ToUtf16(argument)
                                                    : kivo::platform::evt::Cp1252ToUtf16(argument);
}

bool ParseNumber(const std::string& text, std::uint64_t max, std::uint64_t* value) {
  if (text.empty() || text[0] == '-') return false;
  char* end = nullptr;
  const unsigned long long parsed = std::strtoull(text.c_str(), &end, 0);
  if (*end != '\0' || parsed > max) return false;
  *value = parsed;
  return true;
}

bool ParseType(const std::string& text, std::uint16_t* type) {
  const std::pair<const char*, std::uint16_t> names[] = {
      {"success", 0},     {"error", 1},         {"warning", 2},
      {"information", 4}, {"audit-success", 8}, {"audit-failure", 16}};
  for (const auto& [name, value] : names) {
    if (text == name) {
      *type = value;
      return true;
    }
  }
  std::uint64_t number = 0;
  if (!ParseNumber(text, 0xFFFF, &number)) return false;
  *type = static_cast<std::uint16_t>(number);
  return true;
}

// "S-1-<authority>-<sub>-..." into the binary layout of a SID.
bool ParseSid(const std::string& text, std::vector<unsigned char>* sid) {
  if (text.rfind("S-1-", 0) != 0) return false;
  std::vector<std::uint64_t> parts;
  std::string::size_type start = 4;
  while (true) {
    const auto dash = text.find('-', start);
    std::uint64_t part = 0;
    if (!ParseNumber(text.substr(start, dash - start), 0xFFFFFFFFFFFFull, &part)) return false;
    parts.push_back(part);
    if (dash == std::string::npos) break;
    start = dash + 1;
  }
  if (parts.size() > 16) return false;
  sid->assign({1, static_cast<unsigned char>(parts.size() - 1)});
  for (int shift = 40; shift >= 0; shift -= 8) {
    sid->push_back(static_cast<unsigned char>(parts[0] >> shift));
  }
  for (std::size_t i = 1; i < parts.size(); ++i) {
    if (parts[i] > 0xFFFFFFFFu) return false;
    for (int k = 0; k < 4; ++k) sid->push_back(static_cast<unsigned char>(parts[i] >> (8 * k)));
  }
  return true;
}

std::string SidText(const std::vector<unsigned char>& sid) {
  if (sid.size() < 8 || sid.size() != 8 + 4u * sid[1]) return "(malformed)";
  std::uint64_t authority = 0;
  for (int i = 2; i < 8; ++i) authority = authority << 8 | sid[i];
  std::string text = "S-" + std::to_string(sid[0]) + "-" + std::to_string(authority);
  for (std::size_t i = 8; i < sid.size(); i += 4) {
    text += "-" + std::to_string(kivo::platform::evt::Load32(&sid[i]));
  }
  return text;
}

bool ParseHex(const std::string& text, std::vector<unsigned char>* bytes) {
  if (text.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    std::uint64_t byte = 0;
    const std::string pair = "0x" + text.substr(i, 2);
    if (!std::isxdigit(static_cast<unsigned char>(text[i])) ||
        !std::isxdigit(static_cast<unsigned char>(text[i + 1])) ||
        !ParseNumber(pair, 0xFF, &byte)) {
      return false;
    }
    bytes->push_back(static_cast<unsigned char>(byte));
  }
  return true;
}

// The text with every "{n}" replaced by the number.
std::string Numbered(std::string text, std::uint64_t number) {
  const std::string digits = std::to_string(number);
  for (auto at = text.find("{n}"); at != std::string::npos;
       at = text.find("{n}", at + digits.size())) {
    text.replace(at, 3, digits);
  }
  return text;
}

int Create(const std::string& path, const std::vector<std::string>& options) {
  std::uint64_t max_size = EvtFileWriter::kDefaultMaxSize;
  std::uint64_t retention = 0;
  std::uint64_t first_number = 1;
  for (std::size_t i = 0; i < options.size(); i += 2) {
    if (i + 1 >= options.size()) return Usage(options[i] + " needs a value");
    const std::string& value = options[i + 1];
    if (options[i] == "--max-size") {
      if (!ParseNumber(value, 0xFFFFFFFFu, &max_size)) return Usage("bad --max-size " + value);
    } else if (options[i] == "--retention") {
      if (!ParseNumber(value, 0xFFFFFFFFu, &retention)) return Usage("bad --retention " + value);
    } else if (options[i] == "--first-number") {
      if (!ParseNumber(value, 0xFFFFFFFFu, &first_number)) {
        return Usage("bad --first-number " + value);
      }
    } else {
      return Usage("unknown option " + options[i]);
    }
  }
  EvtFileWriter writer(path);
  if (!writer.Create(static_cast<std::uint32_t>(max_size), static_cast<std::uint32_t>(retention),
                     static_cast<std::uint32_t>(first_number))) {
    std::fprintf(stderr, "evtutil: %s\n", writer.error().c_str());
    return 1;
  }
  return 0;
}

int Append(const std::string& path, const std::vector<std::string>& options) {
  EventRecordFields fields;
  fields.event_type = 4;
  fields.computer = u"KIVOHOST";
  fields.time_generated = static_cast<std::uint32_t>(std::time(nullptr));
  bool have_source = false, have_id = false, dirty = false, numbered = false;
  bool clear_first = false, keep_numbering = false;
  std::uint64_t repeat = 1, first_number = 1, every = 0;
  std::vector<std::string> strings;
  const std::map<std::string, bool*> flags = {
      {"--dirty", &dirty}, {"--clear-first", &clear_first}, {"--keep-numbering", &keep_numbering}};
  for (std::size_t i = 0; i < options.size(); ++i) {
    const std::string& option = options[i];
    if (const auto flag = flags.find(option); flag != flags.end()) {
      *flag->second = true;
      continue;
    }
    if (i + 1 >= options.size()) return Usage(option + " needs a value");
    const std::string& value = options[++i];
    std::uint64_t number = 0;
    if (option == "--source") {
      fields.source = Text(value);
      have_source = true;
    } else if (option == "--id") {
      if (!ParseNumber(value, 0xFFFFFFFFu, &number)) return Usage("bad --id " + value);
      fields.event_id = static_cast<std::uint32_t>(number);
      have_id = true;
    } else if (option == "--type") {
      if (!ParseType(value, &fields.event_type)) return Usage("bad --type " + value);
    } else if (option == "--category") {
      if (!ParseNumber(value, 0xFFFF, &number)) return Usage("bad --category " + value);
      fields.event_category = static_cast<std::uint16_t>(number);
    } else if (option == "--computer") {
      fields.computer = Text(value);
    } else if (option == "--sid") {
      if (!ParseSid(value, &fields.user_sid)) return Usage("bad --sid " + value);
    } else if (option == "--string") {
      strings.push_back(value);
    } else if (option == "--data") {
      if (!ParseHex(value, &fields.data)) return Usage("bad --data " + value);
    } else if (option == "--time") {
      if (!ParseNumber(value, 0xFFFFFFFFu, &number)) return Usage("bad --time " + value);
      fields.time_generated = static_cast<std::uint32_t>(number);
    } else if (option == "--repeat") {
      if (!ParseNumber(value, 0xFFFFFFFFu, &repeat)) return Usage("bad --repeat " + value);
    } else if (option == "--number-from") {
      if (!ParseNumber(value, 0xFFFFFFFFu, &first_number))
        return Usage("bad --number-from " + value);
      numbered = true;
    } else if (option == "--every") {
      if (!ParseNumber(value, 3600000, &every)) return Usage("bad --every " + value);
    } else {
      return Usage("unknown option " + option);
    }
  }
  if (!have_source || !have_id) return Usage("append needs --source and --id");
  if (strings.size() > 0xFFFF) return Usage("too many --string");
  if (keep_numbering && !clear_first) return Usage("--keep-numbering needs --clear-first");
  fields.time_written = fields.time_generated;

  EvtFileWriter writer(path);
  if (std::FILE* existing = std::fopen(path.c_str(), "rb")) {
    std::fclose(existing);
  } else if (!writer.Create(EvtFileWriter::kDefaultMaxSize)) {
    std::fprintf(stderr, "evtutil: %s\n", writer.error().c_str());
    return 1;
  }
  if (clear_first && !writer.Clear(keep_numbering)) {
    std::fprintf(stderr, "evtutil: %s\n", writer.error().c_str());
    return 1;
  }
  for (std::uint64_t i = 0; i < repeat; ++i) {
    if (i > 0 && every > 0) std::this_thread::sleep_for(std::chrono::milliseconds(every));
    if (i == 0 || numbered) {
      fields.strings.clear();
      for (const std::string& text : strings) {
        fields.strings.push_back(Text(numbered ? Numbered(text, first_number + i) : text));
      }
    }
    std::uint32_t number = 0;
    if (!writer.Append(fields, &number, dirty)) {
      std::fprintf(stderr, "evtutil: %s\n", writer.error().c_str());
      return 1;
    }
    if (i + 1 == repeat) std::printf("%u\n", number);
  }
  return 0;
}

int Clear(const std::string& path, const std::vector<std::string>& options) {
  const bool keep_numbering = options.size() == 1 && options[0] == "--keep-numbering";
  if (!options.empty() && !keep_numbering) return Usage("clear takes only --keep-numbering");
  EvtFileWriter writer(path);
  if (!writer.Clear(keep_numbering)) {
    std::fprintf(stderr, "evtutil: %s\n", writer.error().c_str());
    return 1;
  }
  return 0;
}

std::string Quoted(const std::u16string& text) {
  return "\"" + kivo::platform::evt::Utf16ToUtf8(text) + "\"";
}

int Dump(const std::string& path) {
  EvtFile file(path, false);
  LogState state;
  if (!file.LoadState(&state)) {
    std::fprintf(stderr, "evtutil: %s: not a sound event log file\n", path.c_str());
    return 1;
  }
  std::printf("log %s: records %u, oldest %u, next %u, maximum size %u, flags 0x%x%s%s\n",
              path.c_str(), state.count(), state.oldest, state.current, state.max_size, state.flags,
              (state.flags & kivo::platform::evt::kFlagDirty) ? " dirty" : "",
              (state.flags & kivo::platform::evt::kFlagWrapped) ? " wrapped" : "");
  std::uint32_t offset = state.start;
  std::vector<unsigned char> raw;
  for (std::uint32_t n = state.oldest; state.Holds(n); ++n) {
    EventRecordFields f;
    if (!file.ReadRecord(state, offset, &raw) ||
        !kivo::platform::evt::DecodeRecord(raw.data(), static_cast<std::uint32_t>(raw.size()),
                                           kivo::platform::evt::RecordEncoding::kUtf16, &f) ||
        f.record_number != n) {
      std::fprintf(stderr, "evtutil: %s: record %u is damaged\n", path.c_str(), n);
      return 1;
    }
    std::printf("record %u: id %u (0x%08X, code %u) type %u category %u time %u\n", n, f.event_id,
                f.event_id, f.event_id & 0xFFFF, f.event_type, f.event_category, f.time_generated);
    std::printf("  source %s computer %s user %s\n", Quoted(f.source).c_str(),
                Quoted(f.computer).c_str(),
                f.user_sid.empty() ? "none" : SidText(f.user_sid).c_str());
    for (std::size_t k = 0; k < f.strings.size(); ++k) {
      std::printf("  string %zu %s\n", k + 1, Quoted(f.strings[k]).c_str());
    }
    if (!f.data.empty()) {
      std::printf("  data ");
      for (unsigned char byte : f.data) std::printf("%02x", byte);
      std::printf("\n");
    }
    offset = EvtFile::Advance(state, offset, static_cast<std::uint32_t>(raw.size()));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage("no command");
  if (args[0] == "--help" || args[0] == "-h") {
    std::printf("%s", kUsage);
    return 0;
  }
  if (args.size() < 2) return Usage(args[0] + " needs a FILE");
  const std::string& command = args[0];
  const std::string& path = args[1];
  const std::vector<std::string> options(args.begin() + 2, args.end());
  if (command == "create") return Create(path, options);
  if (command == "append") return Append(path, options);
  if (command == "clear") return Clear(path, options);
  if (command == "dump") return options.empty() ? Dump(path) : Usage("dump takes no options");
  return Usage("unknown command " + command);
}
