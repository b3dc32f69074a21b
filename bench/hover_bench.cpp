// Hover and word_at on the last line of a large document: the cost should
// grow with the bytes before that line (a memchr over them) and nothing else.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "features/hover.h"
#include "features/words.h"

namespace {

// QOSA-looking lines with Turkish letters, about `bytes` long, ending in a
// line that hovers on "dön".
std::string make_document(std::size_t bytes, std::uint32_t* last_line) {
  std::string text;
  text.reserve(bytes + 64);
  std::uint32_t lines = 0;
  while (text.size() < bytes) {
    const std::string n = std::to_string(lines);
    text += "fonksiyon hesapla_" + n + "(değer: tamsayı) -> tamsayı\n";
    text += "  değişken sayaç_" + n + " = değer * 2  // çarpım\n";
    text += "son\n";
    lines += 3;
  }
  text += "  dön sonuç";
  *last_line = lines;
  return text;
}

void BM_HoverLastLine(benchmark::State& state) {
  std::uint32_t last = 0;
  const std::string text = make_document(static_cast<std::size_t>(state.range(0)), &last);
  for (auto _ : state) {
    auto hover = qosa::lsp::hover_at(text, last, 3);
    benchmark::DoNotOptimize(hover);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_HoverLastLine)->RangeMultiplier(4)->Range(64 << 10, 4 << 20);

void BM_WordAtLastLine(benchmark::State& state) {
  std::uint32_t last = 0;
  const std::string text = make_document(static_cast<std::size_t>(state.range(0)), &last);
  for (auto _ : state) {
    auto word = qosa::lsp::word_at(text, last, 3);
    benchmark::DoNotOptimize(word);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_WordAtLastLine)->Arg(1 << 20);

// The first line of the same document: independent of the document's size.
void BM_HoverFirstLine(benchmark::State& state) {
  std::uint32_t last = 0;
  const std::string text = make_document(static_cast<std::size_t>(state.range(0)), &last);
  for (auto _ : state) {
    auto hover = qosa::lsp::hover_at(text, 0, 2);
    benchmark::DoNotOptimize(hover);
  }
}
BENCHMARK(BM_HoverFirstLine)->Arg(1 << 20);

}  // namespace
