#include "features/code_lens.h"

#include <array>

#include "features/byte_pair_index.h"
#include "features/name_search.h"
#include "features/words.h"
#include "lsp/lines.h"
#include "support/columns.h"
#include "support/unicode.h"
#include "support/utf8.h"

namespace qosa::lsp {

namespace {

constexpr auto npos = std::string_view::npos;

// A line that contains one of these and a name is that name's declaration
// line, which its reference count skips. "fn" is not among them.
constexpr TwoByteIndex declaration_words(std::array<std::string_view, 6>{
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
constexpr TwoByteIndex lens_words(lens_word_list);

constexpr std::uint64_t bits(std::size_t first, std::size_t count) {
  return ((1ull << count) - 1) << first;
}
constexpr std::size_t function_keywords = 3;  // the first rows
constexpr std::size_t reference_rows = 7;
constexpr std::size_t spaced_function_keyword = 7;
constexpr std::uint64_t any_function_keyword = bits(0, function_keywords);
constexpr std::uint64_t program_starts = bits(19, 6);
// The rows that are `declaration_words`: all reference rows but "fn".
constexpr std::uint64_t declaration_rows = bits(0, reference_rows) & ~bits(2, 1);
static_assert(lens_word_list[0] == "fonksiyon" && lens_word_list[1] == "function" && lens_word_list[2] == "fn" &&
              lens_word_list[3] == "değişken" && lens_word_list[4] == "let" && lens_word_list[5] == "sabit");
static_assert(lens_word_list[6] == "const" && lens_word_list[9] == " fn" && lens_word_list[10] == "test" &&
              lens_word_list[14] == "bench" && lens_word_list[18] == "@bench" &&
              lens_word_list[19] == "fonksiyon ana(");

struct Markers {
  std::uint64_t markers;
  std::uint64_t inner_word;
  std::array<std::string_view, 2> attributes;
};
constexpr Markers test_markers{bits(10, 4), bits(10, 1), {"#[test]", "@test"}};
constexpr Markers bench_markers{bits(15, 4), bits(14, 1), {"#[bench]", "@bench"}};

enum class MarkerHit { none, attribute, word };

// The test and benchmark rule. Whichever marker is found, the lens fires on
// the same condition, so the markers only decide whether it is tested.
MarkerHit marker_rule(std::string_view t, std::uint64_t words, const Markers& m) {
  if (!(words & m.markers)) return MarkerHit::none;
  if (t.starts_with(m.attributes[0]) || t.starts_with(m.attributes[1])) return MarkerHit::attribute;
  if ((words & m.inner_word) && (words & any_function_keyword)) return MarkerHit::word;
  return MarkerHit::none;
}

std::optional<std::string_view> first_function_name(std::string_view t, std::uint64_t words) {
  for (std::size_t k = 0; k < function_keywords; ++k) {
    if (!(words & bits(k, 1))) continue;
    if (auto name = extract_function_name(t, lens_word_list[k])) return name;
  }
  return std::nullopt;
}

// A function keyword that starts the line or follows a space, and a name after it.
std::optional<std::string_view> run_function_name(std::string_view t, std::uint64_t words) {
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
void reference_candidates(std::string_view t, std::uint64_t words, std::vector<std::string_view>& out) {
  for (std::size_t row = 0; row < reference_rows; ++row) {
    if (!(words & bits(row, 1))) continue;
    const std::string_view word = lens_word_list[row];
    const auto name = row < function_keywords ? extract_function_name(t, word)
                                              : declared_name(t.substr(t.find(word) + word.size()));
    if (!name) return;
    out.push_back(*name);
  }
}

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

std::vector<std::uint32_t> count_references(std::string_view text,
                                            std::span<const std::string_view> names) {
  std::vector<std::size_t> declaration_lines;
  LineCursor lines(text);
  for (std::size_t index = 0; auto line = lines.next(); ++index) {
    if (declaration_words.found_in(line->content) != 0) declaration_lines.push_back(index);
  }
  return count_names(text, names, declaration_lines);
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
    const std::uint64_t words = lens_words.found_in(t);
    if (words == 0) continue;
    // The words hold no white space, so the trimmed line holds them when the line does.
    if (words & declaration_rows) declaration_lines.push_back(index);
    const auto line_number = static_cast<std::uint32_t>(index);
    // The trimmed length, taken as a column of the whole line.
    const auto end = static_cast<std::uint32_t>(support::utf16_of_byte_offset(line->content, t.size()));
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
    counts = count_names(text, candidates, declaration_lines);
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
