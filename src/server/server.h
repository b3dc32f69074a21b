// The server and its run loop: one message at a time, read, answered or
// handled, and flushed before the next.
#pragma once

#include <expected>

#include "features/document_state.h"
#include "lsp/document.h"
#include "lsp/streams.h"

namespace qosa::lsp {

struct Server {
  DocumentStore documents;
  // What the features keep beside each open document, in step with the store.
  DocumentStates states;
};

// How the loop ended when it did not fail.
enum class RunEnd {
  end_of_input,       // input ended where a header was due
  exit_notification,  // "exit": the process ends at once, with code 0
};

// Serves `input` until it ends, "exit" comes, or a message cannot be read or
// a response cannot be written (the error). Log lines go to `log`.
std::expected<RunEnd, IoError> run(Server& server, ByteReader& input, ByteWriter& output,
                                   ByteWriter& log);

}  // namespace qosa::lsp
