#include "lexer/keywords.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qosa::lexer {
namespace {

struct Keyword {
  std::string_view text;
  TokenKind kind;
};

// The first eight bytes as one number, first byte most significant, so that
// comparing heads orders texts of one length by their bytes.
constexpr std::uint64_t head_of(std::string_view text) {
  std::uint64_t head = 0;
  const std::size_t n = text.size() < 8 ? text.size() : 8;
  for (std::size_t i = 0; i < n; ++i) {
    head |= static_cast<std::uint64_t>(static_cast<unsigned char>(text[i])) << (8 * (7 - i));
  }
  return head;
}

constexpr std::size_t count_keyword_texts() {
  std::size_t n = 0;
  for (const auto& row : kTokenKinds) {
    if (row.category != TokenCategory::Keyword) continue;
    n += !row.text.empty();
    n += !row.text2.empty();
  }
  return n;
}

constexpr std::size_t kKeywordCount = count_keyword_texts();

constexpr bool by_length_then_bytes(const Keyword& a, const Keyword& b) {
  if (a.text.size() != b.text.size()) return a.text.size() < b.text.size();
  return a.text < b.text;
}

// Every keyword text, ordered by byte length and then by bytes.
constexpr std::array<Keyword, kKeywordCount> kKeywords = [] {
  std::array<Keyword, kKeywordCount> out{};
  std::size_t n = 0;
  for (const auto& row : kTokenKinds) {
    if (row.category != TokenCategory::Keyword) continue;
    if (!row.text.empty()) out[n++] = {row.text, row.kind};
    if (!row.text2.empty()) out[n++] = {row.text2, row.kind};
  }
  std::sort(out.begin(), out.end(), by_length_then_bytes);
  return out;
}();

constexpr std::size_t kMaxLength = kKeywords.back().text.size();

// The heads of kKeywords, packed together so that a search reads few cache lines.
constexpr std::array<std::uint64_t, kKeywordCount> kHeads = [] {
  std::array<std::uint64_t, kKeywordCount> heads{};
  for (std::size_t i = 0; i < kKeywordCount; ++i) heads[i] = head_of(kKeywords[i].text);
  return heads;
}();

// kFirst[len] .. kFirst[len + 1] are the keywords of byte length `len`.
constexpr std::array<std::uint16_t, kMaxLength + 2> kFirst = [] {
  std::array<std::uint16_t, kMaxLength + 2> first{};
  std::size_t k = 0;
  for (std::size_t len = 0; len <= kMaxLength + 1; ++len) {
    while (k < kKeywordCount && kKeywords[k].text.size() < len) ++k;
    first[len] = static_cast<std::uint16_t>(k);
  }
  return first;
}();

constexpr bool texts_are_unique() {
  for (std::size_t i = 1; i < kKeywordCount; ++i) {
    if (kKeywords[i - 1].text == kKeywords[i].text) return false;
  }
  return true;
}
static_assert(texts_are_unique(), "a keyword text names two kinds");

// The first words of the keywords written as two words ("her biri").
constexpr std::size_t count_two_word_texts() {
  std::size_t n = 0;
  for (const auto& k : kKeywords) n += k.text.find(' ') != std::string_view::npos;
  return n;
}

constexpr std::array<std::string_view, count_two_word_texts()> kFirstWords = [] {
  std::array<std::string_view, count_two_word_texts()> out{};
  std::size_t n = 0;
  for (const auto& k : kKeywords) {
    const auto space = k.text.find(' ');
    if (space != std::string_view::npos) out[n++] = k.text.substr(0, space);
  }
  return out;
}();

}  // namespace

std::optional<TokenKind> find_keyword(std::string_view word) {
  const std::size_t len = word.size();
  if (len == 0 || len > kMaxLength) return std::nullopt;
  if (kFirst[len] == kFirst[len + 1]) return std::nullopt;
  const std::uint64_t head = head_of(word);
  // Texts of one length are in byte order, so their heads are sorted too.
  // A lower bound without branches: which half to keep is unpredictable.
  const std::size_t end = kFirst[len + 1];
  std::size_t i = kFirst[len];
  for (std::size_t count = end - i; count > 1;) {
    const std::size_t half = count / 2;
    i = kHeads[i + half] < head ? i + half : i;
    count -= half;
  }
  i += kHeads[i] < head;
  // Texts longer than eight bytes may share a head.
  for (; i < end && kHeads[i] == head; ++i) {
    if (len <= 8 || word.substr(8) == kKeywords[i].text.substr(8)) return kKeywords[i].kind;
  }
  return std::nullopt;
}

bool starts_two_word_keyword(std::string_view word) {
  for (std::string_view first : kFirstWords) {
    if (first == word) return true;
  }
  return false;
}

}  // namespace qosa::lexer
