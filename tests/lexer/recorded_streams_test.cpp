// Token streams of whole texts, written out so that a reader can check them:
// a program in each keyword language against the dump beside it in
// streams/, and short texts of random pieces (end-of-input tokens in the
// middle of the stream among them) against dumps written out here. Longer
// random texts check that every prefix lexes as the whole text does: the
// scans that read sixteen bytes at a time meet the end of the text there.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "lexer/lexer.h"
#include "lexer/token_dump.h"

namespace qosa::lexer {
namespace {

// The lines of a text, split at line feeds (a text that ends in one ends
// in an empty line).
std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return lines;
    start = end + 1;
  }
}

// Each source line on which a token starts, as "line N: text", followed by
// the tokens that start on it (no trailing blanks, which editors strip).
std::string dump_by_line(std::string_view text) {
  const std::vector<std::string_view> lines = split_lines(text);
  std::string out;
  std::uint64_t shown = 0;
  for (const test::Lexed& l : test::lex_tokens(text)) {
    if (l.span.line != shown) {
      shown = l.span.line;
      out += "line ";
      out += std::to_string(shown);
      out += ':';
      if (!lines[shown - 1].empty()) {
        out += ' ';
        out += lines[shown - 1];
      }
      out += '\n';
    }
    out += test::describe(l.token, l.span);
    out += '\n';
  }
  return out;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Where two lists first differ (the shorter one's size if one is the other's start).
template <class T>
std::size_t first_difference(const std::vector<T>& a, const std::vector<T>& b) {
  const auto at = std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first;
  return static_cast<std::size_t>(at - a.begin());
}

// streams/<name>.qosa lexes to streams/<name>.tokens; a failure names the
// first line that differs.
void expect_golden_dump(const std::string& name) {
  const std::string base = std::string(QOSA_SOURCE_DIR) + "/tests/lexer/streams/" + name;
  const std::string source = read_file(base + ".qosa");
  ASSERT_FALSE(source.empty()) << base << ".qosa";
  const std::string dump = dump_by_line(source);
  const std::string golden = read_file(base + ".tokens");
  const std::vector<std::string_view> actual = split_lines(dump);
  const std::vector<std::string_view> expected = split_lines(golden);
  if (actual == expected) return;
  const std::size_t at = first_difference(actual, expected);
  auto line_or_end = [](const std::vector<std::string_view>& lines, std::size_t i) {
    return i < lines.size() ? lines[i] : std::string_view("(end)");
  };
  std::string_view context = "(none)";
  for (std::size_t i = std::min(at, actual.size()); i-- > 0;) {
    if (actual[i].starts_with("line ")) {
      context = actual[i];
      break;
    }
  }
  ADD_FAILURE() << base << ".tokens, line " << at + 1 << "\n  under:    " << context
                << "\n  expected: " << line_or_end(expected, at)
                << "\n  lexed:    " << line_or_end(actual, at);
}

// Declarations, control flow, calls, strings with escapes, comments and
// numbers, then the embedded constructs: hardware use, imports, topics,
// tasks, attributes, event handlers, match, inline assembly, events, export.
TEST(RecordedStreams, TurkishProgram) { expect_golden_dump("turkish"); }
TEST(RecordedStreams, EnglishProgram) { expect_golden_dump("english"); }

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

// Short texts of pieces picked at random.
TEST(RecordedStreams, RandomPieces) {
  test::check({
      // Sixteen-byte runs of ASCII and of two-byte letters; lead bytes that begin
      // no character; in single quotes \" keeps its backslash.
      {"\xC3(]abcdefghijklmnopqrstuvwxyz_0123456789  ->için\xC3'x\\'y\\\"'"
       "çççççççççççççççççççç                 ",
       {"Eof @1:1+1", "LeftParen @1:2+1", "RightBracket @1:3+1",
        "Identifier abcdefghijklmnopqrstuvwxyz_0123456789 @1:4+37", "Arrow @1:43+2",
        "Icin @1:45+4", "Eof @1:49+1", R"(String "x'y\\\"" @1:50+8)",
        "Identifier çççççççççççççççççççç @1:58+20", "Eof @1:95+1"}},
      // A two-word keyword, a stray comment end, a keyword's second text, and a
      // comment left open to the end.
      {"her biri\r*/==donanım_soyutlama_katmanı/*\nher  biri(",
       {"Icin @1:1+8", "Star @1:10+1", "Slash @1:11+1", "EqualEqual @1:12+2", "Dsk @1:14+25",
        "Eof @2:11+1"}},
      // "_" starts a word after a number; "her" and "biri" two spaces apart.
      {"1_000ж00012)0|her  biri3.KB",
       {"Integer 1 @1:1+1", "Identifier _000ж00012 @1:2+10", "RightParen @1:12+1",
        "Integer 0 @1:13+1", "Pipe @1:14+1", "Identifier her @1:15+3",
        "Identifier biri3 @1:20+5", "Dot @1:25+1", "Kb @1:26+2", "Eof @1:28+1"}},
      // "0x" without digits; "her" before a sign; a character that starts no
      // token; "her" at the end of another word.
      {"0x..===her#$1.5.2ƀher biri->",
       {"Integer 0 @1:1+2", "DotDotEqual @1:3+3", "EqualEqual @1:6+2", "Identifier her @1:8+3",
        "Hash @1:11+1", "Eof @1:12+1", "Float 1.5 @1:13+3", "Dot @1:16+1", "Integer 2 @1:17+1",
        "Identifier ƀher @1:18+4", "Identifier biri @1:23+4", "Arrow @1:27+2", "Eof @1:29+1"}},
      // A raw string over lines, its length at least 1; a numeric character that
      // starts a number which does not convert.
      {"(}\t\t\t\t\fdonanım_soyutlama_katmanıÿ\"\"\"\nham\n\"\"\"\n١",
       {"LeftParen @1:1+1", "RightBrace @1:2+1",
        "Identifier donanım_soyutlama_katmanıÿ @1:8+26", R"(String "ham" @1:34+1)",
        "Eof @4:1+1", "Eof @4:2+1"}},
      // A byte order mark past the start is a character that starts no token.
      {"!漢*/\uFEFF\\@ığüşöç=>",
       {"Bang @1:1+1", "Identifier 漢 @1:2+1", "Star @1:3+1", "Slash @1:4+1", "Eof @1:5+1",
        "Eof @1:6+1", "Eof @1:7+1", "Identifier ığüşöç @1:8+6", "Assign @1:14+1",
        "Greater @1:15+1", "Eof @1:16+1"}},
      // A comment between two words.
      {"İşlem/* blok */değişken->$<",
       {"Identifier İşlem @1:1+5", "Olsun @1:16+8", "Arrow @1:24+2", "Eof @1:26+1",
        "Less @1:27+1", "Eof @1:28+1"}},
      // A raw string left open to the end.
      {"\"\"\"\u03450x8000000000000000                 \v  3.Z\u02B0",
       {"String \"\u03450x8000000000000000                 \v  3.Z\u02B0\" @1:1+46",
        "Eof @1:47+1"}},
      // An integer too large, with its digits consumed; a combining mark, which is
      // alphabetic, starts a word.
      {"kb\u00859223372036854775808\u0345(Some42>",
       {"Identifier kb @1:1+2", "Eof @1:4+19", "Identifier \u0345 @1:23+1",
        "LeftParen @1:24+1", "Identifier Some42 @1:25+6", "Greater @1:31+1", "Eof @1:32+1"}},
      // Unknown escapes keep both characters; a three-byte character cut short
      // is one token per byte; "veya" before a longer word stands alone.
      {"\"a\\nb\\\"c\\'\\q\"\"\"\"\nham\n\"\"\"µs\\1.5.2a\xE2\x82'x\\'y\\\"'veya eğerKB",
       {R"(String "a\nb\"c\\'\\q" @1:1+13)", R"(String "ham" @1:14+1)", "Us @3:4+2",
        "Eof @3:6+1", "Float 1.5 @3:7+3", "Dot @3:10+1", "Integer 2 @3:11+1",
        "Identifier a @3:12+1", "Eof @3:13+1", "Eof @3:14+1", R"(String "x'y\\\"" @3:15+8)",
        "Veya @3:23+4", "Identifier eğerKB @3:28+6", "Eof @3:34+1"}},
      // An integer too large before a word; a hexadecimal number ends at the
      // first letter past "f"; the end of input on a line of its own.
      {"->9223372036854775808kb\v0X1fveya eğeriçinbest_effort\n",
       {"Arrow @1:1+2", "Eof @1:3+19", "Identifier kb @1:22+2", "Integer 31 @1:25+4",
        "Veya @1:29+4", "Identifier eğeriçinbest_effort @1:34+19", "Eof @2:1+1"}},
      // A hexadecimal number takes the "e" of a word after it.
      {"**0xFFeğer?..=1_000ççççççççççççççççççççж漢",
       {"Star @1:1+1", "Star @1:2+1", "Integer 4094 @1:3+5", "Identifier ğer @1:8+3",
        "Question @1:11+1", "DotDotEqual @1:12+3", "Integer 1 @1:15+1",
        "Identifier _000ççççççççççççççççççççж漢 @1:16+26", "Eof @1:42+1"}},
      // A line separator is white space but starts no line; stray bytes take a
      // column each.
      {"\u2028veya eğerdeğişken\xE2\x82\xE2\x82\t\t\t\tZ->x1",
       {"Veya @1:2+4", "Identifier eğerdeğişken @1:7+12", "Eof @1:19+1", "Eof @1:20+1",
        "Eof @1:21+1", "Eof @1:22+1", "Identifier Z @1:27+1", "Arrow @1:28+2",
        "Identifier x1 @1:30+2", "Eof @1:32+1"}},
  });
}

// A token as the streams of a text and of its prefixes are compared: its
// dump, its byte offset, and how far into the text it depends.
struct Scanned {
  std::string dump;
  std::size_t offset = 0;
  std::size_t reach = 0;
  bool operator==(const Scanned&) const = default;
};

// Every token up to the end of the text, also past characters that start
// none (those are end-of-input tokens in the middle of the stream).
std::vector<Scanned> scan_all(std::string_view text) {
  Lexer lexer(text, SourceName{"<stdin>", 0});
  std::vector<Scanned> out;
  for (;;) {
    const Lexeme lexeme = lexer.next_lexeme();
    const Place& place = lexer.last_place();
    const Token token{lexeme.kind, std::string(lexeme.text), lexeme.integer, lexeme.floating};
    const Span span{.line = place.line, .column = place.column, .length = place.length};
    out.push_back({test::describe(token, span), place.offset, reach_of(lexeme)});
    if (lexeme.kind == TokenKind::Eof && lexer.offset() >= text.size()) return out;
  }
}

// The tokens of the whole text that depend on nothing past `cut` come out
// of the text cut there just the same.
void expect_prefix_agrees(std::string_view text, const std::vector<Scanned>& whole,
                          std::size_t cut) {
  std::vector<Scanned> settled;
  for (const Scanned& token : whole) {
    if (token.reach > cut) break;
    settled.push_back(token);
  }
  std::vector<Scanned> prefix = scan_all(text.substr(0, cut));
  if (prefix.size() > settled.size()) prefix.resize(settled.size());
  if (prefix == settled) return;
  const std::size_t at = first_difference(prefix, settled);
  auto token_or_none = [](const std::vector<Scanned>& tokens, std::size_t i) {
    if (i >= tokens.size()) return std::string("(none)");
    return tokens[i].dump + " at byte " + std::to_string(tokens[i].offset);
  };
  FAIL() << "text: " << test::escaped(text) << "\ncut at byte " << cut << ", token " << at + 1
         << "\n  whole text: " << token_or_none(settled, at)
         << "\n  cut text:   " << token_or_none(prefix, at);
}

// Texts of every length from 0 to 299 pieces, cut at every byte of their
// last 40.
TEST(RecordedStreams, PrefixesLexAsTheWholeText) {
  for (std::uint64_t seed : {1, 2}) {
    std::uint64_t state = seed;
    for (int length = 0; length < 300; ++length) {
      std::string text;
      for (int i = 0; i < length; ++i) text += kPieces[next_random(state) % std::size(kPieces)];
      const std::vector<Scanned> whole = scan_all(text);
      const std::size_t from = text.size() > 40 ? text.size() - 40 : 0;
      for (std::size_t cut = from; cut < text.size(); ++cut) {
        expect_prefix_agrees(text, whole, cut);
        if (testing::Test::HasFatalFailure()) return;
      }
    }
  }
}

}  // namespace
}  // namespace qosa::lexer
