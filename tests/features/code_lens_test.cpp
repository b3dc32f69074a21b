#include "features/code_lens.h"

#include <gtest/gtest.h>

#include <boost/json.hpp>

namespace qosa::lsp {
namespace {

namespace json = boost::json;

json::value one_lens(std::string_view text, std::string_view uri) {
  return json::array{json::object{{"uri", uri}, {"size", text.size()}}};
}

TEST(CodeLensWrapper, Errors) {
  DocumentStore store;
  open_document(store, *Uri::parse("file:///a.qosa"), "fonksiyon f() {}", 1);
  const DocumentSnapshot snapshot = snapshot_documents(store);
  auto lens = [&](std::string_view params) -> std::string {
    Answer a = handle_code_lens(json::parse(params), snapshot, one_lens);
    if (!a) return "error " + std::to_string(a.error().code) + " " + a.error().message;
    return a->text();
  };
  EXPECT_EQ(lens("null"), "error -32603 Code lens error: Missing textDocument.uri");
  EXPECT_EQ(lens(R"({"textDocument":{"uri":5}})"), "error -32603 Code lens error: Missing textDocument.uri");
  EXPECT_EQ(lens(R"({"textDocument":{"uri":"file:///b.qosa"}})"),
            "error -32603 Code lens error: Document not found");
  // Raw uris are looked up as sent, not as the URL module prints them.
  EXPECT_EQ(lens(R"({"textDocument":{"uri":"FILE:///a.qosa"}})"),
            "error -32603 Code lens error: Document not found");
  EXPECT_EQ(lens(R"({"textDocument":{"uri":"file:///a.qosa"}})"), R"([{"size":16,"uri":"file:///a.qosa"}])");
}

}  // namespace
}  // namespace qosa::lsp
