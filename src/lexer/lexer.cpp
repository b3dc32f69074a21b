#include "lexer/lexer.h"

#include <array>
#include <bit>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "lexer/keywords.h"
#include "lexer/number.h"
#include "support/hex.h"
#include "support/utf8.h"

namespace qosa::lexer {
namespace {

// Stands for a byte that does not begin a valid UTF-8 character.
constexpr char32_t kInvalid = 0x110000;

// The language has no error token: a character that starts no token and a
// number that does not convert both give the end-of-input kind, which ends
// the parse there. Not a bug to "fix" with a token of its own.
constexpr TokenKind kRejected = TokenKind::Eof;

#if defined(__SSE2__)
// Bytes of `x` in [lo, hi], compared without sign.
inline __m128i in_range(__m128i x, char lo, char hi) {
  const __m128i t = _mm_sub_epi8(x, _mm_set1_epi8(lo));
  return _mm_cmpeq_epi8(_mm_min_epu8(t, _mm_set1_epi8(static_cast<char>(hi - lo))), t);
}

inline __m128i load16(const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// How many bits of a 16-bit byte mask are set from bit 0 on. Bit 16 of the
// complement is always set, so the count needs no check for zero (which
// std::countr_one makes a jump of where the processor lacks tzcnt).
inline unsigned run_of(unsigned mask) { return static_cast<unsigned>(__builtin_ctz(~mask)); }

// Bit i set when byte i of the 16 at `p` goes on an identifier: an ASCII
// letter, digit or "_", or either byte of a letter from U+00C0 to U+017F (lead
// byte C3 to C5; every character there is a letter but × and ÷), which covers
// the Turkish letters. A letter cut by the end of the 16 is left to the caller.
inline unsigned identifier_mask(const char* p) {
  const __m128i x = load16(p);
  const __m128i letter = in_range(_mm_or_si128(x, _mm_set1_epi8(0x20)), 'a', 'z');
  const __m128i digit = in_range(x, '0', '9');
  const __m128i underscore = _mm_cmpeq_epi8(x, _mm_set1_epi8('_'));
  const auto ascii = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(letter, digit), underscore)));
  const auto high = static_cast<unsigned>(_mm_movemask_epi8(x));
  if (high == 0) return ascii;
  const auto lead = static_cast<unsigned>(
      _mm_movemask_epi8(in_range(x, static_cast<char>(0xC3), static_cast<char>(0xC5))));
  const auto continuation = static_cast<unsigned>(
      _mm_movemask_epi8(in_range(x, static_cast<char>(0x80), static_cast<char>(0xBF))));
  const auto c3 = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8(static_cast<char>(0xC3)))));
  const auto sign = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
      _mm_cmpeq_epi8(x, _mm_set1_epi8(static_cast<char>(0x97))), _mm_cmpeq_epi8(x, _mm_set1_epi8(static_cast<char>(0xB7))))));
  const unsigned pairs = lead & (continuation >> 1) & ~(c3 & (sign >> 1));
  return ascii | pairs | (pairs << 1);
}

// How many ASCII digits the 16 bytes at `p` begin with (16: perhaps more).
inline unsigned digit_run(const char* p) {
  return run_of(static_cast<unsigned>(_mm_movemask_epi8(in_range(load16(p), '0', '9'))));
}

// How many hexadecimal digits the 16 bytes at `p` begin with.
inline unsigned hex_digit_run(const char* p) {
  const __m128i x = load16(p);
  const __m128i digits = _mm_or_si128(in_range(x, '0', '9'), in_range(_mm_or_si128(x, _mm_set1_epi8(0x20)), 'a', 'f'));
  return run_of(static_cast<unsigned>(_mm_movemask_epi8(digits)));
}
#endif

// The value of the `len` (at most 8) ASCII digits at the start of the eight
// bytes at `p`, without a loop: the digits are moved to the top of a word,
// which leaves zeros in front of them, and combined in pairs, fours, eights.
inline std::uint64_t eight_digits(const char* p, unsigned len) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  v = len == 0 ? 0 : (v << (8 * (8 - len))) & 0x0F0F0F0F0F0F0F0FULL;
  v = (v * 2561) >> 8;
  v = ((v & 0x00FF00FF00FF00FFULL) * 6553601) >> 16;
  return ((v & 0x0000FFFF0000FFFFULL) * 42949672960001ULL) >> 32;
}

// The value of the `len` (at most 16) ASCII digits at `p`, which has 16 bytes
// to read.
inline std::uint64_t sixteen_digits(const char* p, unsigned len) {
  if (len <= 8) return eight_digits(p, len);
  return eight_digits(p, len - 8) * 100000000ULL + eight_digits(p + len - 8, 8);
}

constexpr std::array<double, 16> kPowersOfTen = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// What a byte between tokens may be: white space, the start of a comment
// ("/"), a character to decode, or none of these.
enum class Trivia : std::uint8_t { None, Blank, Newline, Slash, High };

constexpr std::array<Trivia, 256> kTrivia = [] {
  std::array<Trivia, 256> table{};
  for (char c : {' ', '\t', '\r', '\v', '\f'}) table[static_cast<unsigned char>(c)] = Trivia::Blank;
  table['\n'] = Trivia::Newline;
  table['/'] = Trivia::Slash;
  for (int b = 0x80; b < 0x100; ++b) table[b] = Trivia::High;
  return table;
}();

// By a word's length (below 32), masks of its bytes among the first eight
// (head) and the next eight (tail). Indexed by the length's low five bits,
// so without a jump; longer words get some mask, and no keyword is that long.
constexpr std::uint64_t low_bytes(std::size_t k) {
  return k == 0 ? 0 : k >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * k)) - 1;
}
constexpr std::array<std::uint64_t, 32> kHeadMask = [] {
  std::array<std::uint64_t, 32> masks{};
  for (std::size_t len = 0; len < 32; ++len) masks[len] = low_bytes(len);
  return masks;
}();
constexpr std::array<std::uint64_t, 32> kTailMask = [] {
  std::array<std::uint64_t, 32> masks{};
  for (std::size_t len = 0; len < 32; ++len) masks[len] = low_bytes(len > 8 ? len - 8 : 0);
  return masks;
}();
static_assert(keyword_detail::kLongestKeyword < 32);

Lexeme make(TokenKind kind) {
  Lexeme token;
  token.kind = kind;
  return token;
}

Lexeme make_string(std::string_view value) {
  Lexeme token;
  token.kind = TokenKind::String;
  token.text = value;
  return token;
}

// What the first byte of a token decides, in one lookup: a word (ASCII
// letter or "_"), a sign of one or two characters (the second one and its
// kind when the next byte is `second`), and the starts that need a scan of
// their own. Bytes from 0x80 on are characters to decode (Other).
enum class Start : std::uint8_t { Other, Word, Sign, Digit, Dot, DoubleQuote, Quote };

struct StartRow {
  Start start = Start::Other;
  std::int16_t second = -2;  // matches no byte_at
  TokenKind kind = kRejected;
  TokenKind kind2 = kRejected;
};

constexpr std::array<StartRow, 256> kStart = [] {
  std::array<StartRow, 256> table{};
  for (int c = 'a'; c <= 'z'; ++c) table[c].start = Start::Word;
  for (int c = 'A'; c <= 'Z'; ++c) table[c].start = Start::Word;
  table['_'].start = Start::Word;
  for (int c = '0'; c <= '9'; ++c) table[c].start = Start::Digit;
  auto sign = [&table](char c, TokenKind kind, std::int16_t second = -2, TokenKind kind2 = kRejected) {
    table[static_cast<unsigned char>(c)] = StartRow{Start::Sign, second, kind, kind2};
  };
  sign('+', TokenKind::Plus);
  sign('*', TokenKind::Star);
  sign('%', TokenKind::Percent);
  sign(',', TokenKind::Comma);
  sign(';', TokenKind::Semicolon);
  sign('?', TokenKind::Question);
  sign('(', TokenKind::LeftParen);
  sign(')', TokenKind::RightParen);
  sign('{', TokenKind::LeftBrace);
  sign('}', TokenKind::RightBrace);
  sign('[', TokenKind::LeftBracket);
  sign(']', TokenKind::RightBracket);
  sign('|', TokenKind::Pipe);
  sign('#', TokenKind::Hash);
  sign('/', TokenKind::Slash);  // comments are skipped already
  sign('=', TokenKind::Assign, '=', TokenKind::EqualEqual);
  sign('!', TokenKind::Bang, '=', TokenKind::NotEqual);
  sign('<', TokenKind::Less, '=', TokenKind::LessEqual);
  sign('>', TokenKind::Greater, '=', TokenKind::GreaterEqual);
  sign(':', TokenKind::Colon, ':', TokenKind::PathSep);
  sign('-', TokenKind::Minus, '>', TokenKind::Arrow);
  table['.'].start = Start::Dot;
  table['"'].start = Start::DoubleQuote;
  table['\''].start = Start::Quote;
  return table;
}();

}  // namespace

Lexer::Lexer(std::string_view text, SourceName source)
    : text_(text), classes_(&char_class_table()), source_(std::move(source)) {
  last_span_.file = source_.name;
  last_span_.flag = source_.flag;
  if (text_.size() > 2 && text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
  base_ = counted_ = Position{pos_, 1, 1};
}

void Lexer::resume_at(std::size_t offset, std::uint64_t line, std::uint64_t column) {
  pos_ = offset;
  base_ = counted_ = Position{offset, line, column};
}

Lexer::Char Lexer::char_at(std::size_t i) const {
  const auto d = support::decode_utf8_checked(text_, i);
  if (!d) return {kInvalid, 1};
  return {d->code_point, d->length};
}

[[gnu::always_inline]] inline std::uint8_t Lexer::classes_at(std::size_t i, std::size_t& length) const {
  const auto b = static_cast<unsigned char>(text_[i]);
  if (b < 0x80) {
    length = 1;
    return (*classes_)[b];
  }
  // Two-byte characters (the Turkish letters among them) straight from the table.
  if (b >= 0xC2 && b <= 0xDF && i + 1 < text_.size() && support::is_utf8_continuation(static_cast<unsigned char>(text_[i + 1]))) {
    length = 2;
    return (*classes_)[(static_cast<char32_t>(b & 0x1F) << 6) | (static_cast<unsigned char>(text_[i + 1]) & 0x3F)];
  }
  const Char c = char_at(i);
  length = c.length;
  return c.code_point == kInvalid ? 0 : classes_of(*classes_, c.code_point);
}

// Lines and columns as the scan passes them: a line feed starts a line, and
// every byte that does not continue a character takes a column, as does
// every stray byte read as a character of its own.
Position Lexer::count_from(Position from, std::size_t to) const {
  const char* const s = text_.data();
  std::uint64_t line = from.line;
  std::uint64_t column = from.column;
  std::size_t line_start = from.offset;
  for (std::size_t i = from.offset; i < to; ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b == '\n') {
      ++line;
      column = 1;
      line_start = i + 1;
    } else {
      column += !support::is_utf8_continuation(b);
    }
  }
  if (!stray_bytes_.empty()) {
    const auto first = std::lower_bound(stray_bytes_.begin(), stray_bytes_.end(), line_start);
    const auto last = std::lower_bound(first, stray_bytes_.end(), to);
    column += static_cast<std::uint64_t>(last - first);
  }
  return Position{to, line, column};
}

Position Lexer::position_of(std::size_t to) {
  counted_ = count_from(to >= counted_.offset ? counted_ : base_, to);
  return counted_;
}

Place Lexer::place_of(const Lexeme& token) {
  const Position start = position_of(token.offset);
  const Position end = count_from(start, token.end);
  Place place{start.line, start.column, 1, token.offset};
  if (end.column > start.column) place.length = end.column - start.column;
  return place;
}

// Inlined into lex, so that the position stays in a register.
[[gnu::always_inline]] inline std::size_t Lexer::skip_trivia(std::size_t i) const {
  const char* const s = text_.data();
  const std::size_t n = text_.size();
  // The one space between most tokens, without a jump.
  if (i < n) i += s[i] == ' ';
  while (i < n) {
    const auto b = static_cast<unsigned char>(s[i]);
    const Trivia trivia = kTrivia[b];
    if (trivia == Trivia::None) break;
    if (trivia == Trivia::Blank) {
      ++i;
#if defined(__SSE2__)
      // Indentation: the rest of a run of spaces at once.
      if (n - i >= 16) {
        const auto spaces = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(load16(s + i), _mm_set1_epi8(' '))));
        i += run_of(spaces);
      }
#endif
    } else if (b == '\n') {
      ++i;
    } else if (b == '/' && i + 1 < n && s[i + 1] == '/') {
      // Up to the line break, which stays unread.
      i += 2;
#if defined(__SSE2__)
      while (n - i >= 16) {
        const __m128i x = load16(s + i);
        const auto breaks = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('\n')), _mm_cmpeq_epi8(x, _mm_set1_epi8('\r')))));
        if (breaks) {
          i += static_cast<unsigned>(std::countr_zero(breaks));
          break;
        }
        i += 16;
      }
#endif
      while (i < n && s[i] != '\n' && s[i] != '\r') ++i;
    } else if (b == '/' && i + 1 < n && s[i + 1] == '*') {
      // Block comments do not nest; the "*" of the opener cannot close it.
      const std::size_t close = text_.find("*/", i + 2);
      i = close == std::string_view::npos ? n : close + 2;
    } else if (b >= 0x80) {
      std::size_t len = 0;
      if (!(classes_at(i, len) & kWhite)) break;
      i += len;
    } else {
      break;
    }
  }
  return i;
}

// The position goes from scan to scan in a register: kept in the object, it
// would be stored and loaded again between the scans of every token, which
// puts a store's forwarding on the path from one token to the next.
std::size_t Lexer::lex(Lexeme* __restrict out, std::size_t count) {
  begin_batch();
  std::size_t p = pos_;
  for (std::size_t i = 0; i < count;) {
    p = skip_trivia(p);
    const std::size_t start = p;
    std::uint32_t peeked = kLookahead;
    // Made in its slot: a copy from a temporary would read back, in wide
    // loads, what was just stored field by field.
    Lexeme* const token = ::new (static_cast<void*>(out + i)) Lexeme(scan_token(p, peeked));
    ++i;
    token->offset = start;
    token->end = p;
    token->lookahead = peeked;
    if (token->kind == TokenKind::Eof) {
      pos_ = p;
      return i;
    }
  }
  pos_ = p;
  return count;
}

Lexeme Lexer::next_lexeme() {
  Lexeme token;
  lex(&token, 1);
  last_place_ = place_of(token);
  return token;
}

Token Lexer::next_token() {
  const Lexeme lexeme = next_lexeme();
  last_span_.line = last_place_.line;
  last_span_.column = last_place_.column;
  last_span_.length = last_place_.length;
  Token token;
  token.kind = lexeme.kind;
  token.text.assign(lexeme.text);
  token.integer = lexeme.integer;
  token.floating = lexeme.floating;
  return token;
}

void Lexer::begin_batch() {
  escaped_turn_ ^= 1u;
  escaped_used_[escaped_turn_] = 0;
}

std::string& Lexer::escape_buffer() {
  std::deque<std::string>& strings = escaped_[escaped_turn_];
  std::size_t& used = escaped_used_[escaped_turn_];
  if (used == strings.size()) strings.emplace_back();
  std::string& buffer = strings[used++];
  buffer.clear();
  return buffer;
}

[[gnu::always_inline]] inline Lexeme Lexer::single(std::size_t& p, TokenKind kind, std::size_t chars) {
  p += chars;
  return make(kind);
}

// The scans that keep their position in the object.
template <class Scan>
[[gnu::always_inline]] inline Lexeme Lexer::in_object(std::size_t& p, Scan scan) {
  pos_ = p;
  Lexeme token = scan();
  p = pos_;
  return token;
}

[[gnu::always_inline]] inline Lexeme Lexer::scan_token(std::size_t& p, std::uint32_t& peeked) {
  if (p >= text_.size()) return make(TokenKind::Eof);
  const auto b = static_cast<unsigned char>(text_[p]);
  const StartRow row = kStart[b];
  // Words are most tokens, signs most of the rest.
  if (row.start == Start::Word) return scan_identifier(p, peeked);
  if (row.start == Start::Sign) {
    if (byte_at(p + 1) == row.second) return single(p, row.kind2, 2);
    return single(p, row.kind, 1);
  }
  switch (row.start) {
    case Start::Digit: return scan_ascii_digits(p);
    case Start::Dot:
      if (byte_at(p + 1) != '.') return single(p, TokenKind::Dot, 1);
      return byte_at(p + 2) == '=' ? single(p, TokenKind::DotDotEqual, 3) : single(p, TokenKind::DotDot, 2);
    case Start::DoubleQuote: return in_object(p, [this] { return scan_double_quoted(); });
    case Start::Quote: return in_object(p, [this] { return scan_quoted('\''); });
    default: break;
  }
  std::size_t len = 0;
  const std::uint8_t cls = classes_at(p, len);
  // A character that is both alphabetic and numeric starts an identifier.
  if (cls & kIdentStart) return scan_identifier(p, peeked);
  if (cls & kDigit) return in_object(p, [this] { return scan_number(); });
  // A stray continuation byte takes a column, unlike one inside a character.
  if (support::is_utf8_continuation(b) && (stray_bytes_.empty() || stray_bytes_.back() < p)) {
    stray_bytes_.push_back(p);
  }
  p += len;
  return make(kRejected);
}

[[gnu::always_inline]] inline Lexeme Lexer::scan_identifier(std::size_t& pos, std::uint32_t& peeked) {
  const char* const s = text_.data();
  const std::size_t start = pos;
  const std::size_t n = text_.size();
  const CharClassTable& table = *classes_;
  std::size_t i = pos;
  while (i < n) {
#if defined(__SSE2__)
    // Sixteen bytes at a time while the run goes on.
    if (n - i >= 16) {
      const auto run = run_of(identifier_mask(s + i));
      i += run;
      if (run == 16) continue;
      // An ASCII byte that the mask left out goes on no identifier.
      if (static_cast<unsigned char>(s[i]) < 0x80) break;
    }
    if (i >= n) break;
#endif
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      if (!(table[b] & kIdentContinue)) break;
      ++i;
    } else {
      std::size_t len = 0;
      if (!(classes_at(i, len) & kIdentContinue)) break;
      i += len;
    }
  }
  pos = i;
  const std::string_view word = text_.substr(start, pos - start);

  // The word's first sixteen bytes in two loads where the text goes on far
  // enough, the bytes past the word masked off.
  std::uint64_t head;
  std::uint64_t tail;
  if (n - start >= 16) {
    std::memcpy(&head, s + start, 8);
    std::memcpy(&tail, s + start + 8, 8);
    const std::size_t len = word.size();
    head &= kHeadMask[len & 31];
    tail &= kTailMask[len & 31];
  } else {
    head = keyword_detail::load_head(word);
    tail = word.size() > 8 ? keyword_detail::load_head(word.substr(8)) : 0;
  }

  // "her biri" and "veya eğer": look past one space at a run of letters. The
  // lexer's own position moves only when the two words form a keyword. A run
  // longer than the longest second word ends the look.
  if (starts_two_word_keyword(head) && byte_at(pos) == ' ') [[unlikely]] {
    constexpr std::size_t kEnoughLetters = 5;
    std::size_t p = pos + 1;
    std::size_t letters = 0;
    while (p < n && letters < kEnoughLetters) {
      std::size_t len = 0;
      if (!(classes_at(p, len) & kLetter)) break;
      p += len;
      ++letters;
    }
    if (letters > 0) {
      if (auto kind = find_keyword(text_.substr(start, p - start))) {
        pos = p;
        return make(*kind);
      }
    }
    peeked = std::max(peeked, static_cast<std::uint32_t>(p - pos) + kLookahead);
  }

  // A keyword token carries no text.
  Lexeme token;
  token.kind = keyword_or_identifier(word, head, tail);
  const std::size_t text_size = word.size() & -static_cast<std::size_t>(token.kind == TokenKind::Identifier);
  token.text = std::string_view(word.data(), text_size);
  return token;
}


// The numbers of nearly every program: up to fifteen ASCII digits, perhaps
// with a fraction, or up to fifteen hexadecimal ones, read from one or two
// 16-byte masks without a loop per digit. A float whose digits fit in 2^53
// is their integer divided by a power of ten, one correctly rounded division
// of two exact doubles. Everything else (longer numbers, a numeric character
// after the digits, the last bytes of the text) takes the general scan.
[[gnu::always_inline]] inline Lexeme Lexer::scan_ascii_digits(std::size_t& pos) {
#if defined(__SSE2__)
  const char* const s = text_.data();
  const std::size_t start = pos;
  if (text_.size() - start >= 32) {
    if (s[start] == '0' && (s[start + 1] | 0x20) == 'x') {
      const unsigned len = hex_digit_run(s + start + 2);
      const std::size_t end = start + 2 + len;
      if (len > 0 && len < 16) {
        std::uint64_t value = 0;
        for (std::size_t i = start + 2; i < end; ++i) value = value * 16 + static_cast<std::uint64_t>(support::known_hex_digit_value(s[i]));
        pos = end;
        Lexeme token = make(TokenKind::Integer);
        token.integer = static_cast<std::int64_t>(value);
        return token;
      }
      return in_object(pos, [this] { return scan_number(); });
    }
    const unsigned whole = digit_run(s + start);
    std::size_t end = start + whole;
    if (whole < 16) {
      if (s[end] != '.' || s[end + 1] == '.') {
        if (static_cast<unsigned char>(s[end]) < 0x80) {
          pos = end;
          Lexeme token = make(TokenKind::Integer);
          token.integer = static_cast<std::int64_t>(sixteen_digits(s + start, whole));
          return token;
        }
      } else {
        const unsigned fraction = digit_run(s + end + 1);
        const std::size_t fraction_end = end + 1 + fraction;
        if (whole + fraction <= 15 && static_cast<unsigned char>(s[fraction_end]) < 0x80) {
          const std::uint64_t digits = sixteen_digits(s + start, whole) * static_cast<std::uint64_t>(kPowersOfTen[fraction]) +
                                       sixteen_digits(s + end + 1, fraction);
          pos = fraction_end;
          Lexeme token = make(TokenKind::Float);
          token.floating = static_cast<double>(digits) / kPowersOfTen[fraction];
          return token;
        }
      }
    }
  }
#endif
  return in_object(pos, [this] { return scan_number(); });
}

namespace {

constexpr std::uint64_t kInt64Max = 0x7FFFFFFFFFFFFFFFULL;

bool is_ascii_digit(int b) { return b >= '0' && b <= '9'; }

}  // namespace

// Numbers of ASCII digits that end in an ASCII character, which are nearly
// all: read in one pass without decoding. Anything else is left to the
// general scan (none when it is not such a number).
std::optional<Lexeme> Lexer::scan_ascii_number() {
  const char* const s = text_.data();
  const std::size_t n = text_.size();
  const std::size_t start = pos_;
  std::size_t i = start;
  std::uint64_t value = 0;
  bool fits = true;
  while (i < n && is_ascii_digit(static_cast<unsigned char>(s[i]))) {
    const auto d = static_cast<std::uint64_t>(s[i] - '0');
    fits = fits && value <= (kInt64Max - d) / 10;
    value = value * 10 + d;
    ++i;
  }
  bool is_float = false;
  // "1..2" is a range: the number ends before two dots.
  if (byte_at(i) == '.' && byte_at(i + 1) != '.') {
    is_float = true;
    ++i;
    while (i < n && is_ascii_digit(static_cast<unsigned char>(s[i]))) ++i;
  }
  if (byte_at(i) >= 0x80) return std::nullopt;  // perhaps a numeric character
  pos_ = i;
  if (is_float) {
    const auto floating = parse_float(text_.substr(start, i - start));
    if (!floating) return make(kRejected);
    Lexeme token = make(TokenKind::Float);
    token.floating = *floating;
    return token;
  }
  if (!fits) return make(kRejected);
  Lexeme token = make(TokenKind::Integer);
  token.integer = static_cast<std::int64_t>(value);
  return token;
}

Lexeme Lexer::scan_number() {
  const std::size_t start = pos_;
  const std::size_t n = text_.size();
  const bool hex = byte_at(pos_) == '0' && (byte_at(pos_ + 1) == 'x' || byte_at(pos_ + 1) == 'X');
  if (!hex && is_ascii_digit(byte_at(pos_))) {
    if (auto token = scan_ascii_number()) return *token;
  }
  const Char first = char_at(pos_);
  pos_ += first.length;

  if (hex) {
    ++pos_;
    const std::size_t digits = pos_;
    while (pos_ < n && support::is_hex_digit(text_[pos_])) ++pos_;
    Lexeme token = make(TokenKind::Integer);
    if (pos_ == digits) return token;  // "0x" alone is 0
    const auto value = parse_hex(text_.substr(digits, pos_ - digits));
    if (!value) return make(kRejected);
    token.integer = *value;
    return token;
  }

  bool ascii = first.length == 1;
  auto take_digits = [&] {
    while (pos_ < n) {
      std::size_t len = 0;
      if (!(classes_at(pos_, len) & kDigit)) break;
      ascii = ascii && len == 1;
      pos_ += len;
    }
  };
  take_digits();
  bool is_float = false;
  // "1..2" is a range: the number ends before two dots.
  if (byte_at(pos_) == '.' && byte_at(pos_ + 1) != '.') {
    ++pos_;
    is_float = true;
    take_digits();
  }

  const std::string_view literal = text_.substr(start, pos_ - start);
  if (!ascii) return make(kRejected);
  if (is_float) {
    const auto value = parse_float(literal);
    if (!value) return make(kRejected);
    Lexeme token = make(TokenKind::Float);
    token.floating = *value;
    return token;
  }
  const auto value = parse_decimal(literal);
  if (!value) return make(kRejected);
  Lexeme token = make(TokenKind::Integer);
  token.integer = *value;
  return token;
}

Lexeme Lexer::scan_double_quoted() {
  if (byte_at(pos_ + 1) != '"') return scan_quoted('"');
  if (byte_at(pos_ + 2) == '"') return scan_raw_string();
  pos_ += 2;
  return make_string({});
}

Lexeme Lexer::scan_quoted(char quote) {
  const char* const s = text_.data();
  const std::size_t n = text_.size();
  std::size_t i = pos_ + 1;
  std::string* value = nullptr;  // taken at the first escape
  const std::size_t first = i;
  std::size_t segment = i;  // start of the bytes not yet copied into `value`
  bool closed = false;
#if defined(__SSE2__)
  const __m128i quotes = _mm_set1_epi8(quote);
  const __m128i backslashes = _mm_set1_epi8('\\');
#endif
  while (i < n) {
#if defined(__SSE2__)
    // Sixteen bytes at a time up to the next quote or backslash.
    if (n - i >= 16) {
      const __m128i x = load16(s + i);
      const auto stops = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(x, quotes), _mm_cmpeq_epi8(x, backslashes))));
      if (stops == 0) {
        i += 16;
        continue;
      }
      i += static_cast<unsigned>(__builtin_ctz(stops));
    }
#endif
    const char c = s[i];
    if (c == quote) {
      closed = true;
      break;
    }
    if (c != '\\') {
      ++i;
      continue;
    }
    const int next = byte_at(i + 1);
    char escaped = 0;
    if (next == 'n') escaped = '\n';
    else if (next == 'r') escaped = '\r';
    else if (next == 't') escaped = '\t';
    else if (next == '0') escaped = '\0';
    else if (next == '\\') escaped = '\\';
    else if (next == quote) escaped = quote;
    else {
      // Not an escape (or the end of the text): the backslash stays, and the
      // character after it is read as an ordinary one.
      ++i;
      continue;
    }
    if (!value) value = &escape_buffer();
    value->append(s + segment, i - segment);
    value->push_back(escaped);
    i += 2;
    segment = i;
  }
  // Unterminated, the string is what was collected up to the end.
  std::string_view text(s + first, i - first);
  if (value) {
    value->append(s + segment, i - segment);
    text = *value;
  }
  if (closed) ++i;
  pos_ = i;
  return make_string(text);
}

Lexeme Lexer::scan_raw_string() {
  pos_ += 3;
  // One line break right after the opening quotes is not part of the text.
  if (byte_at(pos_) == '\n') {
    pos_ += 1;
  } else if (byte_at(pos_) == '\r') {
    pos_ += byte_at(pos_ + 1) == '\n' ? 2 : 1;
  }
  const std::size_t body = pos_;
  const std::size_t close = text_.find(R"(""")", body);
  if (close == std::string_view::npos) {
    pos_ = text_.size();
    return make_string(text_.substr(body));
  }
  std::string_view value = text_.substr(body, close - body);
  while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.remove_suffix(1);
  pos_ = close + 3;
  return make_string(value);
}

}  // namespace qosa::lexer
