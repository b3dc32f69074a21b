// Code lenses: run, test, program, benchmark and reference-count lenses
// above the lines that declare something, found by substring tests on the
// raw lines of one document.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "lsp/protocol.h"
#include "support/function_ref.h"

namespace qosa::lsp {

enum class LensKind : std::uint8_t { run_function, run_test, run_program, run_benchmark, references };

// One lens as the rules find it. Its texts are borrowed from the document
// text (or are literals), so a lens must not outlive the text it was
// computed from.
struct Lens {
  Range range;            // the line, from column 0 to the end of its trimmed text, in UTF-16 units
  LensKind kind;
  std::string_view name;  // the function, test, benchmark or declared name; "main" for the program
  std::uint32_t count = 0;  // references only
};

// The name between `keyword` (its first occurrence) and the next "(",
// trimmed; none when either is missing or the name is empty.
std::optional<std::string_view> extract_function_name(std::string_view line,
                                                       std::string_view keyword);

// The reference counts of many non-empty names at once, in the order given:
// whole identifier pieces equal to the name over every line, except on the
// first line that holds a declaration word and contains the name anywhere.
// A name with a non-identifier character counts 0. Linear in the text plus
// the names.
std::vector<std::uint32_t> count_references(std::string_view text,
                                            std::span<const std::string_view> names);

// The counts of the names the references rule tries, in the order given,
// where `declaration_lines` are the lines (ascending) that hold a
// declaration word.
using LensCounts = support::FunctionRef<std::vector<std::uint32_t>(std::span<const std::string_view> names,
                                                                    std::span<const std::size_t> declaration_lines)>;

// The lenses of a text, in line order and, within a line, in the order of
// the kinds, with the reference counts from `counts_of`. Linear in the text
// besides the counting.
std::vector<Lens> find_lenses_with(std::string_view text, LensCounts counts_of);

// The same with the names counted as count_references counts them, on the
// declaration lines the rules' own pass has found. Linear in the text.
std::vector<Lens> find_lenses(std::string_view text);

// Hands each lens to `fn` as the protocol's record; `uri` is the first
// argument of the run lenses. A record's title lives until the next call.
void for_each_code_lens(std::span<const Lens> lenses, std::string_view uri,
                        support::FunctionRef<void(const CodeLens&)> fn);

// The lenses of a document, for the writer to walk.
struct CodeLenses {
  using record = CodeLens;
  std::vector<Lens> lenses;
  std::string_view uri;

  template <class Sink>
  void stream(Sink& sink) const {
    for_each_code_lens(lenses, uri, [&](const CodeLens& lens) { sink.add(lens); });
  }
  std::size_t expected_size() const;
};

CodeLenses compute_code_lenses(std::string_view text, std::string_view uri);

// "textDocument/codeLens" on the text of its document; the uri as sent is the
// run lenses' first argument.
CodeLenses handle_code_lens(const CodeLensParams& params, std::string_view text);

}  // namespace qosa::lsp
