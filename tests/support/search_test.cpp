#include "support/search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace qosa::support {
namespace {

using namespace std::string_view_literals;

constexpr std::size_t npos = std::string_view::npos;

// Every start from 0 to two past the end, against string_view::find.
void expect_as_find(std::string_view text, std::string_view needle) {
  for (std::size_t from = 0; from <= text.size() + 2; ++from) {
    ASSERT_EQ(find_first(text, needle, from), text.find(needle, from))
        << "text \"" << text << "\" needle \"" << needle << "\" from " << from;
  }
}

TEST(FindFirst, SameAnswersAsFind) {
  struct Case {
    std::string_view text;
    std::string_view needle;
  };
  const Case cases[] = {
      {"", ""},
      {"abc", ""},                  // an empty needle is found at `from`, up to the end itself
      {"", "a"},
      {"a", "a"},
      {"ab", "abc"},                // longer than the text
      {"xabcabd", "abd"},
      {"x\0y\0z"sv, "\0z"sv},          // bytes, not C strings
      {"de\xC4\x9Fi\xC5\x9Fken de\xC4\x9Fi", "\xC4\x9Fi"},
      // Needles past the short ones that find takes.
      {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "aaaaaaaaaaaaaaaab"},  // almost a match at every start
      {"aabaabaabaabaabaabaaabaabaabaabaaab", "aabaabaabaabaaab"},  // the border falls back twice
      {"abababababababababababababababc", "ababababababababc"},
      {"0123456789abcdefg 0123456789abcdefgh 0123456789abcdefgh", "0123456789abcdefgh"},
      {"x\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0z"sv, "\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0z"sv},
      {"\xFF\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF",
       "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"},
  };
  for (const Case& c : cases) expect_as_find(c.text, c.needle);
  EXPECT_EQ(find_first("abc", "", 3), 3u);
  EXPECT_EQ(find_first("abc", "", 4), npos);
  EXPECT_EQ(find_first("abc", "c", npos), npos);
  EXPECT_EQ(find_first(std::string(40, 'a'), std::string(20, 'a'), npos), npos);
}

// Needles past the stack table's size.
TEST(FindFirst, LongNeedles) {
  const std::string run(300, 'a');
  const std::string text = run + " " + run + "b";
  expect_as_find(text, run + "b");
  expect_as_find(text, std::string(64, 'a'));
  expect_as_find(text, std::string(65, 'a') + "b");
  expect_as_find(text, text);
  expect_as_find(text, text + "c");
}

// Small alphabets give many partial matches and borders of every length.
TEST(FindFirst, RandomTextsOfSmallAlphabets) {
  std::mt19937 random(29);
  for (std::string_view alphabet : {"ab", "abc", "a\xFF"}) {
    const auto letter = [&] { return alphabet[random() % alphabet.size()]; };
    for (int round = 0; round < 3000; ++round) {
      std::string text(random() % 100, ' ');
      for (char& c : text) c = letter();
      std::string needle(random() % 40, ' ');
      for (char& c : needle) c = letter();
      // Most needles taken from the text, some with a byte changed, so
      // that searches find them or nearly do.
      if (round % 4 != 0 && !text.empty()) {
        needle = text.substr(random() % text.size(), needle.size());
        if (round % 4 == 1 && !needle.empty()) needle[random() % needle.size()] = letter();
      }
      expect_as_find(text, needle);
    }
  }
}

}  // namespace
}  // namespace qosa::support
