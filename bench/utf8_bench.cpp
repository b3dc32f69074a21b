// UTF-8 validation of a message body: generated programs in both keyword
// languages (the Turkish one has non-ASCII letters on most lines).
#include <benchmark/benchmark.h>

#include <string>

#include "program_generator.h"
#include "support/utf8.h"

namespace {

using qosa::bench::KeywordLanguage;

void validate(benchmark::State& state, KeywordLanguage language) {
  static const std::string turkish = qosa::bench::generate_program(10u << 20, KeywordLanguage::Turkish);
  static const std::string english = qosa::bench::generate_program(10u << 20, KeywordLanguage::English);
  const std::string& text = language == KeywordLanguage::Turkish ? turkish : english;
  for (auto _ : state) benchmark::DoNotOptimize(qosa::support::validate_utf8(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

BENCHMARK_CAPTURE(validate, turkish, KeywordLanguage::Turkish)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(validate, english, KeywordLanguage::English)->Unit(benchmark::kMillisecond);

}  // namespace
