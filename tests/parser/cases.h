// Table-driven parser tests: a source text and the trees its statements print as.
#pragma once

#include <gtest/gtest.h>

#include <span>
#include <string_view>

#include "tree_printer.h"

namespace qosa::parser {

struct TreeCase {
  std::string_view source;
  std::string_view trees;  // one printed statement per line
};

inline void expect_trees(std::span<const TreeCase> cases) {
  for (const TreeCase& c : cases) {
    EXPECT_EQ(parse_to_text(c.source), c.trees) << "source: " << c.source;
  }
}

}  // namespace qosa::parser
