// The base protocol on the server's input and output: Content-Length framed
// JSON-RPC messages.
#pragma once

#include <expected>
#include <optional>
#include <string_view>

#include "lsp/rpc.h"
#include "lsp/streams.h"

namespace qosa::lsp {

// The next message; none when the input ends where a header line is due.
std::expected<std::optional<Message>, IoError> read_message(InputBuffer& in);

// Frames `body`, writes it and flushes.
std::expected<void, IoError> write_message(OutputBuffer& out, std::string_view body);

}  // namespace qosa::lsp
