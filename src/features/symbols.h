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

#include <boost/json/value.hpp>

#include "lsp/document.h"
#include "lsp/protocol.h"

namespace qosa::lsp {

// The protocol's SymbolKind numbers in use.
enum class SymbolKind : std::uint8_t { function = 12, variable = 13, constant = 14, struct_ = 23 };

// One declaration; positions in UTF-16 units of its line.
struct SymbolRecord {
  std::string name;
  std::optional<std::string> detail;
  Range range;            // the whole line
  Range selection_range;  // the name
  SymbolKind kind = SymbolKind::function;
};

// Appends the symbol's JSON object, members sorted by name; "detail" is
// null when absent.
void document_symbol_json(std::string& out, const SymbolRecord& record);

// The text after its first n characters; empty when it has n or fewer.
std::string_view slice_from_char(std::string_view text, std::size_t n);

// The symbols of a valid UTF-8 text, in line order: on each line the
// function, then the variable or constant, then the structure.
std::vector<SymbolRecord> document_symbols(std::string_view text);

// The JSON array of the text's symbols.
JsonResult handle_document_symbols(std::string_view text);

// The answer to "textDocument/documentSymbol": the symbols of the document
// named by params."textDocument"."uri" exactly as sent; null when there is
// no such string or no such document.
JsonResult document_symbols_request(const boost::json::value& params, const DocumentSnapshot& snapshot);

}  // namespace qosa::lsp
