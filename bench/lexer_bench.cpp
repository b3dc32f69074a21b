// Lexing throughput on a generated program of about 10 MB in each keyword language.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "lexer/lexer.h"
#include "program_generator.h"

namespace {

using qosa::bench::KeywordLanguage;
using qosa::lexer::Lexer;
using qosa::lexer::Lexeme;
using qosa::lexer::SourceName;
using qosa::lexer::TokenKind;

constexpr std::size_t kProgramBytes = 10u << 20;

const std::string& program(KeywordLanguage language) {
  static const std::string turkish = qosa::bench::generate_program(kProgramBytes, KeywordLanguage::Turkish);
  static const std::string english = qosa::bench::generate_program(kProgramBytes, KeywordLanguage::English);
  return language == KeywordLanguage::Turkish ? turkish : english;
}

// The program's first few functions (about 3 KB) repeated to the same size:
// the same kinds of tokens, in an order the branch predictor learns. The gap
// to the whole program is what the unpredictable order of token kinds costs.
std::string repeat_head(const std::string& text, std::string_view next_function) {
  const std::string head = text.substr(0, text.find(next_function, 2048) + 1);
  std::string out;
  while (out.size() < text.size()) out += head;
  return out;
}

const std::string& repeated_program(KeywordLanguage language) {
  static const std::string turkish = repeat_head(program(KeywordLanguage::Turkish), "\nfonksiyon ");
  static const std::string english = repeat_head(program(KeywordLanguage::English), "\nfn ");
  return language == KeywordLanguage::Turkish ? turkish : english;
}

// Lexes the whole text and returns the number of tokens before the end:
// as the parser reads them (views, a chunk at a time, no lines and columns),
// or as Token values with their own strings and their spans.
enum class Form { lexemes, tokens, lexemes_repeated };

std::size_t lex_chunks(const std::string& text) {
  Lexer lexer = qosa::lexer::lexer_new(text, SourceName{"<stdin>", 0});
  std::vector<Lexeme> chunk(256);
  std::size_t tokens = 0;
  for (;;) {
    const std::size_t n = lexer.lex(chunk.data(), chunk.size());
    benchmark::DoNotOptimize(chunk.data());
    tokens += n;
    if (chunk[n - 1].kind == TokenKind::Eof) return tokens - 1;
  }
}

std::size_t lex(const std::string& text, Form form, std::uint64_t* end_line = nullptr) {
  if (form == Form::lexemes && end_line == nullptr) return lex_chunks(text);
  Lexer lexer = qosa::lexer::lexer_new(text, SourceName{"<stdin>", 0});
  std::size_t tokens = 0;
  for (;;) {
    TokenKind kind;
    if (form == Form::lexemes) {
      const auto lexeme = lexer.next_lexeme();
      benchmark::DoNotOptimize(lexeme);
      kind = lexeme.kind;
    } else {
      const auto token = lexer.next_token();
      benchmark::DoNotOptimize(token);
      kind = token.kind;
    }
    if (kind == TokenKind::Eof) break;
    ++tokens;
  }
  if (end_line) *end_line = lexer.last_place().line;
  return tokens;
}

void lex_program(benchmark::State& state, KeywordLanguage language, Form form) {
  const std::string& text = form == Form::lexemes_repeated ? repeated_program(language) : program(language);
  if (form == Form::lexemes_repeated) form = Form::lexemes;
  // An early end of input would make the figure meaningless.
  std::uint64_t end_line = 0;
  const std::size_t tokens = lex(text, form, &end_line);
  if (end_line != static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n')) + 1) {
    state.SkipWithError("the generated program stops before its end");
    return;
  }
  if (form == Form::lexemes && lex_chunks(text) != tokens) {
    state.SkipWithError("a chunk at a time gives other tokens than one at a time");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(lex(text, form));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.counters["tokens"] = static_cast<double>(tokens);
  state.counters["bytes"] = static_cast<double>(text.size());
}

BENCHMARK_CAPTURE(lex_program, turkish, KeywordLanguage::Turkish, Form::lexemes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(lex_program, english, KeywordLanguage::English, Form::lexemes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(lex_program, turkish_repeated, KeywordLanguage::Turkish, Form::lexemes_repeated)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(lex_program, english_repeated, KeywordLanguage::English, Form::lexemes_repeated)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(lex_program, turkish_tokens, KeywordLanguage::Turkish, Form::tokens)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(lex_program, english_tokens, KeywordLanguage::English, Form::tokens)->Unit(benchmark::kMillisecond);

}  // namespace
