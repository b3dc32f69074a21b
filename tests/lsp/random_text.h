// Random texts made of given pieces, for tests that set a fast way against
// a plain one on many texts.
#pragma once

#include <random>
#include <span>
#include <string>
#include <string_view>

namespace qosa::lsp {

inline std::string random_text(std::mt19937& random, std::span<const std::string_view> pieces, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += pieces[random() % pieces.size()];
  return out;
}

}  // namespace qosa::lsp
