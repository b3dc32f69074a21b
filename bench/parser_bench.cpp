// Parsing throughput and tree size on a generated program of about 10 MB in
// each keyword language, with and without the embedded and module constructs,
// and parse time against nesting depth.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>

#include "parser/source.h"
#include "program_generator.h"

namespace {

using qosa::bench::Constructs;
using qosa::bench::KeywordLanguage;
using qosa::parser::parse_source;
using qosa::parser::ParseResult;

constexpr std::size_t kProgramBytes = 10u << 20;

const std::string& program(KeywordLanguage language, Constructs constructs) {
  auto make = [](KeywordLanguage l, Constructs c) {
    return qosa::bench::generate_program(kProgramBytes, l, 1, c);
  };
  static const std::string turkish = make(KeywordLanguage::Turkish, Constructs::Core);
  static const std::string english = make(KeywordLanguage::English, Constructs::Core);
  static const std::string turkish_embedded =
      make(KeywordLanguage::Turkish, Constructs::WithEmbedded);
  static const std::string english_embedded =
      make(KeywordLanguage::English, Constructs::WithEmbedded);
  if (constructs == Constructs::WithEmbedded) {
    return language == KeywordLanguage::Turkish ? turkish_embedded : english_embedded;
  }
  return language == KeywordLanguage::Turkish ? turkish : english;
}

void parse_program(benchmark::State& state, KeywordLanguage language, Constructs constructs) {
  const std::string& text = program(language, constructs);
  ParseResult first = parse_source(text);
  for (auto _ : state) benchmark::DoNotOptimize(parse_source(text).statements.data());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.counters["bytes"] = static_cast<double>(text.size());
  state.counters["statements"] = static_cast<double>(first.statements.size());
  // Everything the tree holds, against the text it came from.
  state.counters["tree_per_text"] =
      static_cast<double>(first.arena->bytes_reserved()) / static_cast<double>(text.size());
}

// The parse behind the diagnostics: the same statements, each released at once.
void parse_released(benchmark::State& state, KeywordLanguage language, Constructs constructs) {
  const std::string& text = program(language, constructs);
  for (auto _ : state) benchmark::DoNotOptimize(qosa::parser::parse_source_released(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

BENCHMARK_CAPTURE(parse_released, turkish, KeywordLanguage::Turkish, Constructs::Core)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(parse_released, english, KeywordLanguage::English, Constructs::Core)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_CAPTURE(parse_program, turkish, KeywordLanguage::Turkish, Constructs::Core)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(parse_program, english, KeywordLanguage::English, Constructs::Core)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(parse_program, turkish_embedded, KeywordLanguage::Turkish,
                  Constructs::WithEmbedded)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(parse_program, english_embedded, KeywordLanguage::English,
                  Constructs::WithEmbedded)
    ->Unit(benchmark::kMillisecond);

std::string repeat(std::string_view piece, std::size_t count) {
  std::string out;
  out.reserve(piece.size() * count);
  for (std::size_t i = 0; i < count; ++i) out += piece;
  return out;
}

// Statement-dense text: 10 MB of "a ", one statement per two bytes.
const std::string& dense_text() {
  static const std::string text = repeat("a ", 5u << 20);
  return text;
}

void parse_dense(benchmark::State& state) {
  const std::string& text = dense_text();
  ParseResult first = parse_source(text);
  for (auto _ : state) benchmark::DoNotOptimize(parse_source(text).statements.data());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.counters["tree_per_text"] =
      static_cast<double>(first.arena->bytes_reserved()) / static_cast<double>(text.size());
}

void parse_dense_released(benchmark::State& state) {
  const std::string& text = dense_text();
  for (auto _ : state) benchmark::DoNotOptimize(qosa::parser::parse_source_released(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

BENCHMARK(parse_dense)->Unit(benchmark::kMillisecond);
BENCHMARK(parse_dense_released)->Unit(benchmark::kMillisecond);

// Time per byte should stay flat from 10^4 to 10^6 levels.
// Within `head` and `tail`, so that patterns and attribute arguments nest.
void parse_nested_in(benchmark::State& state, std::string_view head, std::string_view open,
                     std::string_view close, std::string_view tail) {
  const auto depth = static_cast<std::size_t>(state.range(0));
  std::string text(head);
  text += repeat(open, depth);
  text += 'x';
  text += repeat(close, depth);
  text += tail;
  for (auto _ : state) benchmark::DoNotOptimize(parse_source(text).statements.data());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.SetComplexityN(state.range(0));
}

// 10^4 to 10^6 levels, with the fitted complexity that shows time stays linear.
void depths(benchmark::internal::Benchmark* b) {
  b->RangeMultiplier(10)->Range(10'000, 1'000'000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);
}

void parse_nested(benchmark::State& state, std::string_view open, std::string_view close) {
  parse_nested_in(state, "", open, close, "");
}

BENCHMARK_CAPTURE(parse_nested, parentheses, "(", ")")->Apply(depths);
BENCHMARK_CAPTURE(parse_nested, if_bodies, "eğer x ise ", " son")->Apply(depths);
BENCHMARK_CAPTURE(parse_nested, else_if_chain, "eğer x ise y veya ", "")->Apply(depths);
BENCHMARK_CAPTURE(parse_nested, minus_signs, "-", "")->Apply(depths);
BENCHMARK_CAPTURE(parse_nested, sum_chain, "1+", "")->Apply(depths);
BENCHMARK_CAPTURE(parse_nested, match_arms, "seç x yap durum 1 => ", " son")->Apply(depths);
BENCHMARK_CAPTURE(parse_nested_in, patterns, "seç x yap durum ", "Bazı(", ")", " => y son")->Apply(depths);
BENCHMARK_CAPTURE(parse_nested_in, attribute_arguments, "#[a(", "b(", ")", ")] x")->Apply(depths);
BENCHMARK_CAPTURE(parse_nested, attributes, "#[a] ", "")->Apply(depths);
BENCHMARK_CAPTURE(parse_nested, if_expressions, "x = eğer a ise { ", " }")->Apply(depths);

}  // namespace
