// Compact JSON text of Boost.JSON values. Object members are written sorted
// byte-wise by name, so every object we send reads as a map ordered by name;
// envelopes whose order is fixed are written member by member by their owners.
#pragma once

#include <boost/json/value.hpp>
#include <string>
#include <string_view>

namespace qosa::support {

// Appends the compact text of `value`.
void append_json(std::string& out, const boost::json::value& value);

// Appends `text` as a quoted JSON string.
void append_json_string(std::string& out, std::string_view text);

std::string to_json_text(const boost::json::value& value);

// The shortest digits that read back as `d`, as integer, decimal or exponent
// form by the position of the decimal point: "1.0", "0.001", "1e20", "1.5e-7";
// "NaN", "inf" and "-inf" for the values JSON cannot hold.
std::string double_text(double d);

}  // namespace qosa::support
