// Requests: the method table that chooses a feature by the exact method
// name, converts its params and turns its result into the answer.
#pragma once

#include <optional>
#include <string_view>

#include <boost/json/value.hpp>

#include "lsp/protocol.h"
#include "server/server.h"

namespace qosa::lsp {

// Chooses the handler by the exact method name and answers. Never changes
// the server.
Answer handle_request(std::optional<boost::json::value> params, std::string_view method,
                      const Server& server);

}  // namespace qosa::lsp
