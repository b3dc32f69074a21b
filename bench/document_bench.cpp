// Many ranged changes in one didChange on a text of a million lines: the
// store's line index against finding each position from the first line
// (position_to_offset per change, as the store did before).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "lsp/document.h"
#include "lsp/positions.h"

namespace {

using qosa::lsp::DocumentStore;
using qosa::lsp::TextDocumentContentChangeEvent;

constexpr std::uint32_t kLines = 1'000'000;
constexpr std::string_view kUri = "file:///big.qosa";

// `line` repeated, and `count` changes that each insert "y" at the start of
// the last line.
struct Input {
  std::string text;
  std::vector<TextDocumentContentChangeEvent> changes;
};

Input make_input(std::string_view line, std::size_t count) {
  Input input;
  input.text.reserve(kLines * line.size());
  for (std::uint32_t i = 0; i < kLines; ++i) input.text += line;
  const qosa::lsp::Position at{kLines - 1, 0};
  input.changes.assign(count, TextDocumentContentChangeEvent{qosa::lsp::Range{at, at}, std::nullopt, "y"});
  return input;
}

void with_line_index(benchmark::State& state, std::string_view line, std::size_t count) {
  const Input input = make_input(line, count);
  for (auto _ : state) {
    state.PauseTiming();
    DocumentStore store;
    qosa::lsp::open_document(store, *qosa::lsp::Uri::parse(kUri), input.text, 1);
    auto changes = input.changes;
    state.ResumeTiming();
    benchmark::DoNotOptimize(qosa::lsp::apply_changes(store, kUri, std::move(changes), 2));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * count));
}

// The walk from the first line costs the same for every change, so a
// fiftieth of the changes shows the rate (the whole list takes minutes).
void from_first_line(benchmark::State& state, std::string_view line, std::size_t count) {
  const Input input = make_input(line, count / 50);
  for (auto _ : state) {
    state.PauseTiming();
    std::string text = input.text;
    state.ResumeTiming();
    for (const auto& change : input.changes) {
      const auto start = qosa::lsp::position_to_offset(text, change.range->start.line, change.range->start.character);
      const auto end = qosa::lsp::position_to_offset(text, change.range->end.line, change.range->end.character);
      if (start && end && *start <= *end && *end <= text.size()) text.replace(*start, *end - *start, change.text);
    }
    benchmark::DoNotOptimize(text.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * input.changes.size()));
}

BENCHMARK_CAPTURE(with_line_index, x_lines_10000_changes, "x\n", 10'000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(from_first_line, x_lines_10000_changes, "x\n", 10'000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(with_line_index, empty_lines_2000_changes, "\n", 2'000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(from_first_line, empty_lines_2000_changes, "\n", 2'000)->Unit(benchmark::kMillisecond);

}  // namespace
