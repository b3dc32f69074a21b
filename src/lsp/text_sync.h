// The fast road for the two notifications that carry whole texts: didOpen and
// didChange are read straight from the body with simdjson's on-demand reader,
// each text unescaped once into memory the caller recycles, without building
// a JSON value first.
#pragma once

#include <optional>
#include <string>

#include "lsp/rpc.h"

namespace qosa::lsp {

// The notification, when `body` (valid UTF-8) is a didOpen or didChange in the
// form editors send: an object of "jsonrpc", "method" and then "params", each
// member once, no member the records do not know, integers written plainly.
// The first change's text (or the opened text) is written into `spare_text`,
// whose memory is reused, and moved from there into the record. The body's
// capacity may grow by the few bytes the SIMD reader reads past its end.
// None for every other body, and for every body in builds without simdjson;
// the general reader (Boost.JSON and from_json) then reads it, and would give
// the same record for the bodies read here.
std::optional<RpcNotification> read_text_sync(std::string& body, std::string& spare_text);

}  // namespace qosa::lsp
