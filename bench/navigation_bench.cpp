// References and rename across many open documents: 50 documents of 2,000
// lines each, both keyword languages, a name they all use. The figures are
// MB/s of open text; the word index of each text is built by the first
// request after the text changes and serves every later one.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <string>

#include <boost/json.hpp>

#include "features/definition.h"
#include "features/word_index.h"
#include "lsp/document.h"
#include "server/dispatch.h"
#include "program_generator.h"

namespace {

using namespace qosa;

struct Workspace {
  lsp::Server server;
  std::size_t bytes = 0;
  std::string uri;           // of the document the requests are made in
  lsp::Position position;    // on a whole-word use of `name` there
};

std::string first_lines(const std::string& text, std::size_t lines) {
  std::size_t pos = 0;
  for (std::size_t i = 0; i < lines && pos != std::string::npos; ++i) {
    pos = text.find('\n', pos);
    if (pos != std::string::npos) ++pos;
  }
  return pos == std::string::npos ? text : text.substr(0, pos);
}

Workspace& workspace(std::string_view name) {
  static Workspace w = [&] {
    Workspace w;
    for (int d = 0; d < 50; ++d) {
      const auto language = d % 2 ? bench::KeywordLanguage::English : bench::KeywordLanguage::Turkish;
      std::string text = first_lines(bench::generate_program(200'000, language, 100 + d), 2000);
      w.bytes += text.size();
      const std::string uri = "file:///bench/src/modul_" + std::to_string(d) + ".qosa";
      lsp::open_document(w.server.documents, *lsp::Uri::parse(uri), std::move(text), 1);
    }
    // The first whole-word use of the name in the first document.
    w.uri = "file:///bench/src/modul_0.qosa";
    const std::string_view text = *lsp::snapshot_documents(w.server.documents).text(w.uri);
    bool first = true;
    lsp::build_word_index(text).find(text, name).for_each([&](const lsp::WordIndex::Hit& hit) {
      if (first) w.position = lsp::Position{hit.line, hit.start};
      first = false;
    });
    return w;
  }();
  return w;
}

std::string position_params(const Workspace& w) {
  return R"({"textDocument":{"uri":")" + w.uri + R"("},"position":{"line":)" + std::to_string(w.position.line) +
         R"(,"character":)" + std::to_string(w.position.character) + "}";
}

void report(benchmark::State& state, const Workspace& w, std::size_t answer_bytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * w.bytes));
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  state.counters["answer_KB"] = static_cast<double>(answer_bytes) / 1024.0;
  state.counters["text_MB"] = static_cast<double>(w.bytes) / 1e6;
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// One request over and over, as the method table answers it; `fresh` drops
// every index first, as a change of every document would.
void run(benchmark::State& state, std::string_view method, std::string_view more_params, bool fresh) {
  Workspace& w = workspace("toplam");
  const auto params = boost::json::parse(position_params(w) + std::string(more_params));
  std::size_t answer_bytes = 0;
  for (auto _ : state) {
    if (fresh) {
      for (const auto& [uri, document] : w.server.documents.documents) w.server.states.changed(uri);
    }
    const lsp::Answer a = lsp::handle_request(params, method, w.server);
    answer_bytes = a->text().size();
    benchmark::DoNotOptimize(answer_bytes);
  }
  report(state, w, answer_bytes);
}

constexpr std::string_view references = R"(,"context":{"includeDeclaration":true}})";

void BM_References(benchmark::State& state) { run(state, "textDocument/references", references, false); }
BENCHMARK(BM_References)->Unit(benchmark::kMicrosecond);

void BM_Rename(benchmark::State& state) {
  run(state, "textDocument/rename", R"(,"newName":"yeni_toplam"})", false);
}
BENCHMARK(BM_Rename)->Unit(benchmark::kMicrosecond);

// The first request after every document changed: each index is built
// again from its text, then searched.
void BM_ReferencesAfterEveryDocumentChanged(benchmark::State& state) {
  run(state, "textDocument/references", references, true);
}
BENCHMARK(BM_ReferencesAfterEveryDocumentChanged)->Unit(benchmark::kMicrosecond);

// The 50 word indexes alone, as the first request after a change of every
// document builds them.
void BM_WordIndexBuild(benchmark::State& state) {
  const Workspace& w = workspace("toplam");
  std::size_t runs = 0;
  for (auto _ : state) {
    runs = 0;
    for (const auto& [uri, document] : w.server.documents.documents) runs += lsp::build_word_index(document.text).size();
    benchmark::DoNotOptimize(runs);
  }
  report(state, w, 0);
  state.counters["runs"] = static_cast<double>(runs);
}
BENCHMARK(BM_WordIndexBuild)->Unit(benchmark::kMicrosecond);

// Go to definition in one document: the front end's pass dominates.
void BM_Definition(benchmark::State& state) {
  const Workspace& w = workspace("toplam");
  const std::string_view text = *lsp::snapshot_documents(w.server.documents).text(w.uri);
  for (auto _ : state) {
    auto location = lsp::goto_definition(w.uri, w.position.line, w.position.character, text);
    benchmark::DoNotOptimize(location);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Definition)->Unit(benchmark::kMicrosecond);

}  // namespace
