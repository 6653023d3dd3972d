// UTF-16 conversions of the image's code pages through the host's iconv.
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "platform/code_page.h"

namespace platform {

namespace {

// One conversion between encodings named as iconv names them; undone on destruction.
class Converter {
 public:
  Converter(const std::string& to, const std::string& from)
      : handle_(iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (Usable()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool Usable() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of in; at a sequence it cannot convert, replace(in, out) appends what
  // stands for it and returns how many input bytes it consumed.
  template <typename Replace>
  void Run(std::string_view in, std::string& out, Replace replace) {
    char* source = const_cast<char*>(in.data());
    std::size_t left = in.size();
    char buffer[4096];
    while (left > 0) {
      char* target = buffer;
      std::size_t room = sizeof buffer;
      const std::size_t result = iconv(handle_, &source, &left, &target, &room);
      out.append(buffer, target);
      if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
      const std::size_t used = replace(std::string_view(source, left), out);
      source += used;
      left -= used;
      iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    }
  }

 private:
  iconv_t handle_;
};

std::string CodePageName(unsigned number) {
  return "CP" + std::to_string(number);
}

void AppendUnit(std::string& bytes, char16_t unit) {
  bytes += static_cast<char>(unit & 0xFF);
  bytes += static_cast<char>(unit >> 8);
}

}  // namespace

std::string CodePage::ToUtf16Bytes(std::string_view text) const {
  std::string bytes;
  Converter converter("UTF-16LE", CodePageName(number_));
  if (!converter.Usable()) {
    for (char c : text) AppendUnit(bytes, static_cast<unsigned char>(c));
    return bytes;
  }
  converter.Run(text, bytes, [this](std::string_view rest, std::string& out) {
    // Bytes the code page leaves undefined keep their value, as the system maps them.
    const unsigned char byte = static_cast<unsigned char>(rest[0]);
    AppendUnit(out, doubleByte_ && byte >= 0x80 ? u'\uFFFD' : byte);
    return std::size_t{1};
  });
  return bytes;
}

std::string CodePage::FromUtf16Bytes(std::string_view bytes) const {
  bytes = bytes.substr(0, bytes.size() & ~std::size_t{1});
  std::string out;
  Converter converter(CodePageName(number_), "UTF-16LE");
  if (!converter.Usable()) {
    for (std::size_t i = 0; i < bytes.size(); i += 2) out += bytes[i + 1] == 0 ? bytes[i] : '?';
    return out;
  }
  converter.Run(bytes, out, [this](std::string_view rest, std::string& result) {
    const char16_t unit =
        static_cast<char16_t>(static_cast<unsigned char>(rest[0]) |
                              (rest.size() > 1 ? static_cast<unsigned char>(rest[1]) << 8 : 0));
    if (!doubleByte_ && unit < 0x100) {
      result += static_cast<char>(unit);  // an undefined byte of the code page, kept
    } else {
      result += '?';
    }
    // A surrogate pair is one character; an unpaired surrogate is one too, and the unit
    // after it is a character of its own.
    const char16_t after = rest.size() >= 4
                               ? static_cast<char16_t>(static_cast<unsigned char>(rest[2]) |
                                                       static_cast<unsigned char>(rest[3]) << 8)
                               : 0;
    const bool pair = unit >= 0xD800 && unit < 0xDC00 && after >= 0xDC00 && after < 0xE000;
    return std::min(rest.size(), std::size_t{pair ? 4u : 2u});
  });
  return out;
}

}  // namespace platform
