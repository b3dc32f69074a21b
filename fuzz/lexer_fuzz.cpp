// The lexer on arbitrary bytes (valid UTF-8 or not): every token moves on
// through the text and the end is reached.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "lexer/lexer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qosa::lexer;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Lexer lexer = lexer_new(text, SourceName{"<stdin>", 0});
  // No token is empty, so there are at most as many tokens as bytes.
  for (std::size_t n = 0;; ++n) {
    QOSA_FUZZ_CHECK(n <= size + 1);
    if (lexer.next_token().kind == TokenKind::Eof) break;
  }
  return 0;
}
