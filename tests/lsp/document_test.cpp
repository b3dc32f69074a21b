#include "lsp/document.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "lsp/positions.h"
#include "lsp/random_text.h"

namespace qosa::lsp {
namespace {

TextDocumentContentChangeEvent ranged(std::uint32_t l1, std::uint32_t c1, std::uint32_t l2,
                                      std::uint32_t c2, std::string text) {
  return {Range{{l1, c1}, {l2, c2}}, std::nullopt, std::move(text)};
}

TextDocumentContentChangeEvent whole(std::string text) { return {std::nullopt, std::nullopt, std::move(text)}; }

constexpr std::string_view uri = "file:///a.qosa";

std::string changed(std::string text, std::vector<TextDocumentContentChangeEvent> changes) {
  DocumentStore store;
  open_document(store, *Uri::parse(uri), std::move(text), 1);
  apply_changes(store, uri, std::move(changes), 2);
  const Document* d = get_document(store, uri);
  EXPECT_EQ(d->version, 2);
  return d->text;
}

TEST(ApplyChanges, RangedChanges) {
  struct Case {
    std::string text;
    TextDocumentContentChangeEvent change;
    std::string expected;
  };
  const Case cases[] = {
      {"ab\ncd", ranged(1, 0, 1, 1, "X"), "ab\nXd"},
      {"ab\r\ncd", ranged(1, 0, 1, 1, "X"), "ab\r\nXd"},
      {"abc\n", ranged(1, 0, 1, 0, "d"), "abc\nd"},
      {"abc", ranged(1, 0, 1, 0, "d"), "abc"},            // out of bounds: skipped
      {"abc", ranged(0, 10, 0, 10, "!"), "abc!"},
      {"abc", ranged(0, 2, 0, 1, "X"), "abc"},            // start after end: skipped
      {"ab\ncd", ranged(0, 1, 1, 1, ""), "ad"},
      // Turkish letters: one UTF-16 unit, two bytes each.
      {"değişken x = 1", ranged(0, 9, 0, 10, "y"), "değişken y = 1"},
      {"ğüş\nçö", ranged(1, 1, 1, 2, "o"), "ğüş\nço"},
      // An emoji is two units; a range that splits it is skipped.
      {"a😀b", ranged(0, 1, 0, 3, "-"), "a-b"},
      {"a😀b", ranged(0, 2, 0, 3, "-"), "a😀b"},
      {"a😀b", ranged(0, 1, 0, 2, "-"), "a😀b"},
  };
  for (const auto& c : cases) EXPECT_EQ(changed(c.text, {c.change}), c.expected) << c.text;
}

TEST(ApplyChanges, ListsApplyInOrder) {
  EXPECT_EQ(changed("old", {whole("ab\ncd"), ranged(1, 0, 1, 1, "X")}), "ab\nXd");
  EXPECT_EQ(changed("abc", {ranged(0, 3, 0, 2, "!"), ranged(0, 0, 0, 1, "A")}), "Abc");
  EXPECT_EQ(changed("abc", {}), "abc");
}

// Lists of many ranged changes go through a line index patched after each
// splice; the result must be what applying them one at a time, each position
// found by position_to_offset, gives. Texts with "\r\n", lone "\r", empty
// lines, Turkish letters and emoji; changes that insert and remove breaks,
// and changes that are skipped.
TEST(ApplyChanges, ManyRangedChangesMatchOneAtATime) {
  std::mt19937 random(14);
  const std::string_view pieces[] = {"a", "ç", "😀", "\n", "\r\n", "\r", "", "xy\n\n", "ğü"};
  auto piece_text = [&](int count) { return random_text(random, pieces, count); };
  for (int round = 0; round < 300; ++round) {
    const std::string start = piece_text(static_cast<int>(random() % 30));
    std::vector<TextDocumentContentChangeEvent> changes;
    const int count = 2 + static_cast<int>(random() % 12);
    for (int i = 0; i < count; ++i) {
      auto pick = [&] { return static_cast<std::uint32_t>(random() % 8); };
      changes.push_back(ranged(pick(), pick(), pick(), pick(), piece_text(static_cast<int>(random() % 3))));
      if (random() % 10 == 0) changes.push_back(whole(piece_text(5)));
    }
    std::string expected = start;
    for (const auto& c : changes) {
      if (!c.range) {
        expected = c.text;
        continue;
      }
      const auto s = position_to_offset(expected, c.range->start.line, c.range->start.character);
      const auto e = position_to_offset(expected, c.range->end.line, c.range->end.character);
      if (s && e && *s <= *e && *e <= expected.size()) expected.replace(*s, *e - *s, c.text);
    }
    EXPECT_EQ(changed(start, changes), expected) << "round " << round;
  }
}

TEST(DocumentStore, OpenChangeClose) {
  DocumentStore store;
  apply_changes(store, uri, {whole("x")}, 3);
  EXPECT_EQ(get_document(store, uri), nullptr);

  open_document(store, *Uri::parse(uri), "one", 1);
  open_document(store, *Uri::parse(uri), "two", 5);
  ASSERT_EQ(store.documents.size(), 1u);
  EXPECT_EQ(get_document(store, uri)->text, "two");
  EXPECT_EQ(get_document(store, uri)->version, 5);
  EXPECT_EQ(get_document(store, uri)->uri, uri);
  EXPECT_EQ(get_document(store, "FILE:///a.qosa"), nullptr);  // keys compare byte for byte

  close_document(store, "file:///other.qosa");
  EXPECT_EQ(store.documents.size(), 1u);
  close_document(store, uri);
  EXPECT_TRUE(store.documents.empty());
}

TEST(DocumentSnapshot, SeesEveryOpenText) {
  DocumentStore store;
  EXPECT_TRUE(snapshot_documents(store).empty());
  open_document(store, *Uri::parse("file:///a"), "A", 1);
  open_document(store, *Uri::parse("file:///b"), "B", 1);
  const DocumentSnapshot snapshot = snapshot_documents(store);
  EXPECT_EQ(snapshot.size(), 2u);
  EXPECT_EQ(snapshot.text("file:///a"), "A");
  EXPECT_EQ(snapshot.text("file:///c"), std::nullopt);
  std::map<std::string, std::string> seen;
  snapshot.for_each([&](std::string_view u, std::string_view t) { seen[std::string(u)] = t; });
  EXPECT_EQ(seen, (std::map<std::string, std::string>{{"file:///a", "A"}, {"file:///b", "B"}}));
}

}  // namespace
}  // namespace qosa::lsp
