// The fast reader of didOpen and didChange gives what the general reader
// gives, whatever the body: the same record, or the same error.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/text_sync_reading.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qosa::lsp;
  const std::string body(reinterpret_cast<const char*>(data), size);
  QOSA_FUZZ_CHECK(testing::read_one(body, true) == testing::read_one(body, false));
  return 0;
}
