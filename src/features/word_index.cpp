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
#include "lsp/positions.h"
#include "support/hash.h"
#include "support/unicode.h"
#include "support/utf8.h"

namespace qosa::lsp {

namespace {

// The high half of the hash, with bit 0 set: an entry keeps its flag there.
std::uint32_t tag_of(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32) | 1; }

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
  std::uint64_t continuation = 0;    // these two are what the UTF-16 counter reads
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

// Scratch memory of the builds, kept between them: the runs in text order
// before they are sorted. Sized, not reserved, so the scan writes through a
// pointer and checks room once per 64 bytes.
struct Scratch {
  std::vector<WordIndex::Entry> runs;
  std::vector<std::uint32_t> lengths;
  std::vector<std::uint32_t> sorted_lengths;

  void make_room(std::size_t used, std::size_t more) {
    if (runs.size() - used >= more) return;
    const std::size_t size = std::max(2 * runs.size(), used + std::max<std::size_t>(more, 1024));
    runs.resize(size);
    lengths.resize(size);
  }
  // What a very large text needed is given back rather than kept.
  void release_if_large() {
    if (runs.size() > (std::size_t{1} << 20)) *this = Scratch();
  }
};

// One pass over the text: each maximal identifier run becomes an entry of
// scratch.runs (its byte length in scratch.lengths), in text order; returns
// how many. Lines end at "\n"; a "\r" before it is no identifier character,
// so the runs need no other line rule. The state stays in locals: stores of
// entries cannot alias them.
std::size_t scan_runs(std::string_view text, Scratch& scratch, std::vector<std::size_t>& line_starts) {
  const char* const data = text.data();
  const std::size_t size = text.size();
  const TwoByteIdentifiers& two_byte = two_byte_identifiers();
  std::size_t count = 0;

  std::uint32_t line = 0;
  std::size_t line_start = 0;
  Utf16BlockCounter units;
  std::uint64_t units_at_line_start = 0;
  line_starts.push_back(0);

  std::uint64_t spilled = 0;  // bytes of an identifier character begun in the block before
  std::uint64_t last_was_identifier = 0;
  bool in_run = false;
  std::size_t run_start = 0;
  std::uint32_t run_line = 0;
  std::uint32_t run_column = 0;
  std::uint32_t run_after_keyword = 0;
  bool previous_on_line = false;
  std::size_t previous_end = 0;

  // Whether the line's text before `pos`, trimmed, ends with a declaration
  // keyword. The keywords are identifier characters, so only when the text
  // between the previous run of the line and `pos` is white space can the
  // trimmed text end with one, and then it ends where that run ends.
  const auto follows_declaration_keyword = [&](std::size_t pos) {
    if (!keyword_last_bytes[static_cast<unsigned char>(data[previous_end - 1])]) return false;
    for (std::size_t i = previous_end; i < pos; ++i) {
      const auto b = static_cast<unsigned char>(data[i]);
      if (b == ' ' || (b >= '\t' && b <= '\r')) continue;
      if (b < 0x80 || !support::trim_end(text.substr(i, pos - i)).empty()) return false;
      break;
    }
    const std::string_view before = text.substr(line_start, previous_end - line_start);
    return std::any_of(declaration_patterns.begin(), declaration_patterns.end(),
                       [&](const DeclarationPattern& p) { return before.ends_with(p.keyword()); });
  };
  const auto close_run = [&](std::size_t pos) {
    const std::uint64_t hash = support::hash_bytes(data + run_start, pos - run_start, data + size);
    scratch.runs[count] = {(tag_of(hash) & ~1u) | run_after_keyword, run_line, run_column,
                           static_cast<std::uint32_t>(run_start - line_start)};
    scratch.lengths[count] = static_cast<std::uint32_t>(pos - run_start);
    ++count;
    previous_end = pos;
    previous_on_line = true;
  };
  const auto take_newlines = [&](std::size_t base, std::uint64_t newlines) {
    if (newlines == 0) return;
    const auto last = static_cast<unsigned>(63 - std::countl_zero(newlines));
    for (; newlines != 0; newlines &= newlines - 1) {
      ++line;
      line_starts.push_back(base + static_cast<unsigned>(std::countr_zero(newlines)) + 1);
    }
    line_start = base + last + 1;
    units_at_line_start = units.units_before(last + 1);
    previous_on_line = false;
  };

  for (std::size_t base = 0; base < size; base += 64) {
    // A block closes at most 32 runs, and the end one more.
    scratch.make_room(count, 33);
    BlockMasks m;
    if (size - base >= 64) {
      m = classify(data + base);
    } else {
      // The tail, padded with NUL bytes (no identifier characters): the run
      // that reaches the end closes there.
      std::array<char, 64> padded{};
      std::memcpy(padded.data(), data + base, size - base);
      m = classify(padded.data());
    }
    units.enter_block(m.continuation, m.four_byte_lead);
    std::uint64_t identifier = m.identifier | spilled;
    spilled = 0;
    if (m.high != 0) {
      for (std::uint64_t leads = m.high & ~m.continuation; leads != 0; leads &= leads - 1) {
        const auto i = static_cast<unsigned>(std::countr_zero(leads));
        const std::size_t pos = base + i;
        const auto lead = static_cast<unsigned char>(data[pos]);
        bool is_identifier = false;
        unsigned length = 2;
        if (lead < 0xE0) {
          const char32_t c = (char32_t{lead & 0x1Fu} << 6) | (static_cast<unsigned char>(data[pos + 1]) & 0x3Fu);
          is_identifier = two_byte(c);
        } else {
          const auto d = support::decode_utf8(text, pos);
          is_identifier = is_identifier_char(d.code_point);
          length = static_cast<unsigned>(d.length);
        }
        if (!is_identifier) continue;
        for (unsigned j = i; j < i + length; ++j) {
          if (j < 64) {
            identifier |= std::uint64_t{1} << j;
          } else {
            spilled |= std::uint64_t{1} << (j - 64);  // the character goes on in the next block
          }
        }
      }
    }
    std::uint64_t transitions = identifier ^ ((identifier << 1) | last_was_identifier);
    last_was_identifier = identifier >> 63;
    std::uint64_t newlines = m.newline;
    for (; transitions != 0; transitions &= transitions - 1) {
      const auto i = static_cast<unsigned>(std::countr_zero(transitions));
      const std::size_t pos = base + i;
      if (in_run) {
        close_run(pos);
      } else {
        take_newlines(base, newlines & below(i));
        newlines &= ~below(i);
        run_start = pos;
        run_line = line;
        run_column = static_cast<std::uint32_t>(units.units_before(i) - units_at_line_start);
        run_after_keyword = previous_on_line && follows_declaration_keyword(pos) ? 1 : 0;
      }
      in_run = !in_run;
    }
    take_newlines(base, newlines);
  }
  if (in_run) close_run(size);  // room was made for it
  return count;
}

// Two runs of the text with the same bytes; most are short, so eight bytes
// at a time rather than a call.
bool same_bytes(std::string_view text, std::size_t a, std::size_t b, std::size_t n) {
  const char* p = text.data() + a;
  const char* q = text.data() + b;
  if (n < 8 && text.size() - std::max(a, b) >= 8) {
    const std::uint64_t mask = ~std::uint64_t{0} >> (64 - 8 * n);
    return std::endian::native == std::endian::little ? ((support::load_u64(p) ^ support::load_u64(q)) & mask) == 0
                                                      : std::memcmp(p, q, n) == 0;
  }
  for (; n >= 8; n -= 8, p += 8, q += 8) {
    if (support::load_u64(p) != support::load_u64(q)) return false;
  }
  for (; n > 0; --n, ++p, ++q) {
    if (*p != *q) return false;
  }
  return true;
}

}  // namespace

WordIndex build_word_index(std::string_view text) {
  WordIndex index;
  thread_local Scratch scratch;
  index.line_starts_.reserve(text.size() / 24 + 1);
  const std::size_t n = scan_runs(text, scratch, index.line_starts_);
  const std::span<const WordIndex::Entry> runs(scratch.runs.data(), n);

  // About four runs per bucket; at most 2^24 buckets.
  unsigned bits = 0;
  while (bits < 24 && (std::size_t{1} << bits) < n / 4) ++bits;
  const std::size_t buckets = std::size_t{1} << bits;
  index.bucket_bits_ = bits;

  // A stable counting sort on the bucket, so each bucket keeps text order.
  std::vector<std::size_t>& starts = index.bucket_starts_;
  starts.assign(buckets + 1, 0);
  for (const WordIndex::Entry& e : runs) ++starts[bucket_of(e.tag_and_flag, bits) + 1];
  for (std::size_t b = 1; b <= buckets; ++b) starts[b] += starts[b - 1];
  index.entries_.resize(n);
  std::vector<std::uint32_t>& lengths = scratch.sorted_lengths;
  lengths.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t to = starts[bucket_of(runs[i].tag_and_flag, bits)]++;
    index.entries_[to] = runs[i];
    lengths[to] = scratch.lengths[i];
  }
  for (std::size_t b = buckets; b > 0; --b) starts[b] = starts[b - 1];
  starts[0] = 0;

  // A bucket where every tag stands for one word lets a lookup compare the
  // word with its first run only. Only a few words per bucket are followed,
  // so crafted collisions cost a compare per lookup, never a quadratic build.
  index.check_each_.assign(buckets, false);
  const auto offset = [&](const WordIndex::Entry& e) { return index.line_starts_[e.line] + e.byte_column; };
  for (std::size_t b = 0; b < buckets; ++b) {
    struct Word {
      std::uint32_t tag;
      std::size_t offset;
      std::uint32_t length;
    };
    std::array<Word, 4> words;  // the first `distinct` are set
    std::size_t distinct = 0;
    for (std::size_t i = starts[b]; i < starts[b + 1]; ++i) {
      const WordIndex::Entry& e = index.entries_[i];
      const std::uint32_t tag = e.tag_and_flag | 1;
      const auto same_tag = std::find_if(words.begin(), words.begin() + distinct,
                                         [&](const Word& w) { return w.tag == tag; });
      bool ok = true;
      if (same_tag != words.begin() + distinct) {
        ok = same_tag->length == lengths[i] && same_bytes(text, same_tag->offset, offset(e), lengths[i]);
      } else if (distinct < words.size()) {
        words[distinct++] = {tag, offset(e), lengths[i]};
      } else {
        ok = false;
      }
      if (!ok) {
        index.check_each_[b] = true;
        break;
      }
    }
  }
  scratch.release_if_large();
  return index;
}

bool WordIndex::is_word_at(const Entry& e, std::string_view text, std::string_view word) const {
  if (e.line >= line_starts_.size()) return false;
  const std::size_t pos = line_starts_[e.line] + e.byte_column;
  if (pos > text.size() || text.size() - pos < word.size() || text.substr(pos, word.size()) != word) return false;
  // The run goes no further than the word.
  const std::size_t end = pos + word.size();
  if (end == text.size()) return true;
  const auto next = support::decode_utf8_checked(text, end);
  return !next || !is_identifier_char(next->code_point);
}

std::uint64_t WordIndex::hash(std::string_view word) {
  return support::hash_bytes(word);
}

void WordIndex::prefetch_bucket(std::uint64_t hash) const {
  if (!entries_.empty()) __builtin_prefetch(&bucket_starts_[bucket_of(tag_of(hash), bucket_bits_)]);
}

void WordIndex::prefetch_entries(std::uint64_t hash) const {
  if (!entries_.empty()) __builtin_prefetch(&entries_[bucket_starts_[bucket_of(tag_of(hash), bucket_bits_)]]);
}

WordIndex::Occurrences WordIndex::find(std::string_view text, std::string_view word) const {
  return find(text, word, hash(word));
}

WordIndex::Occurrences WordIndex::find(std::string_view text, std::string_view word, std::uint64_t hash) const {
  Occurrences found;
  if (entries_.empty()) return found;
  // Only a single identifier run can be a whole word.
  const auto run = IdentifierRuns(word).next();
  if (!run || run->begin != 0 || run->end != word.size()) return found;
  const std::uint32_t tag = tag_of(hash);
  const std::size_t b = bucket_of(tag, bucket_bits_);
  found.index_ = this;
  found.candidates_ = std::span<const Entry>(entries_.data() + bucket_starts_[b],
                                             bucket_starts_[b + 1] - bucket_starts_[b]);
  found.tag_ = tag;
  found.check_each_ = check_each_[b];
  found.text_ = text;
  found.word_ = word;
  bool checked = found.check_each_;
  for (const Entry& e : found.candidates_) {
    if ((e.tag_and_flag | 1) != tag) continue;
    if (!checked) {
      // Every run of this tag in the bucket is the same word: compare one.
      if (!is_word_at(e, text, word)) return Occurrences();
      checked = true;
    } else if (found.check_each_ && !is_word_at(e, text, word)) {
      continue;
    }
    ++found.count_;
  }
  found.utf16_length_ = static_cast<std::uint32_t>(utf16_size(word));
  return found;
}

std::vector<WordIndex::Occurrences> WordIndex::find_in_each(std::span<const Indexed> texts, std::string_view word) {
  const std::uint64_t h = hash(word);
  for (const Indexed& t : texts) t.index->prefetch_bucket(h);
  for (const Indexed& t : texts) t.index->prefetch_entries(h);
  std::vector<Occurrences> found;
  found.reserve(texts.size());
  for (const Indexed& t : texts) found.push_back(t.index->find(t.text, word, h));
  return found;
}

}  // namespace qosa::lsp
