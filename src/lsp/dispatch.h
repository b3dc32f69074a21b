// Requests: the method table, the params each handler takes, and the
// JSON-RPC errors of the request path.
#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string_view>

#include <boost/json/value.hpp>

#include "lsp/document.h"
#include "lsp/server.h"
#include "lsp/transport.h"

namespace qosa::lsp {

// A request's "result", or its "error".
using Answer = std::expected<boost::json::value, ResponseError>;

// Chooses the handler by the exact method name and answers. Never changes
// the server.
Answer handle_request(std::optional<boost::json::value> params, std::string_view method,
                      const Server& server);

// -32603 "Serialization error: {message}".
ResponseError serialization_error(std::string_view message);

// Raw params: a member of an object, or null for a missing member or a value
// that is not an object, so a missing level reads like a missing leaf.
const boost::json::value& lookup(const boost::json::value& v, std::string_view key);

// A raw number that holds a non-negative integer; a number written with a
// point or an exponent does not count.
std::optional<std::uint64_t> raw_unsigned(const boost::json::value& v);

// The code lenses of the document named by params."textDocument"."uri",
// looked up byte for byte as sent. `lenses` gives the lens array of a text.
using CodeLensFunction = boost::json::value (*)(std::string_view text, std::string_view uri);
Answer handle_code_lens(const boost::json::value& params, const DocumentSnapshot& snapshot,
                        CodeLensFunction lenses);

}  // namespace qosa::lsp
