// The parser on arbitrary text. The front end is entered only with document
// texts, which the transport has checked to be UTF-8, so other bytes are
// passed over.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "parser/source.h"
#include "support/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!qosa::support::is_valid_utf8(text)) return 0;
  (void)qosa::parser::parse_source(text);
  return 0;
}
