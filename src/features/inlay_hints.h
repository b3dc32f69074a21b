// Inlay hints: guessed types of declared variables, parameter names in calls
// of built-in functions, and "-> void" on function headers without a return
// type, from plain scans of the lines asked for.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

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

// The request, on the text of its document: the lines of its range.
std::vector<InlayHint> handle_inlay_hint(const InlayHintParams& params, std::string_view text);

}  // namespace qosa::lsp
