// Signature help and inlay hints at the end of a 20,000-line document, as an
// editor asks them after each keystroke: inlay hints for the visible lines
// (their cost should follow the lines asked for; the lines before are only
// skipped), signature help for a built-in call (one pass over the document
// for a defining line that is not there).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include <boost/json.hpp>

#include "server/dispatch.h"
#include "lsp/document.h"
#include "program_generator.h"

namespace {

namespace json = boost::json;
using qosa::bench::KeywordLanguage;

constexpr std::size_t kLines = 20'000;

// The first kLines - 1 lines of a generated program, then a built-in call
// left open at the cursor.
std::string document(KeywordLanguage language, std::string_view call) {
  std::string text = qosa::bench::generate_program(1 << 20, language);
  std::size_t end = 0;
  for (std::size_t i = 0; i < kLines - 1; ++i) end = text.find('\n', end) + 1;
  text.resize(end);
  text += call;
  return text;
}

struct Session {
  qosa::lsp::Server server;
  std::uint64_t call_column = 0;
};

// The document under file:///main.qosa, beside three other large open
// documents that neither request may copy.
Session open_session(KeywordLanguage language) {
  const bool turkish = language == KeywordLanguage::Turkish;
  const std::string_view call = turkish ? "    yazdır(sonuç, " : "    print(result, ";
  Session s;
  s.call_column = 18;  // UTF-16 units of either call line ("ı" is one)
  qosa::lsp::open_document(s.server.documents, *qosa::lsp::Uri::parse("file:///main.qosa"), document(language, call), 1);
  for (int i = 0; i < 3; ++i) {
    qosa::lsp::open_document(s.server.documents, *qosa::lsp::Uri::parse("file:///other" + std::to_string(i) + ".qosa"),
                             qosa::bench::generate_program(1 << 20, language, 7 + i), 1);
  }
  return s;
}

KeywordLanguage language_of(const benchmark::State& state) {
  return state.range(0) == 0 ? KeywordLanguage::Turkish : KeywordLanguage::English;
}

void inlay_hints(benchmark::State& state, std::size_t first) {
  Session session = open_session(language_of(state));
  const json::value params = json::parse(
      R"({"textDocument":{"uri":"file:///main.qosa"},"range":{"start":{"line":)" + std::to_string(first) +
      R"(,"character":0},"end":{"line":)" + std::to_string(first + 59) + R"(,"character":0}}})");
  std::size_t bytes = 0;
  for (auto _ : state) {
    const qosa::lsp::Answer answer = qosa::lsp::handle_request(params, "textDocument/inlayHint", session.server);
    const std::string text = answer->text();  // as the response carries it
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.counters["answer_bytes"] = static_cast<double>(bytes);
}

void BM_InlayHintsLast60Lines(benchmark::State& state) { inlay_hints(state, kLines - 60); }
BENCHMARK(BM_InlayHintsLast60Lines)->ArgName("english")->Arg(0)->Arg(1);

void BM_InlayHintsFirst60Lines(benchmark::State& state) { inlay_hints(state, 0); }
BENCHMARK(BM_InlayHintsFirst60Lines)->ArgName("english")->Arg(0)->Arg(1);

void BM_SignatureHelpBuiltinAtEnd(benchmark::State& state) {
  Session session = open_session(language_of(state));
  const json::value params = json::parse(
      R"({"textDocument":{"uri":"file:///main.qosa"},"position":{"line":)" + std::to_string(kLines - 1) +
      R"(,"character":)" + std::to_string(session.call_column) + "}}");
  const auto ask = [&] { return qosa::lsp::handle_request(params, "textDocument/signatureHelp", session.server); };
  const json::value first = json::parse(ask()->text());
  // The answer must come from the built-in table: no line may qualify.
  if (!first.is_object() ||
      first.at("signatures").at(0).at("documentation").as_string().starts_with("Function: ")) {
    state.SkipWithError("expected the built-in signature");
    return;
  }
  for (auto _ : state) {
    auto answer = ask();
    benchmark::DoNotOptimize(answer);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(
                              qosa::lsp::snapshot_documents(session.server.documents).text("file:///main.qosa")->size()));
}
BENCHMARK(BM_SignatureHelpBuiltinAtEnd)->ArgName("english")->Arg(0)->Arg(1);

}  // namespace
