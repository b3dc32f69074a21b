#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "lsp/lines.h"
#include "lsp/random_text.h"

namespace qosa::lsp {
namespace {

std::vector<std::string> split(std::string_view text) {
  std::vector<std::string> out;
  LineCursor cursor(text);
  while (auto line = cursor.next()) out.emplace_back(line->content);
  return out;
}

TEST(Lines, FollowTheLineRule) {
  using V = std::vector<std::string>;
  EXPECT_EQ(split(""), V{});
  EXPECT_EQ(split("\n"), V{""});
  EXPECT_EQ(split("ab\ncd"), (V{"ab", "cd"}));
  EXPECT_EQ(split("ab\r\ncd\n"), (V{"ab", "cd"}));
  EXPECT_EQ(split("a\rb\r"), V{"a\rb\r"});  // a lone "\r" is an ordinary character
  EXPECT_EQ(split("\n\n"), (V{"", ""}));
}

TEST(Lines, LineAtReadsOneLine) {
  const std::string_view text = "ab\r\ncd\nef";
  auto line = line_at(text, 1);
  ASSERT_TRUE(line);
  EXPECT_EQ(line->content, "cd");
  EXPECT_EQ(line->start, 4u);
  EXPECT_EQ(line->break_length, 1u);
  EXPECT_EQ(line_at(text, 0)->break_length, 2u);
  EXPECT_EQ(line_at(text, 2)->break_length, 0u);
  EXPECT_FALSE(line_at(text, 3));
  EXPECT_FALSE(line_at("ab\n", 1));
  EXPECT_FALSE(line_at("", 0));
}

// The index gives every line as line_at does, after any splices: texts with
// "\n", "\r\n", lone "\r" and empty lines, splices that add, remove and
// join line breaks, and splices that cut a "\r\n" in two.
TEST(LineIndex, GivesTheLinesOfLineAtAcrossSplices) {
  std::mt19937 random(5);
  const std::string_view pieces[] = {"a", "ç", "😀", "\n", "\r\n", "\r", "", "xy\n\n", "\n\r"};
  auto piece_text = [&](int count) { return random_text(random, pieces, count); };
  const auto same_lines = [](const LineIndex& index, std::string_view text, int round) {
    for (std::size_t i = 0; i < text.size() + 2; ++i) {
      const auto want = line_at(text, i);
      const auto got = index.line(text, i);
      ASSERT_EQ(got.has_value(), want.has_value()) << "round " << round << " line " << i;
      if (!want) break;
      EXPECT_EQ(got->content, want->content) << "round " << round << " line " << i;
      EXPECT_EQ(got->start, want->start) << "round " << round << " line " << i;
      EXPECT_EQ(got->break_length, want->break_length) << "round " << round << " line " << i;
    }
  };
  for (int round = 0; round < 300; ++round) {
    std::string text = piece_text(static_cast<int>(random() % 30));
    LineIndex index(text);
    same_lines(index, text, round);
    for (int change = 0; change < 8; ++change) {
      const std::size_t a = random() % (text.size() + 1);
      const std::size_t b = random() % (text.size() + 1);
      const std::size_t start = std::min(a, b);
      const std::size_t end = std::max(a, b);
      const std::string inserted = piece_text(static_cast<int>(random() % 4));
      text.replace(start, end - start, inserted);
      index.splice(start, end, inserted);
      same_lines(index, text, round);
    }
  }
}

}  // namespace
}  // namespace qosa::lsp
