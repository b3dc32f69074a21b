#include "support/json.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <vector>

#include <boost/json.hpp>

namespace qosa::support {

std::string double_text(double d) {
  if (std::isnan(d)) return "NaN";
  if (std::isinf(d)) return d < 0 ? "-inf" : "inf";
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::scientific);
  std::string_view sci(buf, static_cast<std::size_t>(r.ptr - buf));
  std::string out;
  if (sci.front() == '-') {
    out.push_back('-');
    sci.remove_prefix(1);
  }
  const std::size_t e = sci.find('e');
  std::string digits;
  for (char c : sci.substr(0, e)) {
    if (c != '.') digits.push_back(c);
  }
  int sci_exp = 0;
  std::from_chars(sci.data() + e + 1 + (sci[e + 1] == '+'), sci.data() + sci.size(), sci_exp);
  const int length = static_cast<int>(digits.size());
  const int point = sci_exp + 1;  // digits before the decimal point
  if (length <= point && point <= 16) {
    out += digits;
    out.append(static_cast<std::size_t>(point - length), '0');
    out += ".0";
  } else if (0 < point && point <= 16) {
    out += digits.substr(0, static_cast<std::size_t>(point));
    out.push_back('.');
    out += digits.substr(static_cast<std::size_t>(point));
  } else if (-5 < point && point <= 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-point), '0');
    out += digits;
  } else {
    out.push_back(digits[0]);
    if (length > 1) {
      out.push_back('.');
      out += digits.substr(1);
    }
    out.push_back('e');
    out += std::to_string(point - 1);
  }
  return out;
}

namespace {

void append_double(std::string& out, double d) {
  if (!std::isfinite(d)) {
    out += "null";  // JSON has no infinities or NaN
    return;
  }
  out += double_text(d);
}

void append_value(std::string& out, const boost::json::value& v);

void append_object(std::string& out, const boost::json::object& obj) {
  std::vector<const boost::json::key_value_pair*> members;
  members.reserve(obj.size());
  for (const auto& kv : obj) members.push_back(&kv);
  std::sort(members.begin(), members.end(), [](const auto* a, const auto* b) {
    return std::string_view(a->key()) < std::string_view(b->key());
  });
  out.push_back('{');
  bool first = true;
  for (const auto* kv : members) {
    if (!first) out.push_back(',');
    first = false;
    append_json_string(out, kv->key());
    out.push_back(':');
    append_value(out, kv->value());
  }
  out.push_back('}');
}

void append_value(std::string& out, const boost::json::value& v) {
  switch (v.kind()) {
    case boost::json::kind::null: out += "null"; break;
    case boost::json::kind::bool_: out += v.get_bool() ? "true" : "false"; break;
    case boost::json::kind::int64: append_decimal(out, v.get_int64()); break;
    case boost::json::kind::uint64: append_decimal(out, v.get_uint64()); break;
    case boost::json::kind::double_: append_double(out, v.get_double()); break;
    case boost::json::kind::string: append_json_string(out, v.get_string()); break;
    case boost::json::kind::array: {
      out.push_back('[');
      bool first = true;
      for (const auto& e : v.get_array()) {
        if (!first) out.push_back(',');
        first = false;
        append_value(out, e);
      }
      out.push_back(']');
      break;
    }
    case boost::json::kind::object: append_object(out, v.get_object()); break;
  }
}

}  // namespace

namespace {

// The escape of each byte that needs one; empty for the others.
struct Escapes {
  char text[32][7]{};
  std::uint8_t size[256]{};
};

constexpr Escapes escapes = [] {
  constexpr char hex[] = "0123456789abcdef";
  Escapes e;
  for (int c = 0; c < 0x20; ++c) {
    const char u[7] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 15], 0};
    for (int i = 0; i < 7; ++i) e.text[c][i] = u[i];
    e.size[c] = 6;
  }
  const auto short_escape = [&](int c, char letter) {
    e.text[c][0] = '\\';
    e.text[c][1] = letter;
    e.text[c][2] = 0;
    e.size[c] = 2;
  };
  short_escape('\b', 'b');
  short_escape('\f', 'f');
  short_escape('\n', 'n');
  short_escape('\r', 'r');
  short_escape('\t', 't');
  e.size[static_cast<unsigned char>('"')] = 2;
  e.size[static_cast<unsigned char>('\\')] = 2;
  return e;
}();

// The escape of a byte with escapes.size[c] != 0.
std::string_view escape_of(unsigned char c) {
  if (c == '"') return "\\\"";
  if (c == '\\') return "\\\\";
  return {escapes.text[c], escapes.size[c]};
}

constexpr const char* digit_pairs = decimal_digit_pairs.chars;

}  // namespace

void append_json_string(std::string& out, std::string_view text) {
  out.push_back('"');
  std::size_t run = 0;  // start of the pending run of bytes that need no escape
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (escapes.size[c] == 0) continue;
    out.append(text.data() + run, i - run);
    run = i + 1;
    out += escape_of(c);
  }
  out.append(text.data() + run, text.size() - run);
  out.push_back('"');
}

char* write_json_escaped(char* p, std::string_view text) {
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (escapes.size[c] == 0) {
      *p++ = ch;
    } else {
      p = write_bytes(p, escape_of(c));
    }
  }
  return p;
}

char* write_decimal(char* p, std::uint64_t v) {
  char digits[max_decimal_digits];
  char* start = digits + sizeof digits;  // filled from the end
  while (v >= 100) {
    const auto pair = static_cast<std::size_t>(v % 100) * 2;
    v /= 100;
    start -= 2;
    start[0] = digit_pairs[pair];
    start[1] = digit_pairs[pair + 1];
  }
  if (v >= 10) {
    start -= 2;
    start[0] = digit_pairs[v * 2];
    start[1] = digit_pairs[v * 2 + 1];
  } else {
    *--start = static_cast<char>('0' + v);
  }
  const auto n = static_cast<std::size_t>(digits + sizeof digits - start);
  std::memcpy(p, start, n);
  return p + n;
}

void append_decimal(std::string& out, std::uint64_t v) {
  char digits[max_decimal_digits];
  out.append(digits, write_decimal(digits, v));
}

void append_decimal(std::string& out, std::int64_t v) {
  if (v < 0) out += '-';
  // The magnitude as unsigned, so the most negative value is no overflow.
  append_decimal(out, v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v));
}

void append_json(std::string& out, const boost::json::value& value) { append_value(out, value); }

std::string to_json_text(const boost::json::value& value) {
  std::string out;
  append_value(out, value);
  return out;
}

}  // namespace qosa::support
