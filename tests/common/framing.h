// The base protocol's framing, for tests and benchmarks that write messages
// by hand.
#pragma once

#include <string>
#include <string_view>

namespace qosa::testing {

inline std::string frame(std::string_view body) {
  std::string out = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  out += body;
  return out;
}

}  // namespace qosa::testing
