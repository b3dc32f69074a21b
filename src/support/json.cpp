#include "support/json.h"

#include <algorithm>
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
    case boost::json::kind::int64: out += std::to_string(v.get_int64()); break;
    case boost::json::kind::uint64: out += std::to_string(v.get_uint64()); break;
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

void append_json_string(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.push_back('"');
  std::size_t run = 0;  // start of the pending run of bytes that need no escape
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out.append(text.data() + run, i - run);
    run = i + 1;
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        out += "\\u00";
        out.push_back(kHex[c >> 4]);
        out.push_back(kHex[c & 15]);
    }
  }
  out.append(text.data() + run, text.size() - run);
  out.push_back('"');
}

void append_json(std::string& out, const boost::json::value& value) { append_value(out, value); }

std::string to_json_text(const boost::json::value& value) {
  std::string out;
  append_value(out, value);
  return out;
}

}  // namespace qosa::support
