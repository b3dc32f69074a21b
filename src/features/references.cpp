#include "features/references.h"

#include <string>
#include <vector>

#include "features/definition.h"
#include "features/word_index.h"
#include "features/words.h"
#include "support/json.h"

namespace qosa::lsp {

namespace json = boost::json;

namespace {

// Appends {"range":...,"uri":...}; `uri_json` is the uri already quoted.
void append_location(std::string& out, std::string_view uri_json, const Range& range) {
  out += R"({"range":)";
  append_json(out, range);
  out += R"(,"uri":)";
  out += uri_json;
  out += '}';
}

}  // namespace

Answer handle_references(const json::value& params, const DocumentSnapshot& snapshot) {
  ReferenceParams p;
  if (!from_json(params, p)) {
    return std::unexpected(response_error(ErrorCode::invalid_request, "Invalid references params"));
  }
  const std::string& uri = p.text_document.uri.str();
  const auto text = snapshot.text(uri);
  if (!text) return JsonResult(nullptr);
  const auto word = word_under_cursor(*text, p.position);
  if (!word) return JsonResult(nullptr);

  // Each document is looked up once: the sizes bound the answer, which is
  // then written without regrowing.
  const std::vector<DocumentOccurrences> documents = find_word_in_documents(snapshot, word->word);
  std::size_t expected = 2;
  for (const auto& [document_uri, found] : documents) expected += found.size() * (document_uri->str().size() + 128);
  std::string out = "[";
  out.reserve(expected + 256 + uri.size());
  bool first = true;
  std::string tail;
  for (const auto& [document_uri, found] : documents) {
    tail = R"(,"uri":)";
    support::append_json_string(tail, document_uri->str());
    tail += '}';
    append_occurrences(out, found, /*skip_declared=*/true, R"({"range":)", tail, first);
  }
  if (p.context.include_declaration) {
    if (const auto declaration = find_declaration(word->word, *text)) {
      std::string uri_json;
      support::append_json_string(uri_json, uri);
      if (!first) out += ',';
      append_location(out, uri_json, *declaration);
    }
  }
  out += ']';
  return JsonResult::written(std::move(out));
}

}  // namespace qosa::lsp
