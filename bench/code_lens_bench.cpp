// Code lenses of a 20,000-line document with 5,000 declarations, as an
// editor asks for them after every keystroke: the reference counts of all
// declared names in one pass, against the line-by-line counting per name.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>

#include "features/code_lens.h"
#include "features/code_lens_oracle.h"
#include "lsp/writer.h"

namespace {

// Every fourth line declares a name (functions, tests and values in both
// keyword languages); the others use earlier names, call built-ins or hold
// comments, so every name has a few whole-word references and many
// occurrences inside longer words.
std::string make_document(std::size_t lines) {
  std::mt19937 rng(7);
  std::string text;
  std::size_t declared = 0;
  auto earlier = [&](std::string_view prefix) {
    return std::string(prefix) + std::to_string(declared == 0 ? 0 : rng() % declared);
  };
  for (std::size_t i = 0; i < lines; ++i) {
    const std::string n = std::to_string(declared);
    if (i % 4 == 0) {
      switch (declared++ % 6) {
        case 0: text += "fonksiyon hesapla_" + n + "(değer: tamsayı) -> tamsayı {\n"; break;
        case 1: text += "    değişken sayaç_" + n + ": tamsayı = değer * " + n + "\n"; break;
        case 2: text += "fn compute_" + n + "(x: int) -> int {\n"; break;
        case 3: text += "    let total_" + n + " = x + 1  // toplam\n"; break;
        case 4: text += "sabit SINIR_" + n + " = 100\n"; break;
        case 5: text += "#[test] fn test_" + n + "() {\n"; break;
      }
      continue;
    }
    switch (rng() % 4) {
      case 0: text += "    yazdır(" + earlier("sayaç_") + " + " + earlier("hesapla_") + "(ağırlık))\n"; break;
      case 1: text += "    eğer " + earlier("total_") + " > " + earlier("SINIR_") + " ise dön 0\n"; break;
      case 2: text += "    // " + earlier("compute_") + " günceller, test_ ile sınanır\n"; break;
      case 3: text += "}\n"; break;
    }
  }
  return text;
}

const std::string& document() {
  static const std::string text = make_document(20'000);
  return text;
}

// The same kind of document at several sizes: time grows with the text.
void BM_CodeLensesBySize(benchmark::State& state) {
  const std::string text = make_document(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    auto result = qosa::lsp::find_lenses(text);
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.SetComplexityN(static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_CodeLensesBySize)->RangeMultiplier(4)->Range(5'000, 320'000)->Complexity()->Unit(benchmark::kMillisecond);

void BM_CodeLenses(benchmark::State& state) {
  const std::string& text = document();
  std::size_t lenses = 0;
  for (auto _ : state) {
    auto result = qosa::lsp::find_lenses(text);
    lenses = result.size();
    benchmark::DoNotOptimize(result);
  }
  state.counters["lenses"] = static_cast<double>(lenses);
  state.counters["text_bytes"] = static_cast<double>(text.size());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_CodeLenses)->Unit(benchmark::kMillisecond);

// The whole answer: lenses written as JSON text.
void BM_CodeLensJson(benchmark::State& state) {
  const std::string& text = document();
  for (auto _ : state) {
    std::string result;
    qosa::lsp::write_json(result, qosa::lsp::compute_code_lenses(text, "file:///proje/ana.qosa"));
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_CodeLensJson)->Unit(benchmark::kMillisecond);

// The same lenses with every name counted by reading all lines again.
void BM_CodeLensesLineByLine(benchmark::State& state) {
  const std::string& text = document();
  for (auto _ : state) {
    auto result = qosa::lsp::find_lenses_with(
        text, [&](std::span<const std::string_view> names, std::span<const std::size_t>) {
          return qosa::lsp::testing::oracle_counts(text, names);
        });
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_CodeLensesLineByLine)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
