#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lsp/lines.h"

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

}  // namespace
}  // namespace qosa::lsp
