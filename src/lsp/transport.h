// The base protocol on the server's input and output: Content-Length framed
// JSON-RPC messages.
#pragma once

#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "lsp/rpc.h"
#include "lsp/streams.h"

namespace qosa::lsp {

// The next message; none when the input ends where a header line is due.
std::expected<std::optional<Message>, IoError> read_message(InputBuffer& in);

// The same, with didOpen and didChange read by the fast road of
// lsp/text_sync.h: their params come converted in `text_sync`, the text
// unescaped into the memory of `spare_text` (which the caller refills with
// a text it no longer needs).
std::expected<std::optional<Message>, IoError> read_message(InputBuffer& in, std::string& spare_text);

// Frames `body`, writes it and flushes.
std::expected<void, IoError> write_message(OutputBuffer& out, std::string_view body);

}  // namespace qosa::lsp
