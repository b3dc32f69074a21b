// The Unicode data the server needs, as compact tables generated from ICU by
// tools/unicode_data (regenerate with `cmake --build build/release --target
// unicode-data`). Linux and Windows read the same tables, so both builds
// give the same answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace qosa::support::unicode_data {

// The Unicode version of the ICU that generated the tables.
extern const char* const unicode_version;

// A closed range of code points; lists are sorted and disjoint.
struct Range {
  char32_t first;
  char32_t last;
};

extern const std::span<const Range> alphabetic;
extern const std::span<const Range> white_space;
extern const std::span<const Range> numeric;         // general categories Nd, Nl, No
extern const std::span<const Range> cased;           // the Cased property
extern const std::span<const Range> case_ignorable;  // the Case_Ignorable property
extern const std::span<const Range> mark;            // general categories Mn, Mc, Me

// How a run of code points maps. A run covers the code points from its
// start up to the next run's start.
enum class MapKind : std::uint8_t {
  same,        // to itself
  delta,       // to the code point plus `value`
  alternate,   // even offsets from the run's start to the next code point, odd ones to themselves
  string,      // to `strings[value & 0xFFFFFF]`, `value >> 24` code points long (runs of one)
  ignored,     // to nothing
  disallowed,  // not allowed at all
};

struct MapRun {
  char32_t start;
  std::int32_t value;
  MapKind kind;
};

// The full lowercase mapping without context (final sigma is applied by the caller).
extern const std::span<const MapRun> lowercase;
// The UTS #46 mapping (nontransitional, no STD3 rules), each result already in NFC.
extern const std::span<const MapRun> idna;
// The code points that `string` runs map to.
extern const std::span<const char32_t> strings;

// A run of code points sharing one small value, up to the next run's start.
struct ValueRun {
  char32_t start;
  std::uint8_t value;
};

// Bidi classes, numbered as ICU numbers them.
enum BidiClass : std::uint8_t {
  bidi_l, bidi_r, bidi_en, bidi_es, bidi_et, bidi_an, bidi_cs, bidi_b, bidi_s, bidi_ws, bidi_on,
  bidi_lre, bidi_lro, bidi_al, bidi_rle, bidi_rlo, bidi_pdf, bidi_nsm, bidi_bn, bidi_fsi,
  bidi_lri, bidi_rli, bidi_pdi,
};
// Joining types, numbered as ICU numbers them.
enum JoiningType : std::uint8_t {
  joining_none, joining_causing, joining_dual, joining_left, joining_right, joining_transparent,
};

extern const std::span<const ValueRun> bidi_class;
extern const std::span<const ValueRun> joining_type;
extern const std::span<const ValueRun> combining_class;  // canonical combining class

// Full canonical decompositions (Hangul syllables excepted: they follow a formula).
struct Decomposition {
  char32_t code_point;
  std::uint32_t offset;  // into `strings`
  std::uint8_t length;
};
extern const std::span<const Decomposition> decompositions;

// Primary composites of two code points, sorted by (first, second); no Hangul.
struct Composition {
  char32_t first;
  char32_t second;
  char32_t composite;
};
extern const std::span<const Composition> compositions;

}  // namespace qosa::support::unicode_data

namespace qosa::support::unicode_data {

// Lookups: binary searches over the sorted tables.
inline bool contains(std::span<const Range> ranges, char32_t c) {
  std::size_t low = 0, high = ranges.size();
  while (low < high) {
    const std::size_t mid = (low + high) / 2;
    if (ranges[mid].last < c) {
      low = mid + 1;
    } else if (ranges[mid].first > c) {
      high = mid;
    } else {
      return true;
    }
  }
  return false;
}

// The run that covers `c`: the last one starting at or before it.
template <class Run>
const Run& run_of(std::span<const Run> runs, char32_t c) {
  std::size_t low = 0, high = runs.size();
  while (high - low > 1) {
    const std::size_t mid = (low + high) / 2;
    if (runs[mid].start <= c) {
      low = mid;
    } else {
      high = mid;
    }
  }
  return runs[low];
}

inline std::uint8_t value_of(std::span<const ValueRun> runs, char32_t c) { return run_of(runs, c).value; }

// Passes what `c` maps to under `run` (the run that covers it) to `emit`,
// one code point at a time; ignored and disallowed code points give nothing.
template <class Emit>
void emit_mapping(const MapRun& run, char32_t c, Emit&& emit) {
  switch (run.kind) {
    case MapKind::same:
      emit(c);
      break;
    case MapKind::delta:
      emit(static_cast<char32_t>(static_cast<std::int32_t>(c) + run.value));
      break;
    case MapKind::alternate:
      emit((c - run.start) % 2 == 0 ? c + 1 : c);
      break;
    case MapKind::string: {
      const auto value = static_cast<std::uint32_t>(run.value);
      for (char32_t to : strings.subspan(value & 0xFFFFFF, value >> 24)) emit(to);
      break;
    }
    case MapKind::ignored:
    case MapKind::disallowed:
      break;
  }
}

}  // namespace qosa::support::unicode_data
