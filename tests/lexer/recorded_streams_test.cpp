// Token streams of generated programs and of random texts against digests
// recorded from an earlier, plainer scanner: a faster scanner must give every
// token, payload and position exactly as it did. A digest that changes means
// the stream changed; the failing case names the text to compare by hand.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

#include "../bench/program_generator.h"
#include "lexer/lexer.h"

namespace qosa::lexer {
namespace {

struct Digest {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  std::uint64_t tokens = 0;

  void add(std::uint64_t v) {
    for (int i = 0; i < 8; ++i) {
      hash ^= (v >> (8 * i)) & 0xFF;
      hash *= 0x100000001b3ULL;
    }
  }
  void add(std::string_view text) {
    add(text.size());
    for (char c : text) {
      hash ^= static_cast<unsigned char>(c);
      hash *= 0x100000001b3ULL;
    }
  }
};

// Every token up to the end of the text, also past characters that start
// none (those are end-of-input tokens in the middle of the stream).
void lex_into(std::string_view text, Digest& digest) {
  Lexer lexer(text, SourceName{"<stdin>", 0});
  for (;;) {
    const Lexeme token = lexer.next_lexeme();
    const Place& at = lexer.last_place();
    digest.add(static_cast<std::uint64_t>(token.kind));
    digest.add(token.text);
    digest.add(static_cast<std::uint64_t>(token.integer));
    digest.add(std::bit_cast<std::uint64_t>(token.floating));
    digest.add(at.line);
    digest.add(at.column);
    digest.add(at.length);
    digest.add(at.offset);
    ++digest.tokens;
    if (token.kind == TokenKind::Eof && lexer.offset() >= text.size()) return;
  }
}

// Pieces that reach every path of the scanner: Turkish and other two-byte
// letters (and × ÷, which are not letters), numeric signs, three-byte and
// invalid sequences, every operator, comments, strings with escapes, raw
// strings, the two-word keywords and numbers at their limits.
constexpr std::string_view kPieces[] = {
    "a", "Z", "_", "x1", "değişken", "için", "öğe", "İşlem", "ığüşöç", "ĞÜŞİÖÇ", "×", "÷", "²",
    "µs", "ÿ", "Ā", "ſ", "ƀ", "ɐ", "ʰ", "ͅ", "π", "ж", "١", "漢", "\xE2\x80\xA8", "\u3000",
    "\xC3", "\xC3(", "\xFF", "\xE2\x82", "\xF0\x9F\x98\x80", "\xEF\xBB\xBF", " ", "  ", "\t",
    "\n", "\r\n", "\r", "\v", "\f", "\xC2\x85", "\xC2\xA0", "+", "-", "->", "*", "/", "%", "=",
    "==", "!", "!=", "<", "<=", ">", ">=", ",", ".", "..", "..=", ":", "::", ";", "|", "?", "(",
    ")", "{", "}", "[", "]", "#", "@", "$", "&", "^", "~", "`", "\\", "// yorum", "/* blok */",
    "/*", "*/", "\"", "\"\"", "\"\"\"", "'", "\"a\\nb\\\"c\\'\\q\"", "'x\\'y\\\"'", "\"\"\"\nham\n\"\"\"",
    "0", "7", "42", "0x", "0xFF", "0X1f", "0x8000000000000000", "9223372036854775807",
    "9223372036854775808", "3.", "1.5", "1..2", "1.5.2", "00012", "1e5", "1_000", "her biri",
    "her  biri", "veya eğer", "veya", "her", "eğer", "KB", "kb", "Some", "x86_64", "içe_aktar",
    "best_effort", "donanım_soyutlama_katmanı", "abcdefghijklmnopqrstuvwxyz_0123456789",
    "çççççççççççççççççççç", "a\xC3\xA7\xC3", "                 ", "\t\t\t\t",
};

std::uint64_t next_random(std::uint64_t& state) {
  state = state * 6364136223846793005ULL + 1442695040888963407ULL;
  return state >> 33;
}

// Random texts of every length from 0 to 299 pieces, and their tails cut at
// every byte near the end (SIMD blocks meet the end of the text there).
Digest random_texts(std::uint64_t seed) {
  Digest digest;
  std::uint64_t state = seed;
  for (int length = 0; length < 300; ++length) {
    std::string text;
    for (int i = 0; i < length; ++i) text += kPieces[next_random(state) % std::size(kPieces)];
    lex_into(text, digest);
    for (std::size_t cut = 1; cut <= 20 && cut <= text.size(); ++cut) {
      lex_into(std::string_view(text).substr(0, text.size() - cut), digest);
    }
  }
  return digest;
}

Digest program(bench::KeywordLanguage language, bench::Constructs constructs, std::uint64_t seed) {
  Digest digest;
  lex_into(bench::generate_program(300'000, language, seed, constructs), digest);
  return digest;
}

struct Recorded {
  const char* name;
  Digest (*make)();
  std::uint64_t hash;
  std::uint64_t tokens;
};

using bench::Constructs;
using bench::KeywordLanguage;

const Recorded kRecorded[] = {
    {"random texts, seed 1", [] { return random_texts(1); }, 0x013d5ee7d80748eeULL, 276282},
    {"random texts, seed 2", [] { return random_texts(2); }, 0x57f903df8082e77bULL, 275485},
    {"Turkish program", [] { return program(KeywordLanguage::Turkish, Constructs::Core, 1); }, 0x39492217c3cc2b97ULL, 44490},
    {"English program", [] { return program(KeywordLanguage::English, Constructs::Core, 1); }, 0x6355f2cdd1d8a6caULL, 52726},
    {"Turkish program, embedded constructs",
     [] { return program(KeywordLanguage::Turkish, Constructs::WithEmbedded, 2); }, 0x6442ee6ba281b9a9ULL, 49800},
    {"English program, embedded constructs",
     [] { return program(KeywordLanguage::English, Constructs::WithEmbedded, 2); }, 0xea2d8cc48b886e0aULL, 58128},
};

TEST(RecordedStreams, TokensAndPlacesAsRecorded) {
  for (const Recorded& r : kRecorded) {
    const Digest d = r.make();
    EXPECT_EQ(d.tokens, r.tokens) << r.name;
    EXPECT_EQ(d.hash, r.hash) << r.name;
  }
}

}  // namespace
}  // namespace qosa::lexer
