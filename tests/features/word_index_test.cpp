#include <gtest/gtest.h>

#include <string>

#include "features/word_index.h"

namespace qosa::lsp {
namespace {

// "L:start-end" per whole-word occurrence, in UTF-16 columns.
std::string hits(std::string_view text, std::string_view word) {
  std::string out;
  const WordIndex index = build_word_index(text);
  const WordIndex::Word* found = index.find(word);
  if (!found) return out;
  for (const WordIndex::Hit& hit : found->hits) {
    if (!out.empty()) out += ' ';
    out += std::to_string(hit.line) + ":" + std::to_string(hit.start) + "-" +
           std::to_string(hit.start + found->utf16_length);
  }
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
  const WordIndex index = build_word_index(
      "let x = x\noutlet x\ndeğişken  x\n\tyapı\u00A0x\nletx x\nlet\n x\n(let) x");
  std::string flags;
  for (const auto& hit : index.find("x")->hits) flags += hit.after_declaration_keyword ? '1' : '0';
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
  const Document& d = open_document(store, *Uri::parse("file:///a.qosa"), "a b a", 1);
  const WordIndex* first = &word_index(d);
  EXPECT_EQ(&word_index(d), first);
  EXPECT_EQ(first->find("a")->hits.size(), 2u);
  TextDocumentContentChangeEvent change;
  change.text = "b";
  const Document* changed = apply_changes(store, "file:///a.qosa", {change}, 2);
  EXPECT_FALSE(changed->word_index);
  EXPECT_FALSE(word_index(*changed).find("a"));
  const Document& reopened = open_document(store, *Uri::parse("file:///a.qosa"), "a", 3);
  EXPECT_EQ(word_index(reopened).find("a")->hits.size(), 1u);
}

}  // namespace
}  // namespace qosa::lsp
