// Semantic tokens and document symbols on a large document: an editor asks
// for both after every keystroke, over the whole text.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <string_view>

#include <boost/json.hpp>

#include "server/dispatch.h"
#include "features/symbols.h"
#include "lsp/document.h"
#include "program_generator.h"

namespace {

using qosa::bench::Constructs;
using qosa::bench::KeywordLanguage;

// Appends up to `lines` lines of `program`, with an annotation line before
// every function head.
void append_lines(std::string& out, std::string_view program, std::size_t lines,
                  std::string_view function_head, std::string_view annotation) {
  std::size_t pos = 0;
  for (std::size_t n = 0; n < lines && pos < program.size();) {
    std::size_t end = program.find('\n', pos);
    end = end == std::string_view::npos ? program.size() : end + 1;
    const std::string_view line = program.substr(pos, end - pos);
    if (line.starts_with(function_head) && n + 1 < lines) {
      out += annotation;
      ++n;
    }
    out += line;
    ++n;
    pos = end;
  }
}

// 20,000 lines: half Turkish, half English keywords, with the embedded and
// module constructs, strings, comments and annotations.
const std::string& document() {
  static const std::string text = [] {
    constexpr std::size_t half = 10000;
    std::string out;
    const std::string turkish = qosa::bench::generate_program(1 << 20, KeywordLanguage::Turkish, 1,
                                                              Constructs::WithEmbedded);
    const std::string english = qosa::bench::generate_program(1 << 20, KeywordLanguage::English, 2,
                                                              Constructs::WithEmbedded);
    append_lines(out, turkish, half, "fonksiyon ", "@gizli @yurtiçi\n");
    append_lines(out, english, half, "fn ", "@public @realtime @wcet\n");
    return out;
  }();
  return text;
}

// One request on the big document, as the method table answers it.
void answer_request(benchmark::State& state, std::string_view method) {
  qosa::lsp::Server server;
  open_document(server.documents, *qosa::lsp::Uri::parse("file:///big.qosa"), document(), 1);
  const boost::json::value params = boost::json::parse(R"({"textDocument":{"uri":"file:///big.qosa"}})");
  for (auto _ : state) {
    auto answer = qosa::lsp::handle_request(params, method, server);
    benchmark::DoNotOptimize(answer);
  }
  const std::size_t written = qosa::lsp::handle_request(params, method, server)->text().size();
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * document().size()));
  state.counters["doc_bytes"] = static_cast<double>(document().size());
  state.counters["json_bytes"] = static_cast<double>(written);
}

void BM_SemanticTokens(benchmark::State& state) { answer_request(state, "textDocument/semanticTokens/full"); }
BENCHMARK(BM_SemanticTokens)->Unit(benchmark::kMillisecond);

void BM_DocumentSymbols(benchmark::State& state) { answer_request(state, "textDocument/documentSymbol"); }
BENCHMARK(BM_DocumentSymbols)->Unit(benchmark::kMillisecond);

}  // namespace
