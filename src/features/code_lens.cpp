#include "features/code_lens.h"

namespace qosa::lsp {

Answer handle_code_lens(const boost::json::value& params, const DocumentSnapshot& snapshot,
                        CodeLensFunction lenses) {
  const auto uri = raw_uri(params);
  if (!uri) {
    return std::unexpected(
        response_error(ErrorCode::internal_error, "Code lens error: Missing textDocument.uri"));
  }
  const auto text = snapshot.text(*uri);
  if (!text) {
    return std::unexpected(
        response_error(ErrorCode::internal_error, "Code lens error: Document not found"));
  }
  return lenses(*text, *uri);
}

}  // namespace qosa::lsp
