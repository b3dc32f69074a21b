// Inlay hints: guessed types of declared variables, parameter names in calls
// of built-in functions, and "-> void" on function headers without a return
// type, from plain scans of the lines asked for.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include <boost/json/value.hpp>

#include "lsp/document.h"
#include "lsp/protocol.h"

namespace qosa::lsp {

// The parameter names of a built-in function, compared byte for byte; none
// for any other name.
std::optional<std::span<const std::string_view>> builtin_parameter_names(std::string_view callee);

// "string", "boolean", "float", "int", "array" or "object" as the value's text
// reads; none when it reads as none of them.
std::optional<std::string_view> infer_value_type(std::string_view value);

// The hints of lines first to last (both included), by line, and within a
// line types, then parameter names, then return types. Positions count UTF-16
// code units, as on the wire. Lines before `first` are only skipped.
std::vector<InlayHint> compute_inlay_hints(std::string_view text, std::uint32_t first,
                                           std::uint32_t last);

// The request: the document under params."textDocument"."uri" as sent, the
// lines of params."range" (the whole document when it is missing); -32603
// "Inlay hints error: ..." when the uri is missing or not open.
Answer handle_inlay_hint(const boost::json::value& params, const DocumentSnapshot& snapshot);

}  // namespace qosa::lsp
