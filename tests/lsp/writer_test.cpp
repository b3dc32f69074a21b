// Each record writer against the general writer of support/json.h, which
// sorts the members of the same record built as a JSON value: the texts
// must be the same, escapes and numbers of every length included.
#include "lsp/writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <boost/json.hpp>

namespace qosa::lsp {
namespace {

namespace json = boost::json;

// Texts that need escapes, and some that do not.
const std::vector<std::string> texts = {"", "x", "a\"b\\c", "ç😀\t\n\r\x01\x1f", "ok/</script>"};
const std::vector<std::uint32_t> numbers = {0, 7, 10, 99, 100, 9999, 10000, 123456789, 4294967295u};

template <class Record>
std::string written(const Record& record) {
  std::string out;
  write_json(out, record);
  return out;
}

std::string general(const json::value& value) { return support::to_json_text(value); }

json::value value_of(const Position& p) { return json::object{{"line", p.line}, {"character", p.character}}; }
json::value value_of(const Range& r) { return json::object{{"start", value_of(r.start)}, {"end", value_of(r.end)}}; }

std::vector<Range> ranges() {
  std::vector<Range> out;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    const std::uint32_t a = numbers[i];
    const std::uint32_t b = numbers[(i + 3) % numbers.size()];
    out.push_back(Range{{a, b}, {b, a}});
  }
  return out;
}

TEST(Writer, PositionAndRange) {
  for (const Range& r : ranges()) {
    EXPECT_EQ(written(r.start), general(value_of(r.start)));
    EXPECT_EQ(written(r), general(value_of(r)));
  }
}

TEST(Writer, LocationAndTextEdit) {
  for (const std::string& t : texts) {
    for (const Range& r : ranges()) {
      EXPECT_EQ(written(Location{t, r}), general(json::object{{"uri", t}, {"range", value_of(r)}}));
      EXPECT_EQ(written(TextEdit{r, t}), general(json::object{{"range", value_of(r)}, {"newText", t}}));
    }
  }
}

TEST(Writer, HoverAndPrepareRename) {
  for (const std::string& t : texts) {
    EXPECT_EQ(written(Hover{t}), general(json::object{{"contents", {{"kind", "markdown"}, {"value", t}}}}));
    const Range r = ranges()[2];
    EXPECT_EQ(written(PrepareRenameResult{r, t}), general(json::object{{"range", value_of(r)}, {"placeholder", t}}));
  }
}

TEST(Writer, CompletionItem) {
  for (const std::string& t : texts) {
    for (int optional_members = 0; optional_members < 8; ++optional_members) {
      CompletionItem item{t + "l", CompletionItemKind::Function, t + "d", std::nullopt, std::nullopt, std::nullopt};
      json::object value{{"label", item.label}, {"kind", 3}, {"detail", item.detail}};
      if (optional_members & 1) {
        item.documentation = t;
        value["documentation"] = json::object{{"kind", "markdown"}, {"value", t}};
      }
      if (optional_members & 2) {
        item.insert_text = t + "i";
        value["insertText"] = *item.insert_text;
      }
      if (optional_members & 4) {
        item.insert_text_format = InsertTextFormat::Snippet;
        value["insertTextFormat"] = 2;
      }
      EXPECT_EQ(written(item), general(value));
    }
  }
}

TEST(Writer, SignatureHelp) {
  for (const std::string& t : texts) {
    for (std::size_t parameters = 0; parameters < 3; ++parameters) {
      SignatureInformation signature{t + "(", t + "doc", {}};
      json::array parameter_values;
      for (std::size_t i = 0; i < parameters; ++i) {
        signature.parameters.push_back({t + std::to_string(i)});
        parameter_values.push_back(json::object{{"label", t + std::to_string(i)}});
      }
      const json::object signature_value{
          {"label", signature.label}, {"documentation", signature.documentation}, {"parameters", parameter_values}};
      EXPECT_EQ(written(signature), general(signature_value));
      const SignatureHelp help{{signature}, 0, 18446744073709551615u};
      EXPECT_EQ(written(help), general(json::object{{"signatures", json::array{signature_value}},
                                                    {"activeSignature", 0},
                                                    {"activeParameter", 18446744073709551615u}}));
    }
  }
}

TEST(Writer, InlayHint) {
  for (const std::string& t : texts) {
    for (const std::optional<bool> left : {std::optional<bool>(), std::optional<bool>(true), std::optional<bool>(false)}) {
      for (const std::optional<bool> right : {std::optional<bool>(), std::optional<bool>(true)}) {
        const InlayHint hint{{4, 10000}, t, InlayHintKind::parameter, left, right};
        json::object value{{"position", value_of(hint.position)}, {"label", t}, {"kind", 2}};
        if (left) value["paddingLeft"] = *left;
        if (right) value["paddingRight"] = *right;
        EXPECT_EQ(written(hint), general(value));
      }
    }
  }
}

TEST(Writer, CodeAction) {
  const RawJson received{json::parse(R"({"z":1,"end":{"line":2},"a":[{"y":null,"b":"ç"}]})")};
  const RawJson null_range{nullptr};
  for (const std::string& t : texts) {
    const CodeAction edit{t + "title", "quickfix", CodeActionEdit{t, &received, t + "new"}, std::nullopt};
    EXPECT_EQ(written(edit),
              general(json::object{{"title", t + "title"},
                                   {"kind", "quickfix"},
                                   {"edit", {{"changes", {{t, json::array{json::object{{"newText", t + "new"},
                                                                                        {"range", received.value}}}}}}}}}));
    const CodeAction point{"p", "k", CodeActionEdit{t, ClientPoint{18446744073709551615u, 4294967296u}, ""}, std::nullopt};
    const json::object at{{"line", 18446744073709551615u}, {"character", 4294967296u}};
    EXPECT_EQ(written(point),
              general(json::object{{"title", "p"},
                                   {"kind", "k"},
                                   {"edit", {{"changes", {{t, json::array{json::object{
                                                                 {"newText", ""},
                                                                 {"range", {{"start", at}, {"end", at}}}}}}}}}}}));
    const std::string command_title = t + "ct";
    const CodeAction command{"c", "refactor", std::nullopt, CodeActionCommand{command_title, "qosa.x", t, &null_range}};
    EXPECT_EQ(written(command),
              general(json::object{{"title", "c"},
                                   {"kind", "refactor"},
                                   {"command", {{"title", t + "ct"},
                                                {"command", "qosa.x"},
                                                {"arguments", json::array{json::value(t), nullptr}}}}}));
  }
}

TEST(Writer, Diagnostics) {
  for (const std::string& t : texts) {
    const Diagnostic d{ranges()[1], 1, "QOSA", t};
    const json::object value{{"range", value_of(d.range)}, {"severity", 1}, {"source", "QOSA"}, {"message", t}};
    EXPECT_EQ(written(d), general(value));
    EXPECT_EQ(written(PublishDiagnosticsParams{t, {d, d}}),
              general(json::object{{"uri", t}, {"diagnostics", json::array{value, value}}}));
    EXPECT_EQ(written(PublishDiagnosticsParams{t, {}}), general(json::object{{"uri", t}, {"diagnostics", json::array{}}}));
  }
}

TEST(Writer, DocumentSymbol) {
  for (const std::string& t : texts) {
    for (const bool detail : {false, true}) {
      const std::string detail_text = t + "d";
      const SymbolRecord s{t, detail ? std::optional<std::string_view>(detail_text) : std::nullopt, ranges()[3],
                           ranges()[5], SymbolKind::struct_};
      EXPECT_EQ(written(s), general(json::object{{"name", t},
                                                 {"detail", detail ? json::value(detail_text) : json::value(nullptr)},
                                                 {"kind", 23},
                                                 {"range", value_of(s.range)},
                                                 {"selectionRange", value_of(s.selection_range)}}));
    }
  }
}

TEST(Writer, SemanticTokens) {
  const std::vector<SemanticToken> tokens = {{0, 3, 2, 15, 0}, {0, 9, 10000, 22, 1024}, {2, 0, 1, 8, 1},
                                              {4294967295u, 4294967295u, 1, 0, 0}};
  json::array data;
  std::uint32_t line = 0;
  std::uint32_t start = 0;
  for (const SemanticToken& t : tokens) {
    for (std::uint32_t n : {t.line - line, t.line == line ? t.start - start : t.start, t.length, t.token_type,
                            t.token_modifiers}) {
      data.push_back(n);
    }
    line = t.line;
    start = t.start;
  }
  EXPECT_EQ(encode_semantic_tokens(tokens), general(json::object{{"data", data}}));
  // A line at a time gives the same text.
  std::string by_line;
  SemanticTokenEncoder encoder(by_line);
  for (const SemanticToken& t : tokens) encoder.append(std::span(&t, 1));
  encoder.finish();
  EXPECT_EQ(by_line, encode_semantic_tokens(tokens));
  EXPECT_EQ(encode_semantic_tokens({}), empty_semantic_tokens());
}

TEST(Writer, CodeLenses) {
  std::string out;
  CodeLensWriter sink(out);
  json::array expected;
  for (const std::string& t : texts) {
    for (const bool with_uri : {true, false}) {
      const std::string uri = "file:///" + t;
      const std::string title = t + "title";
      const CodeLens lens{ranges()[4], LensCommand{title, "qosa.runTest",
                                                   with_uri ? std::optional<std::string_view>(uri) : std::nullopt, t}};
      sink.add(lens);
      json::array arguments;
      if (with_uri) arguments.push_back(json::value(uri));
      arguments.push_back(json::value(t));
      expected.push_back(json::object{
          {"range", value_of(lens.range)},
          {"command", {{"title", t + "title"}, {"command", "qosa.runTest"}, {"arguments", arguments}}}});
    }
  }
  sink.finish();
  EXPECT_EQ(out, general(expected));
}

// Places of a word across documents, as references and rename hand them over.
struct Places {
  struct Ranges {
    std::vector<Range> list;
    std::size_t size() const { return list.size(); }
    template <class Visit>
    void for_each(Visit&& visit) const {
      for (const Range& r : list) visit(r);
    }
  };
  std::vector<std::pair<std::string, Ranges>> documents;
  template <class Fn>
  void for_each_document(Fn&& fn) const {
    for (const auto& [uri, ranges] : documents) fn(std::string_view(uri), ranges);
  }
};

TEST(Writer, LocationsAndWorkspaceEdit) {
  const Places places{{{"file:///a\"b", {{ranges()}}}, {"file:///c", {}}, {"file:///ç", {{{ranges()[0]}}}}}};
  for (const bool last : {false, true}) {
    json::array expected;
    for (const auto& [uri, ranges] : places.documents) {
      for (const Range& r : ranges.list) expected.push_back(json::object{{"uri", uri}, {"range", value_of(r)}});
    }
    std::optional<Location> declaration;
    if (last) {
      declaration = Location{"file:///d", ranges()[6]};
      expected.push_back(json::object{{"uri", "file:///d"}, {"range", value_of(ranges()[6])}});
    }
    EXPECT_EQ(written(LocationList<Places>{places, declaration}), general(expected));
  }
  for (const std::string& t : texts) {
    json::object changes;
    for (const auto& [uri, ranges] : places.documents) {
      json::array edits;
      for (const Range& r : ranges.list) edits.push_back(json::object{{"range", value_of(r)}, {"newText", t}});
      changes[uri] = edits;
    }
    EXPECT_EQ(written(WorkspaceEdit<Places>{t, places}), general(json::object{{"changes", changes}}));
  }
  EXPECT_EQ(written(LocationList<Places>{Places{}, std::nullopt}), "[]");
}

}  // namespace
}  // namespace qosa::lsp
