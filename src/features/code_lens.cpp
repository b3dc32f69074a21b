#include "features/code_lens.h"

namespace qosa::lsp {

Answer handle_code_lens(const boost::json::value& params, const DocumentSnapshot& snapshot,
                        CodeLensFunction lenses) {
  const boost::json::value& uri = lookup(lookup(params, "textDocument"), "uri");
  if (!uri.is_string()) {
    return std::unexpected(
        response_error(ErrorCode::internal_error, "Code lens error: Missing textDocument.uri"));
  }
  const std::string_view uri_text(uri.get_string().data(), uri.get_string().size());
  const auto text = snapshot.text(uri_text);
  if (!text) {
    return std::unexpected(
        response_error(ErrorCode::internal_error, "Code lens error: Document not found"));
  }
  return lenses(*text, uri_text);
}

}  // namespace qosa::lsp
