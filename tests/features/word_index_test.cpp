#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include <boost/json.hpp>

#include "features/document_state.h"
#include "features/tables.h"
#include "features/word_index.h"
#include "features/words.h"
#include "lsp/positions.h"
#include "lsp/writer.h"
#include "support/json.h"
#include "support/unicode.h"

namespace qosa::lsp {
namespace {

namespace json = boost::json;

// "L:start-end" per whole-word occurrence, in UTF-16 columns.
std::string hits(std::string_view text, std::string_view word) {
  std::string out;
  const WordIndex index = build_word_index(text);
  const WordIndex::Occurrences found = index.find(text, word);
  found.for_each([&](const WordIndex::Hit& hit) {
    if (!out.empty()) out += ' ';
    out += std::to_string(hit.line) + ":" + std::to_string(hit.start) + "-" +
           std::to_string(hit.start + found.utf16_length());
  });
  return out;
}

TEST(WordIndex, WholeWordOccurrences) {
  struct Case {
    std::string_view text;
    std::string_view word;
    std::string_view expected;
  };
  const Case cases[] = {
      {"x = x + xy", "x", "0:0-1 0:4-5"},
      {"yazdır(sayaç)", "sayaç", "0:7-12"},  // bytes 8 to 14
      {"çiçek çiçek", "çiçek", "0:0-5 0:6-11"},
      {"dön a", "a", "0:4-5"},
      {"aaaa", "aa", ""},  // overlapping occurrences are never whole words
      {"aa aaa aa", "aa", "0:0-2 0:7-9"},
      {"a\r\nb a\r\n\r\na", "a", "0:0-1 1:2-3 3:0-1"},
      {"😀x x", "x", "0:2-3 0:4-5"},  // the emoji is no identifier character, and two units
      {"éx x_ x2 _x 2x", "x", ""},
      {"x\n\n\nx", "x", "0:0-1 3:0-1"},
      {"", "x", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(hits(c.text, c.word), c.expected) << c.text;
}

TEST(WordIndex, AfterADeclarationKeyword) {
  // The text before the occurrence, trimmed, ends with a keyword; no word boundary.
  const std::string_view text = "let x = x\noutlet x\ndeğişken  x\n\tyapı\u00A0x\nletx x\nlet\n x\n(let) x";
  std::string flags;
  build_word_index(text).find(text, "x").for_each(
      [&](const WordIndex::Hit& hit) { flags += hit.after_declaration_keyword ? '1' : '0'; });
  EXPECT_EQ(flags, "10111000");
}

TEST(WordIndex, ManyNearHitsOnOneLine) {
  // Every position starts an occurrence of the word and none is whole.
  const std::string line(1 << 20, 'a');
  EXPECT_EQ(hits(line, std::string(100, 'a')), "");
  EXPECT_EQ(hits(line + " " + std::string(100, 'a'), std::string(100, 'a')), "0:1048577-1048677");
}

TEST(WordIndex, KeptBesideTheTextUntilItChanges) {
  DocumentStore store;
  DocumentStates states;
  const Document& d = open_document(store, *Uri::parse("file:///a.qosa"), "a b a", 1);
  states.opened(d.uri.str());
  const WordIndex* first = &states.words(d);
  EXPECT_EQ(&states.words(d), first);
  EXPECT_EQ(states.words(d).find(d.text, "a").size(), 2u);
  TextDocumentContentChangeEvent change;
  change.text = "b";
  const Document* changed = apply_changes(store, "file:///a.qosa", {change}, 2);
  states.changed(changed->uri.str());
  EXPECT_FALSE(states.of("file:///a.qosa").words);
  EXPECT_TRUE(states.words(*changed).find(changed->text, "a").empty());
  // Opened again with the same version: a new text all the same.
  const Document& reopened = open_document(store, *Uri::parse("file:///a.qosa"), "a", 2);
  states.opened(reopened.uri.str());
  EXPECT_EQ(states.words(reopened).find(reopened.text, "a").size(), 1u);
  states.closed(reopened.uri.str());
  EXPECT_FALSE(states.of("file:///a.qosa").words);
}

// The occurrences the index must give, found the plain way: each line's
// identifier runs, the UTF-16 column of each, and the trimmed text before it.
std::map<std::string, std::vector<std::string>, std::less<>> plain_scan(std::string_view text) {
  std::map<std::string, std::vector<std::string>, std::less<>> words;
  LineCursor lines(text);
  std::uint32_t number = 0;
  for (auto line = lines.next(); line; line = lines.next(), ++number) {
    IdentifierRuns runs(line->content);
    for (auto run = runs.next(); run; run = runs.next()) {
      const std::string_view before = support::trim_end(line->content.substr(0, run->begin));
      bool after = false;
      for (const DeclarationPattern& p : declaration_patterns) after = after || before.ends_with(p.keyword());
      Utf16Columns columns(line->content);
      words[std::string(line->content.substr(run->begin, run->end - run->begin))].push_back(
          std::to_string(number) + ":" + std::to_string(columns.column(run->begin)) + (after ? "d" : ""));
    }
  }
  return words;
}

std::vector<std::string> indexed(const WordIndex& index, std::string_view text, std::string_view word) {
  std::vector<std::string> out;
  const WordIndex::Occurrences found = index.find(text, word);
  found.for_each([&](const WordIndex::Hit& hit) {
    out.push_back(std::to_string(hit.line) + ":" + std::to_string(hit.start) +
                  (hit.after_declaration_keyword ? "d" : ""));
  });
  EXPECT_EQ(found.size(), out.size());
  return out;
}

TEST(WordIndex, SameAsAPlainScanOfRandomTexts) {
  // Pieces that meet at random, across the 64-byte steps of the scan: ASCII,
  // Turkish and astral identifier characters, keywords, white space of one
  // to three bytes, line breaks of every kind, and characters of no word.
  const std::vector<std::string_view> pieces = {
      "x", "xy", "_a1", "toplam", "çiçek", "değişken", "ığüşöç", "İsim", "ı", "let", "outlet", "const",
      "yapı", "struct", "fonksiyon", "𝐀b", "漢字", "٣", "e\u0301", " ", "  ", "\t", "\u00A0", "\u3000",
      "\u0085", "\u2028", "(", ")", " = ", ",", "😀", "\n", "\r\n", "\r", "\n\n", "@", "é",
  };
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const int length = std::uniform_int_distribution<int>(0, 400)(rng);
    for (int i = 0; i < length; ++i) {
      if (rng() % 4 == 0) {
        // A word of its own, many of them distinct, some long enough to
        // cross a step of 64 bytes.
        const int letters = std::uniform_int_distribution<int>(1, rng() % 8 == 0 ? 90 : 6)(rng);
        for (int k = 0; k < letters; ++k) text += rng() % 5 == 0 ? "ş" : std::string(1, static_cast<char>('a' + rng() % 3));
      } else {
        text += pieces[rng() % pieces.size()];
      }
    }
    const auto expected = plain_scan(text);
    const WordIndex index = build_word_index(text);
    std::size_t runs = 0;
    for (const auto& [word, hits] : expected) {
      EXPECT_EQ(indexed(index, text, word), hits) << "word " << word << " in round " << round;
      runs += hits.size();
      // A part of a word is no whole word of its own unless it occurs alone.
      const std::string_view head = std::string_view(word).substr(0, word.size() / 2);
      if (!head.empty() && !expected.contains(head) && is_ascii_identifier_char(word.back())) {
        EXPECT_TRUE(indexed(index, text, head).empty()) << head;
      }
    }
    EXPECT_EQ(index.size(), runs) << round;
    EXPECT_TRUE(indexed(index, text, "absent").empty());
  }
}

TEST(WordIndex, PlacesWrittenAsTheGeneralWriterWritesThem) {
  // Lines and columns of one to five digits; every third occurrence follows a keyword.
  std::string text;
  for (int line = 0; line < 12000; ++line) {
    if (line % 1000 == 7) text += std::string(static_cast<std::size_t>(line * 9), ' ');
    text += line % 3 == 0 ? "let ab\n" : "ab\n";
  }
  const WordIndex index = build_word_index(text);
  const Uri uri = *Uri::parse("file:///a\"b.qosa");
  for (const bool skip_declared : {false, true}) {
    const WordPlaces places{{DocumentOccurrences{&uri, index.find(text, "ab")}}, skip_declared};
    json::array expected;
    places.documents[0].found.for_each([&](const WordIndex::Hit& hit) {
      if (skip_declared && hit.after_declaration_keyword) return;
      const auto position = [](std::uint32_t line, std::uint32_t character) {
        return json::object{{"line", line}, {"character", character}};
      };
      expected.push_back(json::object{
          {"uri", uri.str()},
          {"range", json::object{{"start", position(hit.line, hit.start)}, {"end", position(hit.line, hit.start + 2)}}}});
    });
    std::string written;
    write_json(written, LocationList<WordPlaces>{places, std::nullopt});
    EXPECT_EQ(written, support::to_json_text(expected));
  }
}

}  // namespace
}  // namespace qosa::lsp
