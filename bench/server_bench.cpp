// The cost of one keystroke on a large document: a full-text didChange of
// about 1 MB. (a) is Boost.JSON alone parsing the body; (b) is the server's
// whole handling of the same message: framing, UTF-8 check, JSON,
// conversion, store update, diagnostics and writing them out.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include <boost/json.hpp>

#include "common/framing.h"
#include "server/server.h"
#include "program_generator.h"
#include "support/json.h"

namespace {

using namespace qosa;

const std::string uri = "file:///bench/big.qosa";

std::string did_change_body() {
  static const std::string body = [] {
    const std::string text = bench::generate_program(1 << 20, bench::KeywordLanguage::Turkish);
    std::string b = R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":")" +
                    uri + R"(","version":2},"contentChanges":[{"text":)";
    support::append_json_string(b, text);
    b += "}]}}";
    return b;
  }();
  return body;
}

// Serves one buffer without copying it first.
class MemoryReader final : public lsp::ByteReader {
 public:
  explicit MemoryReader(std::string_view data) : data_(data) {}
  std::expected<std::size_t, lsp::IoError> read(char* buffer, std::size_t size) override {
    const std::size_t n = std::min(size, data_.size());
    std::memcpy(buffer, data_.data(), n);
    data_.remove_prefix(n);
    return n;
  }

 private:
  std::string_view data_;
};

class NullWriter final : public lsp::ByteWriter {
 public:
  std::expected<void, lsp::IoError> write(std::string_view bytes) override {
    benchmark::DoNotOptimize(bytes.data());
    return {};
  }
};

void BM_BoostJsonParse(benchmark::State& state) {
  const std::string body = did_change_body();
  for (auto _ : state) {
    boost::json::value v = boost::json::parse(body);
    benchmark::DoNotOptimize(v);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_BoostJsonParse)->Unit(benchmark::kMicrosecond);

void BM_ServerHandlesDidChange(benchmark::State& state) {
  const std::string body = did_change_body();
  const std::string message = testing::frame(body);
  lsp::Server server;
  lsp::open_document(server.documents, *lsp::Uri::parse(uri), "", 1);
  NullWriter out, log;
  for (auto _ : state) {
    MemoryReader in(message);
    auto end = lsp::run(server, in, out, log);
    benchmark::DoNotOptimize(end);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_ServerHandlesDidChange)->Unit(benchmark::kMicrosecond);

}  // namespace
