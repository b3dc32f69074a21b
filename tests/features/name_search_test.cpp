#include "features/name_search.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace qosa::lsp {
namespace {

// Names over a few bytes (two of them the halves of "ğ"), so that names are
// prefixes, suffixes and middles of one another and failure links are taken
// at every depth.
std::string random_piece(std::mt19937& rng, std::size_t max_length) {
  constexpr std::string_view bytes[] = {"a", "b", "\xc4", "\x9f", "ab"};
  std::string piece;
  const std::size_t length = 1 + rng() % max_length;
  for (std::size_t i = 0; i < length; ++i) piece += bytes[rng() % std::size(bytes)];
  return piece;
}

TEST(FirstOccurrences, ReportsEachNameOnTheFirstLineThatContainsIt) {
  for (std::uint32_t seed = 0; seed < 2000; ++seed) {
    std::mt19937 rng(seed);
    std::set<std::string> unique;
    const std::size_t name_count = 1 + rng() % 12;
    while (unique.size() < name_count) unique.insert(random_piece(rng, 4));
    const std::vector<std::string> owned(unique.begin(), unique.end());
    const std::vector<std::string_view> names(owned.begin(), owned.end());
    std::vector<std::string> lines(rng() % 6);
    for (std::string& line : lines) line = random_piece(rng, 12);

    FirstOccurrences matcher(names);
    std::map<std::uint32_t, std::size_t> reported;  // id -> line
    for (std::size_t l = 0; l < lines.size(); ++l) {
      matcher.scan(lines[l], [&](std::uint32_t id) {
        ASSERT_TRUE(reported.emplace(id, l).second) << "seed " << seed << ": " << names[id] << " twice";
      });
    }
    for (std::uint32_t id = 0; id < names.size(); ++id) {
      std::optional<std::size_t> first;
      for (std::size_t l = 0; l < lines.size() && !first; ++l) {
        if (lines[l].find(names[id]) != std::string::npos) first = l;
      }
      const auto it = reported.find(id);
      ASSERT_EQ(it == reported.end() ? std::nullopt : std::optional(it->second), first)
          << "seed " << seed << " name " << names[id];
    }
  }
}

TEST(CountNames, SkipsTheFirstListedLineThatContainsTheName) {
  const struct {
    std::string_view text;
    std::vector<std::size_t> skip_lines;
    std::vector<std::string_view> names;
    std::vector<std::uint32_t> counts;
  } cases[] = {
      {"x = x\nx", {}, {"x"}, {3}},
      {"x = x\nx", {0}, {"x"}, {1}},
      // A listed line without the name skips nothing; the next listed one that holds it is skipped.
      {"y\nx x\nx", {0, 1, 2}, {"x"}, {1}},
      // Contained anywhere is enough to be skipped, and skipped only once.
      {"xx\nx\nx", {0, 1}, {"x"}, {2}},
      // Whole identifier runs only, across letters outside ASCII.
      {"sayaç sayaçlar a.sayaç\r\nsayaç", {}, {"sayaç"}, {3}},
      // Names asked twice get the same count; names that are no identifier, 0.
      {"x x;", {}, {"x", "x;", "", "x", "a b"}, {2, 0, 0, 2, 0}},
      {"", {}, {"x"}, {0}},
      {"x", {}, {}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(count_names(c.text, c.names, c.skip_lines), c.counts) << c.text;
  }
}

}  // namespace
}  // namespace qosa::lsp
