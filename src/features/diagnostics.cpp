#include "features/diagnostics.h"

#include <cstdint>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "lsp/positions.h"
#include "parser/source.h"
#include "support/utf8.h"

namespace qosa::lsp {

namespace {

struct BraceCount {
  std::uint64_t open = 0;
  std::uint64_t close = 0;
};

// One pass over the bytes; braces inside strings and comments count too.
BraceCount count_braces(std::string_view text) {
  BraceCount count;
  const char* p = text.data();
  std::size_t n = text.size();
#if defined(__SSE2__)
  // Sixteen bytes a step, counted in byte lanes that are summed before
  // they could overflow.
  const __m128i open = _mm_set1_epi8('{');
  const __m128i close = _mm_set1_epi8('}');
  const __m128i zero = _mm_setzero_si128();
  while (n >= 16) {
    __m128i opens = zero;
    __m128i closes = zero;
    for (int step = 0; step < 255 && n >= 16; ++step, p += 16, n -= 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      opens = _mm_sub_epi8(opens, _mm_cmpeq_epi8(v, open));
      closes = _mm_sub_epi8(closes, _mm_cmpeq_epi8(v, close));
    }
    const __m128i o = _mm_sad_epu8(opens, zero);
    const __m128i c = _mm_sad_epu8(closes, zero);
    count.open += static_cast<std::uint64_t>(_mm_cvtsi128_si64(o)) +
                  static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(o, o)));
    count.close += static_cast<std::uint64_t>(_mm_cvtsi128_si64(c)) +
                   static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(c, c)));
  }
#endif
  for (; n > 0; ++p, --n) {
    count.open += *p == '{';
    count.close += *p == '}';
  }
  return count;
}

// The UTF-16 length of the text's first character: a range that ended after
// one unit of a character outside the BMP would end inside its surrogate
// pair, which sends some clients into an endless loop. 1 for an empty text
// or an empty first line, as for any character of the BMP.
std::uint32_t first_character_units(std::string_view text) {
  if (text.empty()) return 1;
  const auto first = support::decode_utf8_checked(text, 0);
  return first ? static_cast<std::uint32_t>(utf16_size(text.substr(0, first->length))) : 1;
}

// One error when the text has more "{" than "}", wherever they stand, on
// the text's first character.
std::vector<Diagnostic> brace_diagnostics(std::string_view text) {
  std::vector<Diagnostic> diagnostics;
  const BraceCount braces = count_braces(text);
  if (braces.open > braces.close) {
    diagnostics.push_back(Diagnostic{
        .range = Range{{0, 0}, {0, first_character_units(text)}},
        .severity = 1,
        .source = "QOSA",
        .message = "Eksik kapatma parantezi: " + std::to_string(braces.open) + " açılış, " +
                   std::to_string(braces.close) + " kapanış",
    });
  }
  return diagnostics;
}

}  // namespace

// The front end runs over every version of the text; nothing it finds is
// reported yet, so each statement is released unread as soon as it is read.
std::vector<Diagnostic> compute_diagnostics(std::string_view /*uri*/, std::string_view text) {
  parser::parse_source_released(text);
  return brace_diagnostics(text);
}

std::vector<Diagnostic> compute_diagnostics(std::string_view text, parser::StatementCache& statements) {
  parser::parse_source_released(text, statements);
  return brace_diagnostics(text);
}

}  // namespace qosa::lsp
