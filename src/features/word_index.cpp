#include "features/word_index.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "features/tables.h"
#include "features/words.h"
#include "support/unicode.h"
#include "support/utf8.h"

namespace qosa::lsp {

namespace {

// ---- The hash of a run's bytes (wyhash's multiply-and-fold step).

constexpr std::uint64_t k0 = 0xa0761d6478bd642f;
constexpr std::uint64_t k1 = 0xe7037ed1a0b428db;
constexpr std::uint64_t k2 = 0x8ebc6af09c88c6e3;

[[gnu::always_inline]] inline std::uint64_t mix(std::uint64_t a, std::uint64_t b) {
  const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
  return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

std::uint64_t load8(const char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

// The first n (1 to 8) bytes at p as a number; `end` bounds what may be read.
// Both ways give the same number, so a word hashes alike wherever it stands.
std::uint64_t load_up_to_8(const char* p, std::size_t n, const char* end) {
  std::uint64_t v = 0;
  if (std::endian::native == std::endian::little && end - p >= 8) {
    v = load8(p);
    if (n < 8) v &= (std::uint64_t{1} << (8 * n)) - 1;
  } else {
    std::memcpy(&v, p, n);
  }
  return v;
}

[[gnu::always_inline]] inline std::uint64_t hash_word(const char* p, std::size_t n, const char* end) {
  std::uint64_t a = 0;
  std::uint64_t b = 0;
  if (n <= 8) {
    a = load_up_to_8(p, n, end);
  } else if (n <= 16) {
    a = load8(p);
    b = load8(p + n - 8);
  } else {
    a = k0;
    for (std::size_t i = 0; i + 8 < n; i += 8) a = mix(a ^ load8(p + i), k1);
    b = load8(p + n - 8);
  }
  return mix(a ^ k1 ^ n, b ^ k2);
}

std::uint32_t tag_of(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32); }

std::size_t bucket_of(std::uint32_t tag, unsigned bits) {
  return static_cast<std::size_t>((std::uint64_t{tag} << bits) >> 32);
}

// ---- Characters.

// The identifier rule for the two-byte characters (U+0080 to U+07FF), where
// the Turkish letters are: one bit each, so the scan calls no table per letter.
class TwoByteIdentifiers {
 public:
  TwoByteIdentifiers() {
    for (char32_t c = 0x80; c < 0x800; ++c) {
      if (is_identifier_char(c)) bits_[c >> 6] |= std::uint64_t{1} << (c & 63);
    }
  }
  bool operator()(char32_t c) const { return (bits_[c >> 6] >> (c & 63)) & 1; }

 private:
  std::array<std::uint64_t, 32> bits_{};
};

const TwoByteIdentifiers& two_byte_identifiers() {
  static const TwoByteIdentifiers table;
  return table;
}

// The last bytes of the declaration keywords: a run that ends otherwise
// cannot end one.
constexpr auto keyword_last_bytes = [] {
  std::array<bool, 256> last{};
  for (const DeclarationPattern& p : declaration_patterns) {
    last[static_cast<unsigned char>(p.keyword_part[p.keyword_part.size() - 2])] = true;  // before its space
  }
  return last;
}();

// ---- 64 bytes at a time: bit i of each mask says what byte i is.

struct BlockMasks {
  std::uint64_t identifier = 0;  // ASCII identifier characters
  std::uint64_t high = 0;        // bytes of non-ASCII characters
  std::uint64_t continuation = 0;
  std::uint64_t four_byte_lead = 0;
  std::uint64_t newline = 0;
};

BlockMasks classify(const char* block) {
  BlockMasks m;
#if defined(__SSE2__)
  for (int i = 0; i < 4; ++i) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * i));
    // Letters and digits by a shifted signed compare: SSE2 has no unsigned one.
    const __m128i lower = _mm_or_si128(x, _mm_set1_epi8(0x20));
    const __m128i letter = _mm_cmplt_epi8(_mm_add_epi8(lower, _mm_set1_epi8(static_cast<char>(128 - 'a'))),
                                          _mm_set1_epi8(static_cast<char>(-128 + 26)));
    const __m128i digit = _mm_cmplt_epi8(_mm_add_epi8(x, _mm_set1_epi8(static_cast<char>(128 - '0'))),
                                         _mm_set1_epi8(static_cast<char>(-128 + 10)));
    const __m128i underscore = _mm_cmpeq_epi8(x, _mm_set1_epi8('_'));
    const auto bits = [&](__m128i v) {
      return std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(v))} << (16 * i);
    };
    m.identifier |= bits(_mm_or_si128(_mm_or_si128(letter, digit), underscore));
    m.high |= bits(x);
    m.continuation |= bits(_mm_cmplt_epi8(x, _mm_set1_epi8(static_cast<char>(0xC0))));
    m.four_byte_lead |= bits(_mm_cmpgt_epi8(x, _mm_set1_epi8(static_cast<char>(0xEF))));
    m.newline |= bits(_mm_cmpeq_epi8(x, _mm_set1_epi8('\n')));
  }
  m.identifier &= ~m.high;
  m.continuation &= m.high;
  m.four_byte_lead &= m.high;
#else
  for (int i = 0; i < 64; ++i) {
    const auto b = static_cast<unsigned char>(block[i]);
    const std::uint64_t bit = std::uint64_t{1} << i;
    if (b < 0x80 && is_ascii_identifier_char(b)) m.identifier |= bit;
    if (b >= 0x80) m.high |= bit;
    if (b >= 0x80 && b < 0xC0) m.continuation |= bit;
    if (b >= 0xF0) m.four_byte_lead |= bit;
    if (b == '\n') m.newline |= bit;
  }
#endif
  return m;
}

std::uint64_t below(unsigned bit) { return bit >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bit) - 1; }

// std::popcount is a library call without a -m flag for the instruction.
int bit_count(std::uint64_t x) {
  x -= (x >> 1) & 0x5555555555555555;
  x = (x & 0x3333333333333333) + ((x >> 2) & 0x3333333333333333);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0F;
  return static_cast<int>((x * 0x0101010101010101) >> 56);
}

// How many UTF-8 bytes of the block's first `bits` bytes are not UTF-16
// units of their own: continuation bytes, less one per four-byte character.
std::int64_t extra_bytes(const BlockMasks& m, std::uint64_t bits) {
  if (m.high == 0) return 0;
  const int continuation = bit_count(m.continuation & bits);
  return m.four_byte_lead == 0 ? continuation : continuation - bit_count(m.four_byte_lead & bits);
}

// One pass over the text: each maximal identifier run becomes an entry, in
// text order. Lines end at "\n"; a "\r" before it is no identifier character,
// so the runs need no other line rule.
class RunScanner {
 public:
  RunScanner(std::string_view text, std::vector<WordIndex::Entry>& out) : text_(text), out_(out) {}

  void scan() {
    std::size_t base = 0;
    for (; base + 64 <= text_.size(); base += 64) block(base, text_.data() + base);
    if (base < text_.size()) {
      // The tail, padded with NUL bytes (no identifier characters): the run
      // that reaches the end closes there.
      std::array<char, 64> padded{};
      std::memcpy(padded.data(), text_.data() + base, text_.size() - base);
      block(base, padded.data());
    }
    if (in_run_) end_run(text_.size());
  }

 private:
  void block(std::size_t base, const char* bytes) {
    const BlockMasks m = classify(bytes);
    std::uint64_t identifier = m.identifier | spilled_;
    spilled_ = 0;
    if (m.high != 0) {
      const TwoByteIdentifiers& two_byte = two_byte_identifiers();
      for (std::uint64_t leads = m.high & ~m.continuation; leads != 0; leads &= leads - 1) {
        const auto i = static_cast<unsigned>(std::countr_zero(leads));
        const std::size_t pos = base + i;
        const auto lead = static_cast<unsigned char>(text_[pos]);
        bool is_identifier = false;
        unsigned length = 2;
        if (lead < 0xE0) {
          const char32_t c = (char32_t{lead & 0x1Fu} << 6) | (static_cast<unsigned char>(text_[pos + 1]) & 0x3Fu);
          is_identifier = two_byte(c);
        } else {
          const auto d = support::decode_utf8(text_, pos);
          is_identifier = is_identifier_char(d.code_point);
          length = static_cast<unsigned>(d.length);
        }
        if (!is_identifier) continue;
        for (unsigned j = i; j < i + length; ++j) {
          if (j < 64) {
            identifier |= std::uint64_t{1} << j;
          } else {
            spilled_ |= std::uint64_t{1} << (j - 64);  // the character goes on in the next block
          }
        }
      }
    }
    std::uint64_t transitions = identifier ^ ((identifier << 1) | last_was_identifier_);
    last_was_identifier_ = identifier >> 63;
    std::uint64_t newlines = m.newline;
    for (; transitions != 0; transitions &= transitions - 1) {
      const auto i = static_cast<unsigned>(std::countr_zero(transitions));
      if (in_run_) {
        end_run(base + i);
      } else {
        take_newlines(base, m, newlines & below(i));
        newlines &= ~below(i);
        start_run(base, i, m);
      }
      in_run_ = !in_run_;
    }
    take_newlines(base, m, newlines);
    extra_before_block_ += extra_bytes(m, ~std::uint64_t{0});
  }

  void take_newlines(std::size_t base, const BlockMasks& m, std::uint64_t newlines) {
    if (newlines == 0) return;
    const auto last = static_cast<unsigned>(63 - std::countl_zero(newlines));
    for (; newlines != 0; newlines &= newlines - 1) ++line_;
    line_start_ = base + last + 1;
    extra_at_line_start_ = extra_before_block_ + extra_bytes(m, below(last + 1));
    previous_on_line_ = false;
  }

  void start_run(std::size_t base, unsigned i, const BlockMasks& m) {
    const std::size_t pos = base + i;
    const std::int64_t extra = extra_before_block_ + extra_bytes(m, below(i)) - extra_at_line_start_;
    run_start_ = pos;
    run_line_ = line_;
    run_column_ = static_cast<std::uint32_t>(static_cast<std::int64_t>(pos - line_start_) - extra);
    run_after_keyword_ = previous_on_line_ && follows_declaration_keyword(pos);
  }

  void end_run(std::size_t pos) {
    const std::size_t length = pos - run_start_;
    const std::uint64_t hash = hash_word(text_.data() + run_start_, length, text_.data() + text_.size());
    out_.push_back({(std::uint64_t{run_start_} << 1) | std::uint64_t{run_after_keyword_},
                    static_cast<std::uint32_t>(length), tag_of(hash), run_line_, run_column_});
    previous_end_ = pos;
    previous_on_line_ = true;
  }

  // Whether the line's text before `pos`, trimmed, ends with a declaration
  // keyword. The keywords are identifier characters, so only when the text
  // between the previous run of the line and `pos` is white space can the
  // trimmed text end with one, and then it ends where that run ends.
  bool follows_declaration_keyword(std::size_t pos) const {
    if (!keyword_last_bytes[static_cast<unsigned char>(text_[previous_end_ - 1])]) return false;
    if (!support::trim_end(text_.substr(previous_end_, pos - previous_end_)).empty()) return false;
    const std::string_view before = text_.substr(line_start_, previous_end_ - line_start_);
    return std::any_of(declaration_patterns.begin(), declaration_patterns.end(),
                       [&](const DeclarationPattern& p) { return before.ends_with(p.keyword()); });
  }

  std::string_view text_;
  std::vector<WordIndex::Entry>& out_;

  std::uint32_t line_ = 0;
  std::size_t line_start_ = 0;
  std::int64_t extra_before_block_ = 0;
  std::int64_t extra_at_line_start_ = 0;

  std::uint64_t spilled_ = 0;
  std::uint64_t last_was_identifier_ = 0;
  bool in_run_ = false;
  std::size_t run_start_ = 0;
  std::uint32_t run_line_ = 0;
  std::uint32_t run_column_ = 0;
  bool run_after_keyword_ = false;

  bool previous_on_line_ = false;
  std::size_t previous_end_ = 0;
};

// Two runs of the text with the same bytes; most are short, so eight bytes
// at a time rather than a call.
bool same_bytes(std::string_view text, const WordIndex::Entry& a, const WordIndex::Entry& b) {
  if (a.length != b.length) return false;
  const char* p = text.data() + a.offset();
  const char* q = text.data() + b.offset();
  const char* end = text.data() + text.size();
  std::size_t n = a.length;
  for (; n > 8; n -= 8, p += 8, q += 8) {
    if (load8(p) != load8(q)) return false;
  }
  return load_up_to_8(p, n, end) == load_up_to_8(q, n, end);
}

}  // namespace

WordIndex build_word_index(std::string_view text) {
  WordIndex index;
  std::vector<WordIndex::Entry> runs;
  runs.reserve(text.size() / 6 + 16);  // about one run per six bytes of program text
  RunScanner(text, runs).scan();

  // About two runs per bucket; at most 2^24 buckets.
  const std::size_t n = runs.size();
  unsigned bits = 0;
  while (bits < 24 && (std::size_t{1} << bits) < n / 2) ++bits;
  const std::size_t buckets = std::size_t{1} << bits;
  index.bucket_bits_ = bits;

  // A stable counting sort on the bucket, so each bucket keeps text order.
  std::vector<std::size_t>& starts = index.bucket_starts_;
  starts.assign(buckets + 1, 0);
  for (const WordIndex::Entry& e : runs) ++starts[bucket_of(e.tag, bits) + 1];
  for (std::size_t b = 1; b <= buckets; ++b) starts[b] += starts[b - 1];
  index.entries_.resize(n);
  for (const WordIndex::Entry& e : runs) index.entries_[starts[bucket_of(e.tag, bits)]++] = e;
  for (std::size_t b = buckets; b > 0; --b) starts[b] = starts[b - 1];
  starts[0] = 0;

  // A bucket where every tag stands for one word lets a lookup compare the
  // word with its first run only. Only a few words per bucket are followed,
  // so crafted collisions cost a compare per lookup, never a quadratic build.
  index.check_each_.assign(buckets, false);
  for (std::size_t b = 0; b < buckets; ++b) {
    const std::span<const WordIndex::Entry> bucket(index.entries_.data() + starts[b], starts[b + 1] - starts[b]);
    std::array<const WordIndex::Entry*, 4> words{};
    std::size_t distinct = 0;
    for (const WordIndex::Entry& e : bucket) {
      const auto same_tag = std::find_if(words.begin(), words.begin() + distinct,
                                         [&](const WordIndex::Entry* w) { return w->tag == e.tag; });
      const bool ok = same_tag != words.begin() + distinct ? same_bytes(text, **same_tag, e)
                                                           : distinct < words.size();
      if (!ok) {
        index.check_each_[b] = true;
        break;
      }
      if (same_tag == words.begin() + distinct) words[distinct++] = &e;
    }
  }
  return index;
}

WordIndex::Occurrences WordIndex::find(std::string_view text, std::string_view word) const {
  Occurrences found;
  if (word.empty() || entries_.empty()) return found;
  const std::uint32_t tag = tag_of(hash_word(word.data(), word.size(), word.data() + word.size()));
  const std::size_t b = bucket_of(tag, bucket_bits_);
  found.candidates_ = std::span<const Entry>(entries_.data() + bucket_starts_[b],
                                             bucket_starts_[b + 1] - bucket_starts_[b]);
  found.tag_ = tag;
  found.check_each_ = check_each_[b];
  found.text_ = text;
  found.word_ = word;
  bool checked = found.check_each_;
  for (const Entry& e : found.candidates_) {
    if (e.tag != tag) continue;
    if (e.offset() + e.length > text.size()) return Occurrences();  // not this index's text
    if (!checked) {
      // Every run of this tag in the bucket is the same word: compare one.
      if (!found.same_word(e)) return Occurrences();
      checked = true;
    } else if (found.check_each_ && !found.same_word(e)) {
      continue;
    }
    ++found.count_;
  }
  found.utf16_length_ = static_cast<std::uint32_t>(Utf16Columns(word).column(word.size()));
  return found;
}

const WordIndex& word_index(const Document& document) {
  if (!document.word_index) {
    document.word_index = std::make_shared<const WordIndex>(build_word_index(document.text));
  }
  return *document.word_index;
}

WordIndex::Occurrences find_word(const Document& document, std::string_view word) {
  return word_index(document).find(document.text, word);
}

}  // namespace qosa::lsp
