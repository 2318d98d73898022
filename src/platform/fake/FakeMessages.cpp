#include "platform/fake/FakeMessages.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>

#include "platform/fake/UpperCase.h"

namespace kivo::platform {

namespace {

std::string Trim(const std::string& text) {
  const auto begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return std::string();
  const auto end = text.find_last_not_of(" \t\r");
  return text.substr(begin, end - begin + 1);
}

std::uint32_t ParseNumber(const std::string& text) {
  return static_cast<std::uint32_t>(std::stoul(Trim(text), nullptr, 0));
}

// Expands one message text as FormatMessage does; false when it does not
// fit `size` bytes with its zero.
bool Expand(const std::string& text, std::uint32_t flags, const char* const* arguments,
            std::string* out) {
  const bool ignore_inserts = (flags & kFormatIgnoreInserts) != 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%' || i + 1 >= text.size()) {
      *out += text[i];
      continue;
    }
    const char next = text[i + 1];
    if (next >= '1' && next <= '9') {
      std::size_t end = i + 2;
      if (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
      std::size_t format_end = end;
      if (format_end < text.size() && text[format_end] == '!') {
        const auto close = text.find('!', format_end + 1);
        if (close != std::string::npos) format_end = close + 1;
      }
      if (ignore_inserts) {
        out->append(text, i, format_end - i);
      } else {
        if (arguments == nullptr) return false;
        const int number = std::stoi(text.substr(i + 1, end - i - 1));
        *out += arguments[number - 1];
      }
      i = format_end - 1;
      continue;
    }
    ++i;
    switch (next) {
      case '0':
        return true;
      case 'n':
        *out += "\r\n";
        break;
      case 'r':
        *out += '\r';
        break;
      case 't':
        *out += '\t';
        break;
      case 'b':
        *out += ' ';
        break;
      case '%':
        *out += ignore_inserts ? "%%" : "%";
        break;
      default:
        *out += next;
        break;  // %. %! and "% "
    }
  }
  return true;
}

}  // namespace

void FakeMessages::SetEnvironment(const std::string& name, const std::string& value) {
  environment_[UpperCase(name)] = value;
}

void FakeMessages::AddModule(const std::string& path, Table table) {
  modules_[UpperCase(path)] = std::move(table);
}

void FakeMessages::AddModuleFromMc(const std::string& path, const std::string& mc_source) {
  AddModule(path, ParseMc(mc_source));
}

FakeMessages::Table FakeMessages::ParseMc(const std::string& mc_source) {
  Table table;
  std::istringstream in(mc_source);
  std::string line;
  std::uint32_t id = 0;
  std::uint32_t severity = 0;
  std::uint32_t facility = 0;
  const std::map<std::string, std::uint32_t> severities = {
      {"Success", 0}, {"Informational", 1}, {"Warning", 2}, {"Error", 3}};
  const std::map<std::string, std::uint32_t> facilities = {{"System", 0xFF},
                                                           {"Application", 0xFFF}};
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == ';') continue;
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = Trim(line.substr(0, equals));
    const std::string value = Trim(line.substr(equals + 1));
    if (key == "MessageId") {
      id = ParseNumber(value);
    } else if (key == "Severity") {
      severity = severities.at(value);
    } else if (key == "Facility") {
      facility = facilities.at(value);
    } else if (key == "Language") {
      std::string text;
      while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == ".") break;
        text += line + "\r\n";
      }
      table[severity << 30 | facility << 16 | id] = text;
    }
  }
  return table;
}

std::uint32_t FakeMessages::ExpandEnvironment(const char* text, char* buffer, std::uint32_t size) {
  std::string out;
  const std::string in(text);
  for (std::size_t i = 0; i < in.size(); ++i) {
    const auto close = in[i] == '%' ? in.find('%', i + 1) : std::string::npos;
    if (close != std::string::npos) {
      auto found = environment_.find(UpperCase(in.substr(i + 1, close - i - 1)));
      if (found != environment_.end()) {
        out += found->second;
        i = close;
        continue;
      }
    }
    out += in[i];
  }
  const auto needed = static_cast<std::uint32_t>(out.size() + 1);
  if (needed <= size) std::memcpy(buffer, out.c_str(), needed);
  return needed;
}

ModuleHandle FakeMessages::LoadDataFile(const char* path) {
  auto found = modules_.find(UpperCase(path));
  if (found == modules_.end()) return kNoModule;
  const ModuleHandle handle = next_module_++;
  loaded_tables_[handle] = &found->second;
  ++loaded_;
  return handle;
}

void FakeMessages::UnloadModule(ModuleHandle module) {
  if (loaded_tables_.erase(module) == 1) --loaded_;
}

std::uint32_t FakeMessages::Format(std::uint32_t flags, ModuleHandle module,
                                   std::uint32_t message_id, char* buffer, std::uint32_t size,
                                   const char* const* arguments) {
  ++formats_;
  const std::string* text = nullptr;
  auto table = loaded_tables_.find(module);
  if ((flags & kFormatFromHmodule) != 0 && table != loaded_tables_.end()) {
    auto found = table->second->find(message_id);
    if (found != table->second->end()) text = &found->second;
  }
  if (text == nullptr && (flags & kFormatFromSystem) != 0) {
    auto found = system_.find(message_id);
    if (found != system_.end()) text = &found->second;
  }
  std::string out;
  if (text == nullptr ||
      !Expand(*text, flags, (flags & kFormatArgumentArray) != 0 ? arguments : nullptr, &out) ||
      out.size() + 1 > size) {
    return 0;
  }
  std::memcpy(buffer, out.c_str(), out.size() + 1);
  return static_cast<std::uint32_t>(out.size());
}

void FakeMessages::AddAccount(const std::vector<unsigned char>& sid, const std::string& name,
                              const std::string& domain) {
  accounts_[sid] = {name, domain};
}

bool FakeMessages::LookupAccount(const void* sid, char* name, std::uint32_t* name_size,
                                 char* domain, std::uint32_t* domain_size) {
  const auto* bytes = static_cast<const unsigned char*>(sid);
  const std::vector<unsigned char> key(bytes, bytes + 8 + 4 * bytes[1]);
  auto found = accounts_.find(key);
  if (found == accounts_.end()) return false;
  const auto& [account, account_domain] = found->second;
  if (account.size() + 1 > *name_size || account_domain.size() + 1 > *domain_size) {
    *name_size = static_cast<std::uint32_t>(account.size() + 1);
    *domain_size = static_cast<std::uint32_t>(account_domain.size() + 1);
    return false;
  }
  std::memcpy(name, account.c_str(), account.size() + 1);
  std::memcpy(domain, account_domain.c_str(), account_domain.size() + 1);
  *name_size = static_cast<std::uint32_t>(account.size());
  *domain_size = static_cast<std::uint32_t>(account_domain.size());
  return true;
}

}  // namespace kivo::platform
