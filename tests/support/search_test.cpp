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
      {"aaaaaaaab", "aaab"},        // a run that almost matches at every start
      {"aabaabaaab", "aabaaab"},    // the border falls back twice
      {"abababababc", "ababc"},
      {"abcabcabcab", "cab"},       // several hits: the first from each start
      {"needle at the end", "end"},
      {"x\0y\0z"sv, "\0z"sv},          // bytes, not C strings
      {"de\xC4\x9Fi\xC5\x9Fken de\xC4\x9Fi", "\xC4\x9Fi"},
      {"\xFF\xFE\xFF\xFF", "\xFF\xFF"},
  };
  for (const Case& c : cases) expect_as_find(c.text, c.needle);
  EXPECT_EQ(find_first("abc", "", 3), 3u);
  EXPECT_EQ(find_first("abc", "", 4), npos);
  EXPECT_EQ(find_first("abc", "c", npos), npos);
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
    for (int round = 0; round < 3000; ++round) {
      std::string text(random() % 40, ' ');
      for (char& c : text) c = alphabet[random() % alphabet.size()];
      std::string needle(random() % 8, ' ');
      for (char& c : needle) c = alphabet[random() % alphabet.size()];
      // Half the needles taken from the text, so that most searches find one.
      if (round % 2 == 0 && !text.empty()) {
        const std::size_t at = random() % text.size();
        needle = text.substr(at, needle.size());
      }
      expect_as_find(text, needle);
    }
  }
}

}  // namespace
}  // namespace qosa::support
