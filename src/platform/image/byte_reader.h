// Reading numbers and texts out of a file's bytes at offsets the file itself gives, for the
// image's readers of binary formats: whatever would lie past the end of the bytes is absent,
// never read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// A range of bytes read as little-endian numbers and terminated texts; whatever would lie
// past its end is absent.
class ByteReader {
 public:
  explicit ByteReader(std::string_view data) : data_(data) {}

  std::size_t Size() const { return data_.size(); }

  std::optional<std::string_view> Range(std::size_t at, std::size_t length) const {
    if (at > data_.size() || length > data_.size() - at) return std::nullopt;
    return data_.substr(at, length);
  }

  std::optional<std::uint32_t> U16(std::size_t at) const { return Number(at, 2); }
  std::optional<std::uint32_t> U32(std::size_t at) const { return Number(at, 4); }

  // The text at the offset, of units of unitSize bytes, up to its zero unit or else to the
  // last whole unit of the range. Offset 0 is the header's own: no text.
  std::optional<std::string> Text(std::size_t at, std::size_t unitSize) const {
    if (at == 0 || at >= data_.size()) return std::nullopt;
    std::size_t end = at;
    while (end + unitSize <= data_.size() &&
           data_.substr(end, unitSize) != std::string_view("\0\0", unitSize))
      end += unitSize;
    return std::string(data_.substr(at, end - at));
  }

 private:
  std::optional<std::uint32_t> Number(std::size_t at, std::size_t length) const {
    const auto range = Range(at, length);
    if (!range) return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t i = length; i-- > 0;)
      value = value << 8 | static_cast<unsigned char>((*range)[i]);
    return value;
  }

  std::string_view data_;
};

}  // namespace platform
