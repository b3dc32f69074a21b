// The whole server on arbitrary bytes: the run loop with its transport,
// dispatch, store and features, on input served in pieces of a size the
// input chooses. Whatever comes, the loop ends; everything written to stdout
// is whole frames of JSON, and every stored text is valid UTF-8.
//
// The first byte chooses the piece size and, with its top bit, whether the
// rest is the raw stream or lines that are each framed as one message body,
// so that mutated messages still reach dispatch and the features.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <boost/json.hpp>

#include "common/test_streams.h"
#include "fuzz_check.h"
#include "server/server.h"
#include "support/utf8.h"

namespace {

void check_frames(std::string_view out) {
  constexpr std::string_view header = "Content-Length: ";
  while (!out.empty()) {
    QOSA_FUZZ_CHECK(out.starts_with(header));
    out.remove_prefix(header.size());
    const std::size_t end = out.find("\r\n\r\n");
    QOSA_FUZZ_CHECK(end != std::string_view::npos);
    const std::size_t length = std::stoull(std::string(out.substr(0, end)));
    out.remove_prefix(end + 4);
    QOSA_FUZZ_CHECK(length <= out.size());
    const std::string_view body = out.substr(0, length);
    QOSA_FUZZ_CHECK(qosa::support::is_valid_utf8(body));
    boost::system::error_code error;
    (void)boost::json::parse(body, error);
    QOSA_FUZZ_CHECK(!error);
    out.remove_prefix(length);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qosa::lsp;
  if (size == 0) return 0;
  const std::size_t chunk = 1 + (data[0] & 0x3F) * 4;
  std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string stream;
  if (data[0] & 0x80) {
    while (!rest.empty()) {
      const std::size_t nl = std::min(rest.find('\n'), rest.size());
      stream += testing::frame(rest.substr(0, nl));
      rest.remove_prefix(std::min(nl + 1, rest.size()));
    }
  } else {
    stream = rest;
  }
  testing::StringReader input(std::move(stream), chunk);
  testing::StringWriter output, log;
  Server server;
  (void)run(server, input, output, log);
  check_frames(output.text());
  for (const auto& [uri, document] : server.documents.documents) {
    QOSA_FUZZ_CHECK(qosa::support::is_valid_utf8(document.text));
  }
  return 0;
}
