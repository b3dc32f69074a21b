#include "features/code_lens.h"

#include <array>
#include <string>

#include "features/byte_pair_index.h"
#include "features/name_search.h"
#include "lsp/lines.h"
#include "lsp/positions.h"
#include "support/json.h"
#include "support/unicode.h"
#include "support/utf8.h"

namespace qosa::lsp {

namespace {

constexpr auto npos = std::string_view::npos;

// Every word the lens rules look for in a trimmed line. A line with none of
// them gets no lens and is not looked at further.
enum class LensWord : std::uint8_t {
  fonksiyon, function, fn, degisken, let, sabit, const_,
  spaced_fonksiyon, spaced_function, spaced_fn,
  test, deneme, test_attribute, test_annotation,
  bench, benchmark, karsilastirma, bench_attribute, bench_annotation,
  fonksiyon_ana_paren, function_main_paren, fn_main_paren,
  fonksiyon_ana_space, function_main_space, fn_main_space,
};

struct LensWordText {
  LensWord word;
  std::string_view text;
};
constexpr LensWordText lens_word_table[] = {
    {LensWord::fonksiyon, "fonksiyon"},
    {LensWord::function, "function"},
    {LensWord::fn, "fn"},
    {LensWord::degisken, "değişken"},
    {LensWord::let, "let"},
    {LensWord::sabit, "sabit"},
    {LensWord::const_, "const"},
    {LensWord::spaced_fonksiyon, " fonksiyon"},
    {LensWord::spaced_function, " function"},
    {LensWord::spaced_fn, " fn"},
    {LensWord::test, "test"},
    {LensWord::deneme, "deneme"},
    {LensWord::test_attribute, "#[test]"},
    {LensWord::test_annotation, "@test"},
    {LensWord::bench, "bench"},
    {LensWord::benchmark, "benchmark"},
    {LensWord::karsilastirma, "karşılaştırma"},
    {LensWord::bench_attribute, "#[bench]"},
    {LensWord::bench_annotation, "@bench"},
    {LensWord::fonksiyon_ana_paren, "fonksiyon ana("},
    {LensWord::function_main_paren, "function main("},
    {LensWord::fn_main_paren, "fn main("},
    {LensWord::fonksiyon_ana_space, "fonksiyon ana "},
    {LensWord::function_main_space, "function main "},
    {LensWord::fn_main_space, "fn main "},
};

constexpr std::size_t row(LensWord word) { return static_cast<std::size_t>(word); }
constexpr std::uint64_t bit(LensWord word) { return 1ull << row(word); }
template <std::size_t N>
constexpr std::uint64_t mask(const std::array<LensWord, N>& words) {
  std::uint64_t m = 0;
  for (LensWord w : words) m |= bit(w);
  return m;
}

// The texts in enum order, so that bit(w) of what the scan finds is word w.
constexpr auto lens_word_list = [] {
  std::array<std::string_view, std::size(lens_word_table)> list{};
  for (const LensWordText& entry : lens_word_table) list[row(entry.word)] = entry.text;
  return list;
}();
constexpr TwoByteIndex lens_words(lens_word_list);

constexpr std::string_view text(LensWord word) { return lens_word_list[row(word)]; }
template <std::size_t N>
constexpr std::array<std::string_view, N> texts(const std::array<LensWord, N>& words) {
  std::array<std::string_view, N> out{};
  for (std::size_t i = 0; i < N; ++i) out[i] = text(words[i]);
  return out;
}

// The function keywords in the order the rules try them, each with its form
// after a space.
struct FunctionKeyword {
  LensWord word;
  LensWord after_space;
};
constexpr FunctionKeyword function_keywords[] = {
    {LensWord::fonksiyon, LensWord::spaced_fonksiyon},
    {LensWord::function, LensWord::spaced_function},
    {LensWord::fn, LensWord::spaced_fn},
};
constexpr std::uint64_t any_function_keyword = mask(std::array{LensWord::fonksiyon, LensWord::function, LensWord::fn});

// The references rule's rows, in the order it tries them.
constexpr std::array reference_rows{LensWord::fonksiyon, LensWord::function, LensWord::fn, LensWord::degisken,
                                    LensWord::let,       LensWord::sabit,    LensWord::const_};

// A line that contains one of these and a name is that name's declaration
// line, which its reference count skips. "fn" is not among them.
constexpr std::array declaration_word_rows{LensWord::fonksiyon, LensWord::function, LensWord::degisken,
                                           LensWord::let,       LensWord::sabit,    LensWord::const_};
constexpr std::uint64_t declaration_rows = mask(declaration_word_rows);
constexpr TwoByteIndex declaration_words(texts(declaration_word_rows));

constexpr std::uint64_t program_starts =
    mask(std::array{LensWord::fonksiyon_ana_paren, LensWord::function_main_paren, LensWord::fn_main_paren,
                    LensWord::fonksiyon_ana_space, LensWord::function_main_space, LensWord::fn_main_space});

// A line with any of the markers gets the lens when it starts with one of
// the attributes, or holds the inner word and a function keyword.
struct Markers {
  std::uint64_t markers;
  LensWord inner_word;
  std::array<LensWord, 2> attributes;
};
constexpr Markers test_markers{
    mask(std::array{LensWord::test, LensWord::deneme, LensWord::test_attribute, LensWord::test_annotation}),
    LensWord::test,
    {LensWord::test_attribute, LensWord::test_annotation}};
constexpr Markers bench_markers{
    mask(std::array{LensWord::benchmark, LensWord::karsilastirma, LensWord::bench_attribute,
                    LensWord::bench_annotation}),
    LensWord::bench,
    {LensWord::bench_attribute, LensWord::bench_annotation}};

enum class MarkerHit { none, attribute, word };

// The test and benchmark rule. Whichever marker is found, the lens fires on
// the same condition, so the markers only decide whether it is tested.
MarkerHit marker_rule(std::string_view t, std::uint64_t words, const Markers& m) {
  if (!(words & m.markers)) return MarkerHit::none;
  if (t.starts_with(text(m.attributes[0])) || t.starts_with(text(m.attributes[1]))) return MarkerHit::attribute;
  if ((words & bit(m.inner_word)) && (words & any_function_keyword)) return MarkerHit::word;
  return MarkerHit::none;
}

std::optional<std::string_view> first_function_name(std::string_view t, std::uint64_t words) {
  for (const FunctionKeyword& k : function_keywords) {
    if (!(words & bit(k.word))) continue;
    if (auto name = extract_function_name(t, text(k.word))) return name;
  }
  return std::nullopt;
}

// A function keyword that starts the line or follows a space, and a name after it.
std::optional<std::string_view> run_function_name(std::string_view t, std::uint64_t words) {
  for (const FunctionKeyword& k : function_keywords) {
    const std::string_view keyword = text(k.word);
    if (!t.starts_with(keyword) && !(words & bit(k.after_space))) continue;
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
  for (LensWord row : reference_rows) {
    if (!(words & bit(row))) continue;
    const std::string_view word = text(row);
    const auto name = (bit(row) & any_function_keyword) ? extract_function_name(t, word)
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

std::vector<Lens> find_lenses_with(std::string_view text, LensCounts counts_of) {
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
  std::vector<std::size_t> declaration_lines;  // what count_references would find again

  LineCursor lines(text);
  for (std::size_t index = 0; auto line = lines.next(); ++index) {
    const std::string_view t = support::trim(line->content);
    const std::uint64_t words = lens_words.found_in(t);
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

  // A placeholder takes its first name that is used anywhere; one with none
  // goes (a resolved references lens counts at least 1).
  const std::vector<std::uint32_t> counts = counts_of(candidates, declaration_lines);
  for (const Pending& p : pending) {
    for (std::size_t c = p.first; c < p.last; ++c) {
      if (counts[c] == 0) continue;
      lenses[p.lens].name = candidates[c];
      lenses[p.lens].count = counts[c];
      break;
    }
  }
  std::erase_if(lenses, [](const Lens& lens) { return lens.kind == LensKind::references && lens.count == 0; });
  return lenses;
}

std::vector<Lens> find_lenses(std::string_view text) {
  return find_lenses_with(text, [&](std::span<const std::string_view> names, std::span<const std::size_t> lines) {
    return count_names(text, names, lines);
  });
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

// The title, e.g. "▶ Run 'topla'" or "2 references".
void append_lens_title(std::string& out, const Lens& lens) {
  if (lens.kind != LensKind::references) {
    out += title_head(lens.kind);
    if (lens.kind == LensKind::run_program) return;
    out += lens.name;
    out += '\'';
  } else if (lens.count == 1) {
    out += "1 reference";
  } else {
    support::append_decimal(out, std::uint64_t{lens.count});
    out += " references";
  }
}

// The command id the editor runs, e.g. "qosa.runFunction".
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

}  // namespace

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
