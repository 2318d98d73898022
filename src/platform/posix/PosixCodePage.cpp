#include <iconv.h>

#include "platform/CodePage.h"

namespace kivo::platform {

namespace {

// One conversion of iconv's, opened for the life of the object.
class Converter {
 public:
  Converter(const std::string& to, const std::string& from)
      : handle_(iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (usable()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool usable() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
  // The whole of `in` converted, or nothing when any of it cannot be.
  std::string Convert(std::string in) {
    char out[16];
    char* in_at = in.data();
    char* out_at = out;
    std::size_t in_left = in.size();
    std::size_t out_left = sizeof(out);
    const bool done =
        iconv(handle_, &in_at, &in_left, &out_at, &out_left) != static_cast<std::size_t>(-1) &&
        in_left == 0;
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    return done ? std::string(out, static_cast<std::size_t>(out_at - out)) : std::string();
  }

 private:
  const iconv_t handle_;
};

}  // namespace

// Through iconv, one UTF-16 unit at a time, so that a character the page
// lacks becomes "?" and the rest goes on. A character that comes back as
// another one is one the page lacks too: iconv's tables hold the best-fit
// substitutes that Windows leaves out here.
std::string ToCodePage(std::uint32_t code_page, std::u16string_view text) {
  const std::string page = "CP" + std::to_string(code_page);
  Converter to_page(page, "UTF-16LE");
  Converter back("UTF-16LE", page);
  const bool known = to_page.usable() && back.usable();
  std::string out;
  out.reserve(text.size());
  for (char16_t unit : text) {
    if (unit < 0x80) {
      out += static_cast<char>(unit);
      continue;
    }
    const std::string wide = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    const std::string converted = known ? to_page.Convert(wide) : std::string();
    out += !converted.empty() && back.Convert(converted) == wide ? converted : "?";
  }
  return out;
}

}  // namespace kivo::platform
