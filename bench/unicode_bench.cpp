// The generated Unicode tables against ICU's own lookups, on the characters
// the server meets: Turkish letters, other scripts, digits and spaces.
#include <benchmark/benchmark.h>

#include <unicode/ucasemap.h>
#include <unicode/uchar.h>

#include <string>
#include <vector>

#include "support/unicode.h"
#include "support/utf8.h"

namespace {

// Non-ASCII code points as an editor's documents have them.
const std::vector<char32_t>& sample() {
  static const std::vector<char32_t> code_points = [] {
    const std::u32string text =
        U"çğıöşüÇĞİÖŞÜ âîû éèàñ ßäöü αβγΣΩ абвгд שלום مرحبا 中文字 日本語 한국어 ²³½ ٣٤ Ⅻ \u00A0\u3000 ✓→";
    std::vector<char32_t> out;
    for (char32_t c : text) {
      if (c >= 0x80) out.push_back(c);
    }
    return out;
  }();
  return code_points;
}

void tables_properties(benchmark::State& state) {
  for (auto _ : state) {
    int count = 0;
    for (char32_t c : sample()) {
      count += qosa::support::is_alphabetic(c) + qosa::support::is_numeric(c) + qosa::support::is_white_space(c);
    }
    benchmark::DoNotOptimize(count);
  }
  state.SetItemsProcessed(state.iterations() * sample().size());
}
BENCHMARK(tables_properties);

void icu_properties(benchmark::State& state) {
  for (auto _ : state) {
    int count = 0;
    for (char32_t c : sample()) {
      const auto u = static_cast<UChar32>(c);
      count += u_hasBinaryProperty(u, UCHAR_ALPHABETIC) +
               ((U_GET_GC_MASK(u) & (U_GC_ND_MASK | U_GC_NL_MASK | U_GC_NO_MASK)) != 0) +
               u_hasBinaryProperty(u, UCHAR_WHITE_SPACE);
    }
    benchmark::DoNotOptimize(count);
  }
  state.SetItemsProcessed(state.iterations() * sample().size());
}
BENCHMARK(icu_properties);

const std::vector<std::string>& words() {
  static const std::vector<std::string> list = {
      "DEĞİŞKEN", "Fonksiyon", "ŞartlıÇıkış", "ÖĞRENCİ_SAYISI", "değişken", "ΟΔΟΣ", "Straße", "ПРИВЕТ", "sayaç",
  };
  return list;
}

void tables_to_lower(benchmark::State& state) {
  std::string out;
  for (auto _ : state) {
    for (const std::string& word : words()) {
      qosa::support::to_lower(word, out);
      benchmark::DoNotOptimize(out.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * words().size());
}
BENCHMARK(tables_to_lower);

void icu_to_lower(benchmark::State& state) {
  UErrorCode status = U_ZERO_ERROR;
  UCaseMap* map = ucasemap_open("", 0, &status);
  std::string out(256, '\0');
  for (auto _ : state) {
    for (const std::string& word : words()) {
      status = U_ZERO_ERROR;
      const int32_t n = ucasemap_utf8ToLower(map, out.data(), 256, word.data(), static_cast<int32_t>(word.size()), &status);
      benchmark::DoNotOptimize(n);
    }
  }
  ucasemap_close(map);
  state.SetItemsProcessed(state.iterations() * words().size());
}
BENCHMARK(icu_to_lower);

}  // namespace
