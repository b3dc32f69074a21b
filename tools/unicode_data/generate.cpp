// Writes src/support/unicode_data.cpp from the installed ICU: the character
// properties, the lowercase and UTS #46 mappings and the NFC data that
// support/unicode and support/idna read. Usage: qosa-unicode-data OUTPUT.
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/unicode_data.h"

namespace {

using qosa::support::unicode_data::MapKind;
using CodePoints = std::vector<char32_t>;

constexpr char32_t max_code_point = 0x10FFFF;

bool is_surrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

CodePoints code_points(const icu::UnicodeString& s) {
  CodePoints out;
  for (int32_t i = 0; i < s.length();) {
    const UChar32 c = s.char32At(i);
    out.push_back(static_cast<char32_t>(c));
    i += U16_LENGTH(c);
  }
  return out;
}

std::string hex(char32_t c) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(c));
  return text;
}

// Writes `items` a few to a line.
class Writer {
 public:
  explicit Writer(std::ostream& out) : out_(out) {}
  template <class Items, class Format>
  void array(const std::string& type, const std::string& name, const Items& items, Format format) {
    out_ << "constexpr " << type << " " << name << "_data[] = {";
    std::size_t column = 1000;
    for (const auto& item : items) {
      const std::string text = format(item) + ",";
      if (column + text.size() + 1 > 100) {
        out_ << "\n   ";
        column = 3;
      }
      out_ << " " << text;
      column += text.size() + 1;
    }
    out_ << "\n};\n";
  }

 private:
  std::ostream& out_;
};

using Range = qosa::support::unicode_data::Range;

std::vector<Range> ranges_of(const std::function<bool(char32_t)>& has) {
  std::vector<Range> ranges;
  for (char32_t c = 0; c <= max_code_point; ++c) {
    if (!has(c)) continue;
    if (!ranges.empty() && ranges.back().last + 1 == c) {
      ranges.back().last = c;
    } else {
      ranges.push_back({c, c});
    }
  }
  return ranges;
}

struct ValueRun {
  char32_t start;
  int value;
};

std::vector<ValueRun> value_runs_of(const std::function<int(char32_t)>& value_of) {
  std::vector<ValueRun> runs;
  for (char32_t c = 0; c <= max_code_point; ++c) {
    const int value = value_of(c);
    if (runs.empty() || runs.back().value != value) runs.push_back({c, value});
  }
  return runs;
}

// One code point's mapping before runs are formed.
struct Mapping {
  MapKind kind;
  CodePoints to;  // for `string`; one code point for a single mapping
};

struct MapRun {
  char32_t start;
  long value;
  MapKind kind;
};

// Strings shared by every table that points into the pool.
class StringPool {
 public:
  std::uint32_t add(const CodePoints& s) {
    const auto [entry, added] = offsets_.try_emplace(s, static_cast<std::uint32_t>(pool_.size()));
    if (added) pool_.insert(pool_.end(), s.begin(), s.end());
    return entry->second;
  }
  const CodePoints& pool() const { return pool_; }

 private:
  std::map<CodePoints, std::uint32_t> offsets_;
  CodePoints pool_;
};

bool is_single(const Mapping& m) { return m.kind == MapKind::delta; }

std::vector<MapRun> map_runs_of(const std::function<Mapping(char32_t)>& mapping_of, StringPool& pool) {
  std::vector<Mapping> all;
  all.reserve(max_code_point + 1);
  for (char32_t c = 0; c <= max_code_point; ++c) all.push_back(mapping_of(c));
  auto delta = [&](char32_t c) { return static_cast<long>(all[c].to[0]) - static_cast<long>(c); };
  auto is_pair = [&](char32_t c) {
    return c + 1 <= max_code_point && is_single(all[c]) && delta(c) == 1 && all[c + 1].kind == MapKind::same;
  };
  std::vector<MapRun> runs;
  for (char32_t c = 0; c <= max_code_point;) {
    const Mapping& m = all[c];
    // Two or more upper/lower pairs in a row make an alternating run.
    if (is_pair(c) && c + 2 <= max_code_point && is_pair(c + 2)) {
      runs.push_back({c, 1, MapKind::alternate});
      while (c <= max_code_point && is_pair(c)) c += 2;
      continue;
    }
    switch (m.kind) {
      case MapKind::delta: {
        const long d = delta(c);
        if (runs.empty() || runs.back().kind != MapKind::delta || runs.back().value != d ||
            !is_single(all[c - 1]) || delta(c - 1) != d) {
          runs.push_back({c, d, MapKind::delta});
        }
        break;
      }
      case MapKind::string: {
        const std::uint32_t offset = pool.add(m.to);
        if (m.to.size() > 255 || offset > 0xFFFFFF) throw std::runtime_error("string too long");
        runs.push_back({c, static_cast<long>(m.to.size() << 24 | offset), MapKind::string});
        break;
      }
      default:
        if (runs.empty() || runs.back().kind != m.kind) runs.push_back({c, 0, m.kind});
        break;
    }
    ++c;
  }
  return runs;
}

Mapping classify(char32_t c, const CodePoints& to) {
  if (to.empty()) return {MapKind::ignored, {}};
  if (to.size() == 1 && to[0] == c) return {MapKind::same, {}};
  if (to.size() == 1) return {MapKind::delta, to};
  return {MapKind::string, to};
}

Mapping lowercase_of(char32_t c) {
  if (is_surrogate(c)) return {MapKind::same, {}};
  UChar source[2];
  int32_t length = 0;
  U16_APPEND_UNSAFE(source, length, static_cast<UChar32>(c));
  UChar lower[16];
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = u_strToLower(lower, 16, source, length, "", &status);
  if (U_FAILURE(status)) throw std::runtime_error("u_strToLower failed");
  return classify(c, code_points(icu::UnicodeString(lower, n)));
}

const icu::Normalizer2& normalizer(const char* name, UNormalization2Mode mode) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* n = icu::Normalizer2::getInstance(nullptr, name, mode, status);
  if (U_FAILURE(status)) throw std::runtime_error(std::string("no normalizer ") + name);
  return *n;
}

CodePoints normalized(const icu::Normalizer2& n, const CodePoints& text) {
  icu::UnicodeString s;
  for (char32_t c : text) s.append(static_cast<UChar32>(c));
  UErrorCode status = U_ZERO_ERROR;
  const icu::UnicodeString result = n.normalize(s, status);
  if (U_FAILURE(status)) throw std::runtime_error("normalize failed");
  return code_points(result);
}

// UTS #46 as ICU's "uts46" data has it: disallowed code points become U+FFFD.
Mapping idna_of(char32_t c) {
  if (is_surrogate(c) || c == 0xFFFD) return {MapKind::disallowed, {}};
  static const icu::Normalizer2& uts46 = normalizer("uts46", UNORM2_COMPOSE);
  const CodePoints to = normalized(uts46, {c});
  if (to == CodePoints{0xFFFD}) return {MapKind::disallowed, {}};
  // The tables map each code point once; NFC of the whole text follows.
  if (normalized(uts46, to) != to) throw std::runtime_error("uts46 mapping is not a fixed point at " + hex(c));
  return classify(c, to);
}

std::string kind_name(MapKind kind) {
  switch (kind) {
    case MapKind::same: return "K::same";
    case MapKind::delta: return "K::delta";
    case MapKind::alternate: return "K::alternate";
    case MapKind::string: return "K::string";
    case MapKind::ignored: return "K::ignored";
    case MapKind::disallowed: return "K::disallowed";
  }
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: qosa-unicode-data OUTPUT\n";
    return 2;
  }
  std::ostringstream out;
  Writer w(out);
  UVersionInfo version;
  u_getUnicodeVersion(version);
  char version_text[U_MAX_VERSION_STRING_LENGTH];
  u_versionToString(version, version_text);

  out << "// Generated by tools/unicode_data from ICU " U_ICU_VERSION " (Unicode " << version_text
      << "). Do not edit.\n"
         "#include \"support/unicode_data.h\"\n\n"
         "namespace qosa::support::unicode_data {\n"
         "namespace {\n\n"
         "using K = MapKind;\n\n";

  auto range_list = [&](const std::string& name, const std::function<bool(char32_t)>& has) {
    w.array("Range", name, ranges_of(has), [](const Range& r) { return "{" + hex(r.first) + ", " + hex(r.last) + "}"; });
  };
  range_list("alphabetic", [](char32_t c) { return u_hasBinaryProperty(c, UCHAR_ALPHABETIC) != 0; });
  range_list("white_space", [](char32_t c) { return u_hasBinaryProperty(c, UCHAR_WHITE_SPACE) != 0; });
  range_list("numeric", [](char32_t c) {
    return (U_GET_GC_MASK(static_cast<UChar32>(c)) & (U_GC_ND_MASK | U_GC_NL_MASK | U_GC_NO_MASK)) != 0;
  });
  range_list("cased", [](char32_t c) { return u_hasBinaryProperty(c, UCHAR_CASED) != 0; });
  range_list("case_ignorable", [](char32_t c) { return u_hasBinaryProperty(c, UCHAR_CASE_IGNORABLE) != 0; });
  range_list("mark", [](char32_t c) { return (U_GET_GC_MASK(static_cast<UChar32>(c)) & U_GC_M_MASK) != 0; });

  StringPool pool;
  auto map_list = [&](const std::string& name, const std::function<Mapping(char32_t)>& mapping_of) {
    w.array("MapRun", name, map_runs_of(mapping_of, pool), [](const MapRun& r) {
      const std::string value = r.kind == MapKind::string ? hex(static_cast<char32_t>(r.value)) : std::to_string(r.value);
      return "{" + hex(r.start) + ", " + value + ", " + kind_name(r.kind) + "}";
    });
  };
  map_list("lowercase", lowercase_of);
  map_list("idna", idna_of);

  auto value_list = [&](const std::string& name, const std::function<int(char32_t)>& value_of) {
    w.array("ValueRun", name, value_runs_of(value_of), [](const ValueRun& r) {
      return "{" + hex(r.start) + ", " + std::to_string(r.value) + "}";
    });
  };
  value_list("bidi_class", [](char32_t c) { return static_cast<int>(u_charDirection(c)); });
  value_list("joining_type", [](char32_t c) { return u_getIntPropertyValue(c, UCHAR_JOINING_TYPE); });
  value_list("combining_class", [](char32_t c) { return static_cast<int>(u_getCombiningClass(c)); });

  // NFC: full canonical decompositions and the primary composites.
  const icu::Normalizer2& nfc = normalizer("nfc", UNORM2_COMPOSE);
  struct Decomposition {
    char32_t c;
    std::uint32_t offset;
    std::size_t length;
  };
  struct Composition {
    char32_t first, second, composite;
  };
  std::vector<Decomposition> decompositions;
  std::vector<Composition> compositions;
  for (char32_t c = 0; c <= max_code_point; ++c) {
    if (c >= 0xAC00 && c <= 0xD7A3) continue;  // Hangul syllables: by formula
    icu::UnicodeString full;
    if (!nfc.getDecomposition(static_cast<UChar32>(c), full)) continue;
    const CodePoints to = code_points(full);
    decompositions.push_back({c, pool.add(to), to.size()});
    icu::UnicodeString raw;
    nfc.getRawDecomposition(static_cast<UChar32>(c), raw);
    const CodePoints pair = code_points(raw);
    if (pair.size() == 2 && static_cast<char32_t>(nfc.composePair(pair[0], pair[1])) == c) {
      compositions.push_back({pair[0], pair[1], c});
    }
  }
  std::sort(compositions.begin(), compositions.end(), [](const Composition& a, const Composition& b) {
    return a.first != b.first ? a.first < b.first : a.second < b.second;
  });
  w.array("Decomposition", "decompositions", decompositions, [](const Decomposition& d) {
    return "{" + hex(d.c) + ", " + std::to_string(d.offset) + ", " + std::to_string(d.length) + "}";
  });
  w.array("Composition", "compositions", compositions, [](const Composition& c) {
    return "{" + hex(c.first) + ", " + hex(c.second) + ", " + hex(c.composite) + "}";
  });
  w.array("char32_t", "strings", pool.pool(), [](char32_t c) { return hex(c); });

  out << "\n}  // namespace\n\n"
         "const char* const unicode_version = \""
      << version_text << "\";\n";
  for (const char* name : {"alphabetic", "white_space", "numeric", "cased", "case_ignorable", "mark"}) {
    out << "const std::span<const Range> " << name << " = " << name << "_data;\n";
  }
  for (const char* name : {"lowercase", "idna"}) {
    out << "const std::span<const MapRun> " << name << " = " << name << "_data;\n";
  }
  out << "const std::span<const char32_t> strings = strings_data;\n";
  for (const char* name : {"bidi_class", "joining_type", "combining_class"}) {
    out << "const std::span<const ValueRun> " << name << " = " << name << "_data;\n";
  }
  out << "const std::span<const Decomposition> decompositions = decompositions_data;\n"
         "const std::span<const Composition> compositions = compositions_data;\n\n"
         "}  // namespace qosa::support::unicode_data\n";

  std::ofstream file(argv[1], std::ios::binary);
  file << out.str();
  return file ? 0 : 1;
}
