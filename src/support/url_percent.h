// Percent-encoding for the URL parser: the encode sets of each URL component
// and the byte-wise encoder that writes into the URL being built.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "support/utf8.h"

namespace qosa::support::url_detail {

// The bytes a component must percent-encode. Every byte of a non-ASCII
// character is in every set, so encoding bytes one by one encodes the
// character's UTF-8 form.
class PercentEncodeSet {
 public:
  // C0 controls and everything above '~'.
  static constexpr PercentEncodeSet c0_control() {
    PercentEncodeSet set;
    set.low_ = 0xFFFFFFFFu;
    set.high_ = std::uint64_t{1} << 63;  // 0x7F
    return set;
  }

  constexpr PercentEncodeSet with(std::string_view extra) const {
    PercentEncodeSet set = *this;
    for (char c : extra) {
      const auto b = static_cast<unsigned char>(c);
      if (b < 64) {
        set.low_ |= std::uint64_t{1} << b;
      } else {
        set.high_ |= std::uint64_t{1} << (b - 64);
      }
    }
    return set;
  }

  constexpr bool contains(unsigned char b) const {
    if (b < 64) return (low_ >> b) & 1;
    if (b < 128) return (high_ >> (b - 64)) & 1;
    return true;
  }

 private:
  std::uint64_t low_ = 0;   // bytes 0x00-0x3F
  std::uint64_t high_ = 0;  // bytes 0x40-0x7F
};

inline constexpr PercentEncodeSet c0_control_set = PercentEncodeSet::c0_control();
inline constexpr PercentEncodeSet fragment_set = c0_control_set.with(" \"<>`");
inline constexpr PercentEncodeSet query_set = c0_control_set.with(" \"#<>");
inline constexpr PercentEncodeSet special_query_set = query_set.with("'");
inline constexpr PercentEncodeSet path_set = query_set.with("?^`{}");
inline constexpr PercentEncodeSet userinfo_set = path_set.with("/:;=@[\\]^|");

inline void append_percent_encoded(std::string& out, unsigned char b) {
  static constexpr char hex[] = "0123456789ABCDEF";
  const char encoded[3] = {'%', hex[b >> 4], hex[b & 0xF]};
  out.append(encoded, 3);
}

inline void append_encoded(std::string& out, unsigned char b, const PercentEncodeSet& set) {
  if (set.contains(b)) {
    append_percent_encoded(out, b);
  } else {
    out.push_back(static_cast<char>(b));
  }
}

// Appends runs of bytes that need no encoding in one piece.
inline void append_encoded(std::string& out, std::string_view text, const PercentEncodeSet& set) {
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (set.contains(b)) {
      out.append(text.data() + run, i - run);
      append_percent_encoded(out, b);
      run = i + 1;
    }
  }
  out.append(text.data() + run, text.size() - run);
}

// `bytes` with every invalid UTF-8 sequence replaced by U+FFFD, as a URL
// parser decodes its input.
inline std::string with_replacement_characters(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    const auto error = validate_utf8(bytes);
    if (!error) {
      out.append(bytes);
      break;
    }
    out.append(bytes.substr(0, error->valid_up_to));
    out.append("\xEF\xBF\xBD");
    bytes.remove_prefix(error->length ? error->valid_up_to + *error->length : bytes.size());
  }
  return out;
}

}  // namespace qosa::support::url_detail
