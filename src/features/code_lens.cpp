#include "features/code_lens.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>

#include "features/words.h"
#include "lsp/lines.h"
#include "lsp/positions.h"
#include "support/unicode.h"
#include "support/utf8.h"

namespace qosa::lsp {

namespace {

constexpr auto npos = std::string_view::npos;

// Which of a few fixed words (of two bytes or more) a text contains, found
// in one pass over it: tables of the words each byte may start and each
// byte may continue, so only the words that fit both bytes are compared.
template <std::size_t N>
class WordSet {
  static_assert(N <= 32);

 public:
  constexpr explicit WordSet(const std::array<std::string_view, N>& words) : words_(words) {
    for (std::size_t i = 0; i < N; ++i) {
      first_[static_cast<unsigned char>(words[i][0])] |= 1u << i;
      second_[static_cast<unsigned char>(words[i][1])] |= 1u << i;
    }
  }
  // Bit i is set when the text contains word i.
  std::uint32_t found_in(std::string_view text) const {
    std::uint32_t found = 0;
    if (text.size() < 2) return found;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    std::uint32_t starts = first_[bytes[0]];
    for (std::size_t pos = 0; pos + 1 < text.size(); ++pos) {
      const std::uint32_t next = first_[bytes[pos + 1]];
      for (std::uint32_t m = starts & second_[bytes[pos + 1]] & ~found; m != 0; m &= m - 1) {
        const int i = std::countr_zero(m);
        const std::string_view word = words_[static_cast<std::size_t>(i)];
        if (pos + word.size() <= text.size() && text.substr(pos, word.size()) == word) found |= 1u << i;
      }
      starts = next;
    }
    return found;
  }

 private:
  std::array<std::string_view, N> words_;
  std::array<std::uint32_t, 256> first_{};
  std::array<std::uint32_t, 256> second_{};
};

// A line that contains one of these and a name is that name's declaration
// line, which its reference count skips. "fn" is not among them.
constexpr WordSet declaration_words(std::array<std::string_view, 6>{
    "fonksiyon", "function", "değişken", "let", "sabit", "const"});

// Every word the lens rules look for in a trimmed line. A line with none of
// them gets no lens and is not looked at further.
constexpr std::array<std::string_view, 25> lens_word_list = {
    // the references rule's rows; the first three are the function keywords
    "fonksiyon", "function", "fn", "değişken", "let", "sabit", "const",
    // the function keywords after a space
    " fonksiyon", " function", " fn",
    // test markers, the inner word first
    "test", "deneme", "#[test]", "@test",
    // benchmark markers, the inner word first
    "bench", "benchmark", "karşılaştırma", "#[bench]", "@bench",
    // the program lens
    "fonksiyon ana(", "function main(", "fn main(", "fonksiyon ana ", "function main ", "fn main ",
};
constexpr WordSet lens_words(lens_word_list);

constexpr std::uint32_t bits(std::size_t first, std::size_t count) {
  return ((1u << count) - 1) << first;
}
constexpr std::size_t function_keywords = 3;  // the first rows
constexpr std::size_t reference_rows = 7;
constexpr std::size_t spaced_function_keyword = 7;
constexpr std::uint32_t any_function_keyword = bits(0, function_keywords);
constexpr std::uint32_t program_starts = bits(19, 6);
// The rows that are `declaration_words`: all reference rows but "fn".
constexpr std::uint32_t declaration_rows = bits(0, reference_rows) & ~bits(2, 1);
static_assert(lens_word_list[0] == "fonksiyon" && lens_word_list[1] == "function" && lens_word_list[2] == "fn" &&
              lens_word_list[3] == "değişken" && lens_word_list[4] == "let" && lens_word_list[5] == "sabit");
static_assert(lens_word_list[6] == "const" && lens_word_list[9] == " fn" && lens_word_list[10] == "test" &&
              lens_word_list[14] == "bench" && lens_word_list[18] == "@bench" &&
              lens_word_list[19] == "fonksiyon ana(");

struct Markers {
  std::uint32_t markers;
  std::uint32_t inner_word;
  std::array<std::string_view, 2> attributes;
};
constexpr Markers test_markers{bits(10, 4), bits(10, 1), {"#[test]", "@test"}};
constexpr Markers bench_markers{bits(15, 4), bits(14, 1), {"#[bench]", "@bench"}};

enum class MarkerHit { none, attribute, word };

// The test and benchmark rule. Whichever marker is found, the lens fires on
// the same condition, so the markers only decide whether it is tested.
MarkerHit marker_rule(std::string_view t, std::uint32_t words, const Markers& m) {
  if (!(words & m.markers)) return MarkerHit::none;
  if (t.starts_with(m.attributes[0]) || t.starts_with(m.attributes[1])) return MarkerHit::attribute;
  if ((words & m.inner_word) && (words & any_function_keyword)) return MarkerHit::word;
  return MarkerHit::none;
}

std::optional<std::string_view> first_function_name(std::string_view t, std::uint32_t words) {
  for (std::size_t k = 0; k < function_keywords; ++k) {
    if (!(words & bits(k, 1))) continue;
    if (auto name = extract_function_name(t, lens_word_list[k])) return name;
  }
  return std::nullopt;
}

// A function keyword that starts the line or follows a space, and a name after it.
std::optional<std::string_view> run_function_name(std::string_view t, std::uint32_t words) {
  for (std::size_t k = 0; k < function_keywords; ++k) {
    const std::string_view keyword = lens_word_list[k];
    if (!t.starts_with(keyword) && !(words & bits(spaced_function_keyword + k, 1))) continue;
    if (auto name = extract_function_name(t, keyword)) return name;
  }
  return std::nullopt;
}

// The value name after a declaration word: up to the first white space,
// ":" or "=".
std::optional<std::string_view> declared_name(std::string_view rest) {
  rest = support::trim_start(rest);
  std::size_t end = 0;
  while (end < rest.size()) {
    const auto d = support::decode_utf8(rest, end);
    if (d.code_point == U':' || d.code_point == U'=' || support::is_white_space(d.code_point)) break;
    end += d.length;
  }
  const std::string_view name = support::trim(rest.substr(0, end));
  if (name.empty()) return std::nullopt;
  return name;
}

// The names the references rule tries on a line, in row order; the first
// with a count above 0 gets the lens. A row whose name is missing ends the
// list.
void reference_candidates(std::string_view t, std::uint32_t words, std::vector<std::string_view>& out) {
  for (std::size_t row = 0; row < reference_rows; ++row) {
    if (!(words & bits(row, 1))) continue;
    const std::string_view word = lens_word_list[row];
    const auto name = row < function_keywords ? extract_function_name(t, word)
                                              : declared_name(t.substr(t.find(word) + word.size()));
    if (!name) return;
    out.push_back(*name);
  }
}

bool is_identifier(std::string_view name) {
  for (std::size_t i = 0; i < name.size();) {
    const auto d = support::decode_utf8(name, i);
    if (!is_identifier_char(d.code_point)) return false;
    i += d.length;
  }
  return !name.empty();
}

// Slots of an open-addressing table for `entries`, at most half full: a
// power of two, so a hash is reduced with a mask.
std::size_t table_size(std::size_t entries) { return std::bit_ceil(std::max<std::size_t>(16, entries * 2)); }

// Names by their bytes, looked up once for every identifier run of the
// text: open addressing with a hash of eight bytes at a time. A slot holds
// only a hash and an id, so the table stays small enough for the cache.
class NameTable {
 public:
  explicit NameTable(std::size_t names) {
    slots_.assign(table_size(names), Slot{});
    mask_ = slots_.size() - 1;
    names_.reserve(names);
  }
  // The id of `name`: its place in the order names were first added.
  std::uint32_t add(std::string_view name) {
    lengths_ |= length_bit(name);
    first_bytes_[first_byte(name) / 64] |= first_byte_bit(name);
    const std::uint64_t h = hash(name);
    for (std::size_t i = h & mask_;; i = (i + 1) & mask_) {
      if (slots_[i].id == none) {
        slots_[i] = {static_cast<std::uint32_t>(h >> 32), static_cast<std::uint32_t>(names_.size())};
        names_.push_back(name);
        return slots_[i].id;
      }
      if (same(slots_[i], h, name)) return slots_[i].id;
    }
  }
  std::optional<std::uint32_t> find(std::string_view name) const {
    // Most pieces of a text are no name: their length or first byte tells.
    if (!(lengths_ & length_bit(name)) || !(first_bytes_[first_byte(name) / 64] & first_byte_bit(name))) {
      return std::nullopt;
    }
    const std::uint64_t h = hash(name);
    for (std::size_t i = h & mask_;; i = (i + 1) & mask_) {
      if (slots_[i].id == none) return std::nullopt;
      if (same(slots_[i], h, name)) return slots_[i].id;
    }
  }
  const std::vector<std::string_view>& names() const { return names_; }

 private:
  static constexpr std::uint32_t none = std::numeric_limits<std::uint32_t>::max();
  struct Slot {
    std::uint32_t tag = 0;  // the hash's high half
    std::uint32_t id = none;
  };
  // Names are not empty.
  static std::uint64_t length_bit(std::string_view name) { return std::uint64_t{1} << std::min<std::size_t>(name.size(), 63); }
  static unsigned char first_byte(std::string_view name) { return static_cast<unsigned char>(name[0]); }
  static std::uint64_t first_byte_bit(std::string_view name) { return std::uint64_t{1} << (first_byte(name) % 64); }
  bool same(const Slot& slot, std::uint64_t h, std::string_view name) const {
    return slot.tag == static_cast<std::uint32_t>(h >> 32) && names_[slot.id] == name;
  }
  static std::uint64_t load(const char* p, std::size_t n) {
    std::uint64_t v = 0;
    std::memcpy(&v, p, n);
    return v;
  }
  // Whole words at once; a short tail as two overlapping halves, so no
  // load has a variable length.
  static std::uint64_t hash(std::string_view s) {
    constexpr std::uint64_t k = 0x9E3779B97F4A7C15ull;
    const char* p = s.data();
    const std::size_t n = s.size();
    std::uint64_t h = n * k;
    auto mix = [&](std::uint64_t chunk) { h = std::rotl((h ^ chunk) * k, 29); };
    if (n >= 8) {
      for (std::size_t i = 0; i + 8 <= n; i += 8) mix(load(p + i, 8));
      if (n % 8 != 0) mix(load(p + n - 8, 8));
    } else if (n >= 4) {
      mix(load(p, 4) << 32 | load(p + n - 4, 4));
    } else if (n > 0) {
      mix(std::uint64_t{static_cast<unsigned char>(p[0])} << 16 |
          std::uint64_t{static_cast<unsigned char>(p[n / 2])} << 8 | static_cast<unsigned char>(p[n - 1]));
    }
    return (h ^ (h >> 32)) * k;
  }
  std::vector<Slot> slots_;
  std::vector<std::string_view> names_;
  std::size_t mask_ = 0;
  std::uint64_t lengths_ = 0;  // bit n: a name of n bytes (63: of 63 or more)
  std::array<std::uint64_t, 4> first_bytes_{};
};

// An Aho–Corasick automaton over the bytes of a set of names, reporting
// each name the first time a scanned line contains it. Once a name is
// reported so are all names that are suffixes of it (they occur where it
// occurs), so walking a match's chain of suffix names stops at the first
// name already reported, and every line is scanned in linear time.
class FirstOccurrences {
 public:
  explicit FirstOccurrences(std::span<const std::string_view> names) {
    root_next_.fill(0);
    add_node();
    for (std::uint32_t id = 0; id < names.size(); ++id) insert(names[id], id);
    edges_.reserve(name_.size());
    for (std::uint32_t node = 1; node < name_.size(); ++node) {
      for (std::uint32_t child = first_child_[node]; child != 0; child = next_sibling_[child]) {
        edges_.add(node, byte_[child], child);
      }
    }
    link();
    reported_.assign(names.size(), false);
  }

  // Calls on_first(id) for every name that `line` contains and no earlier
  // scanned line did.
  template <class Fn>
  void scan(std::string_view line, Fn&& on_first) {
    std::uint32_t state = 0;
    for (const char ch : line) {
      const auto b = static_cast<unsigned char>(ch);
      for (;;) {
        if (const std::uint32_t next = step(state, b)) {
          state = next;
          break;
        }
        if (state == 0) break;
        state = fail_[state];
      }
      for (std::uint32_t node = name_[state] != none ? state : suffix_name_[state];
           node != 0 && !reported_[name_[node]]; node = suffix_name_[node]) {
        reported_[name_[node]] = true;
        on_first(name_[node]);
      }
    }
  }

 private:
  static constexpr std::uint32_t none = std::numeric_limits<std::uint32_t>::max();

  // Child edges keyed by (node, byte), open addressing; the root's are a
  // plain table.
  class EdgeTable {
   public:
    void reserve(std::size_t edges) {
      slots_.assign(table_size(edges), Slot{});
      mask_ = slots_.size() - 1;
    }
    void add(std::uint32_t node, unsigned char b, std::uint32_t child) {
      std::size_t i = slot(node, b);
      while (slots_[i].node != 0) i = (i + 1) & mask_;
      slots_[i] = {node, child, b};
    }
    std::uint32_t find(std::uint32_t node, unsigned char b) const {
      for (std::size_t i = slot(node, b);; i = (i + 1) & mask_) {
        const Slot& s = slots_[i];
        if (s.node == node && s.byte == b) return s.child;
        if (s.node == 0) return 0;
      }
    }

   private:
    struct Slot {
      std::uint32_t node = 0;  // 0: empty, as the root's edges are not here
      std::uint32_t child = 0;
      unsigned char byte = 0;
    };
    std::size_t slot(std::uint32_t node, unsigned char b) const {
      return static_cast<std::size_t>((((std::uint64_t{node} << 8) | b) * 0x9E3779B97F4A7C15ull) >> 32) & mask_;
    }
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
  };

  // The child of `node` along byte b; 0 (the root) when there is none.
  std::uint32_t step(std::uint32_t node, unsigned char b) const {
    return node == 0 ? root_next_[b] : edges_.find(node, b);
  }

  std::uint32_t add_node() {
    fail_.push_back(0);
    suffix_name_.push_back(0);
    name_.push_back(none);
    first_child_.push_back(0);
    next_sibling_.push_back(0);
    byte_.push_back(0);
    return static_cast<std::uint32_t>(name_.size() - 1);
  }

  // The trie is built with child lists; the edge table is filled once its size is known.
  void insert(std::string_view name, std::uint32_t id) {
    std::uint32_t node = 0;
    for (const char ch : name) {
      const auto b = static_cast<unsigned char>(ch);
      std::uint32_t next = node == 0 ? root_next_[b] : 0;
      for (std::uint32_t child = first_child_[node]; node != 0 && child != 0; child = next_sibling_[child]) {
        if (byte_[child] == b) {
          next = child;
          break;
        }
      }
      if (next == 0) {
        next = add_node();
        if (node == 0) root_next_[b] = next;
        next_sibling_[next] = first_child_[node];
        first_child_[node] = next;
        byte_[next] = b;
      }
      node = next;
    }
    name_[node] = id;
  }

  // Failure links and suffix-name links, breadth first.
  void link() {
    std::vector<std::uint32_t> queue;
    queue.reserve(name_.size());
    for (std::uint32_t c = first_child_[0]; c != 0; c = next_sibling_[c]) queue.push_back(c);
    for (std::size_t head = 0; head < queue.size(); ++head) {
      const std::uint32_t node = queue[head];
      for (std::uint32_t child = first_child_[node]; child != 0; child = next_sibling_[child]) {
        for (std::uint32_t f = fail_[node];; f = fail_[f]) {
          if (const std::uint32_t next = step(f, byte_[child])) {
            fail_[child] = next;
            break;
          }
          if (f == 0) break;
        }
        const std::uint32_t target = fail_[child];
        suffix_name_[child] = name_[target] != none ? target : suffix_name_[target];
        queue.push_back(child);
      }
    }
  }

  std::array<std::uint32_t, 256> root_next_;
  EdgeTable edges_;
  std::vector<std::uint32_t> fail_;
  std::vector<std::uint32_t> suffix_name_;  // nearest proper suffix that is a name; 0 for none
  std::vector<std::uint32_t> name_;         // the name ending here, or none
  std::vector<std::uint32_t> first_child_;  // children lists, for linking breadth first
  std::vector<std::uint32_t> next_sibling_;
  std::vector<unsigned char> byte_;         // the byte on the edge into the node
  std::vector<bool> reported_;
};

constexpr std::size_t no_line = std::numeric_limits<std::size_t>::max();

}  // namespace

std::optional<std::string_view> extract_function_name(std::string_view line,
                                                       std::string_view keyword) {
  const std::size_t at = line.find(keyword);
  if (at == npos) return std::nullopt;
  const std::string_view rest = support::trim_start(line.substr(at + keyword.size()));
  const std::size_t paren = rest.find('(');
  if (paren == npos) return std::nullopt;
  const std::string_view name = support::trim(rest.substr(0, paren));
  if (name.empty()) return std::nullopt;
  return name;
}

namespace {

// The counting, where `is_declaration(index, content)` tells whether a line
// holds one of the declaration words.
template <class IsDeclaration>
std::vector<std::uint32_t> count_names(std::string_view text, std::span<const std::string_view> names,
                                       IsDeclaration&& is_declaration) {
  // Only names made of identifier characters can equal a piece; the others count 0.
  NameTable id_of(names.size());
  std::vector<std::uint32_t> ids(names.size(), std::numeric_limits<std::uint32_t>::max());
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (is_identifier(names[i])) ids[i] = id_of.add(names[i]);
  }
  const std::vector<std::string_view>& distinct = id_of.names();

  std::vector<std::uint32_t> counts(distinct.size(), 0);
  std::vector<std::size_t> skipped_line(distinct.size(), no_line);
  if (!distinct.empty()) {
    FirstOccurrences occurrences(distinct);
    LineCursor lines(text);
    for (std::size_t index = 0; auto line = lines.next(); ++index) {
      const std::string_view content = line->content;
      if (is_declaration(index, content)) {
        occurrences.scan(content, [&](std::uint32_t id) { skipped_line[id] = index; });
      }
      IdentifierRuns runs(content);
      while (auto run = runs.next()) {
        const auto id = id_of.find(content.substr(run->begin, run->end - run->begin));
        if (id && skipped_line[*id] != index) ++counts[*id];
      }
    }
  }

  std::vector<std::uint32_t> result(names.size(), 0);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (ids[i] != std::numeric_limits<std::uint32_t>::max()) result[i] = counts[ids[i]];
  }
  return result;
}

}  // namespace

std::vector<std::uint32_t> count_references(std::string_view text,
                                            std::span<const std::string_view> names) {
  return count_names(text, names,
                     [](std::size_t, std::string_view content) { return declaration_words.found_in(content) != 0; });
}

std::vector<Lens> find_lenses(std::string_view text, ReferenceCounter counter) {
  // First every lens but the references, with a placeholder where a
  // references lens may go and the names it tries; then all names are
  // counted together; then the placeholders are resolved.
  struct Pending {
    std::size_t lens;  // index of the placeholder
    std::size_t first, last;  // its names in `candidates`
  };
  std::vector<Lens> lenses;
  std::vector<std::string_view> candidates;
  std::vector<Pending> pending;
  std::vector<std::size_t> declaration_lines;  // what the counting would find again

  LineCursor lines(text);
  for (std::size_t index = 0; auto line = lines.next(); ++index) {
    const std::string_view t = support::trim(line->content);
    const std::uint32_t words = lens_words.found_in(t);
    if (words == 0) continue;
    // The words hold no white space, so the trimmed line holds them when the line does.
    if (words & declaration_rows) declaration_lines.push_back(index);
    const auto line_number = static_cast<std::uint32_t>(index);
    // The trimmed length, taken as a column of the whole line.
    const auto end = static_cast<std::uint32_t>(utf16_of_byte_offset(line->content, t.size()));
    const Range range{{line_number, 0}, {line_number, end}};
    auto add = [&](LensKind kind, std::string_view name) { lenses.push_back({range, kind, name, 0}); };

    if (auto name = run_function_name(t, words)) add(LensKind::run_function, *name);
    if (const MarkerHit hit = marker_rule(t, words, test_markers); hit != MarkerHit::none) {
      add(LensKind::run_test, hit == MarkerHit::attribute ? std::string_view("test")
                                                          : first_function_name(t, words).value_or("test"));
    }
    if (words & program_starts) add(LensKind::run_program, "main");
    if (marker_rule(t, words, bench_markers) != MarkerHit::none) {
      add(LensKind::run_benchmark, first_function_name(t, words).value_or("benchmark"));
    }
    const std::size_t first = candidates.size();
    reference_candidates(t, words, candidates);
    if (candidates.size() > first) {
      pending.push_back({lenses.size(), first, candidates.size()});
      add(LensKind::references, {});
    }
  }
  if (pending.empty()) return lenses;

  std::vector<std::uint32_t> counts;
  if (counter == count_references) {
    auto next_declaration = declaration_lines.begin();
    counts = count_names(text, candidates, [&](std::size_t index, std::string_view) {
      if (next_declaration == declaration_lines.end() || *next_declaration != index) return false;
      ++next_declaration;
      return true;
    });
  } else {
    counts = counter(text, candidates);
  }
  std::vector<Lens> out;
  out.reserve(lenses.size());
  auto next = pending.begin();
  for (std::size_t i = 0; i < lenses.size(); ++i) {
    if (next == pending.end() || next->lens != i) {
      out.push_back(lenses[i]);
      continue;
    }
    for (std::size_t c = next->first; c < next->last; ++c) {
      if (counts[c] == 0) continue;
      Lens lens = lenses[i];
      lens.name = candidates[c];
      lens.count = counts[c];
      out.push_back(lens);
      break;
    }
    ++next;
  }
  return out;
}

namespace {

// The text before the name (or the whole title) in the title of a kind.
std::string_view title_head(LensKind kind) {
  switch (kind) {
    case LensKind::run_function: return "▶ Run '";
    case LensKind::run_test: return "▶ Run Test '";
    case LensKind::run_program: return "▶ Run Program";
    case LensKind::run_benchmark: return "▶ Run Benchmark '";
    case LensKind::references: return {};
  }
  return {};
}

void append_lens_title(std::string& out, const Lens& lens) {
  if (lens.kind != LensKind::references) {
    out += title_head(lens.kind);
    if (lens.kind == LensKind::run_program) return;
    out += lens.name;
    out += '\'';
  } else if (lens.count == 1) {
    out += "1 reference";
  } else {
    out += std::to_string(lens.count);
    out += " references";
  }
}

}  // namespace

std::string lens_title(const Lens& lens) {
  std::string title;
  append_lens_title(title, lens);
  return title;
}

std::string_view lens_command(LensKind kind) {
  switch (kind) {
    case LensKind::run_function:
    case LensKind::run_program: return "qosa.runFunction";
    case LensKind::run_test: return "qosa.runTest";
    case LensKind::run_benchmark: return "qosa.runBenchmark";
    case LensKind::references: return "editor.action.showReferences";
  }
  return {};
}

void for_each_code_lens(std::span<const Lens> lenses, std::string_view uri,
                        support::FunctionRef<void(const CodeLens&)> fn) {
  std::string title;
  for (const Lens& lens : lenses) {
    title.clear();
    append_lens_title(title, lens);
    const bool references = lens.kind == LensKind::references;
    fn(CodeLens{lens.range,
                LensCommand{title, lens_command(lens.kind),
                            references ? std::nullopt : std::optional<std::string_view>(uri), lens.name}});
  }
}

std::size_t CodeLenses::expected_size() const {
  // Member names, command, title and four numbers, besides the texts.
  constexpr std::size_t most_fixed_bytes = 200;
  std::size_t room = 2;
  for (const Lens& lens : lenses) room += most_fixed_bytes + uri.size() + 2 * lens.name.size();
  return room;
}

CodeLenses compute_code_lenses(std::string_view text, std::string_view uri) { return {find_lenses(text), uri}; }

CodeLenses handle_code_lens(const CodeLensParams& params, std::string_view text) {
  return compute_code_lenses(text, params.uri.text);
}

}  // namespace qosa::lsp
