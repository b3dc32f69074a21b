// Semantic tokens and signature help on the line that costs a naive name
// search the most: a long run of one letter, a keyword, and a declared name
// that begins with that run. At each byte of the first run, a search that
// compares from every candidate start reads the rest of the run before it
// fails. Both requests should cost time linear in the text (the fitted
// complexity says which).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "features/semantic_tokens.h"
#include "features/signature.h"
#include "lsp/writer.h"

namespace {

// One line of about `bytes` bytes: "aa…a fonksiyon aa…ab()", which declares
// the function and calls it (the cursor between its parentheses).
std::string adversarial_line(std::size_t bytes) {
  constexpr std::string_view keyword = " fonksiyon ";
  const std::size_t run = (bytes - keyword.size() - 3) / 2;
  return std::string(run, 'a') + std::string(keyword) + std::string(run, 'a') + "b()";
}

void set_counters(benchmark::State& state, std::size_t bytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.SetComplexityN(static_cast<benchmark::IterationCount>(bytes));
}

void BM_SemanticTokensAdversarialName(benchmark::State& state) {
  const std::string text = adversarial_line(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::string answer;
    qosa::lsp::write_json(answer, qosa::lsp::handle_semantic_tokens({}, text));
    benchmark::DoNotOptimize(answer);
  }
  set_counters(state, text.size());
}
BENCHMARK(BM_SemanticTokensAdversarialName)
    ->Arg(128 << 10)->Arg(256 << 10)->Arg(512 << 10)
    ->Unit(benchmark::kMillisecond)->Complexity();

void BM_SignatureHelpAdversarialName(benchmark::State& state) {
  const std::string text = adversarial_line(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    // ASCII: bytes are columns.
    auto answer = qosa::lsp::handle_signature_help(text, 0, text.size() - 1);
    if (!answer) state.SkipWithError("no signature");
    benchmark::DoNotOptimize(answer);
  }
  set_counters(state, text.size());
}
BENCHMARK(BM_SignatureHelpAdversarialName)
    ->Arg(128 << 10)->Arg(256 << 10)->Arg(512 << 10)
    ->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace
