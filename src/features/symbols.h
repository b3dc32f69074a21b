// Document symbols: the flat outline of a document (functions, variables,
// constants, structures), found with plain text tests in both keyword
// languages, one line at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lsp/protocol.h"
#include "support/function_ref.h"

namespace qosa::lsp {

// The text after its first n characters; empty when it has n or fewer.
std::string_view slice_from_char(std::string_view text, std::size_t n);

// Hands the symbols of a valid UTF-8 text to `fn`, in line order: on each
// line the function, then the variable or constant, then the structure. A
// symbol's texts live until the next call.
void for_each_symbol(std::string_view text, support::FunctionRef<void(const SymbolRecord&)> fn);

// The symbols of a document, for the writer to walk.
struct DocumentSymbols {
  using record = SymbolRecord;
  std::string_view text;

  template <class Sink>
  void stream(Sink& sink) const {
    for_each_symbol(text, [&](const SymbolRecord& symbol) { sink.add(symbol); });
  }
  // Symbols of real documents take about twice the text.
  std::size_t expected_size() const { return 3 * text.size() + 2; }
};

// The array of the text's symbols.
DocumentSymbols handle_document_symbols(std::string_view text);

// The request, on the text of its document.
DocumentSymbols document_symbols_request(const DocumentSymbolParams& params, std::string_view text);

}  // namespace qosa::lsp
