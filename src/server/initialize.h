// The answer to "initialize": fixed capabilities, the semantic-token legend
// and the server's name and version. The client's params are not read.
#pragma once

#include <string_view>

#include <boost/json/value.hpp>

#include "lsp/protocol.h"
#include "features/tables.h"

namespace qosa::lsp {

struct InitializeResult {
  std::string_view server_name = "QOSA Language Server";
  // Not the start-up log line's "v0.9.0": the two versions differ on purpose.
  std::string_view server_version = "0.9.4";
};

InitializeResult handle_initialize(InitializeParams params);

// {"capabilities":{...},"serverInfo":{...}}
boost::json::value to_json(const InitializeResult& result);

}  // namespace qosa::lsp
