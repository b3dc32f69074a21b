#include "features/code_lens.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include <boost/json.hpp>

#include "common/requests.h"
#include "features/code_lens_oracle.h"
#include "lsp/writer.h"
#include "support/json.h"

namespace qosa::lsp {
namespace {

namespace json = boost::json;

// The answer's text for the lenses of a text.
std::string code_lens_json(std::string_view text, std::string_view uri) {
  std::string out;
  write_json(out, compute_code_lenses(text, uri));
  return out;
}

TEST(CodeLensWrapper, Errors) {
  Server server;
  testing::open(server, "file:///a.qosa", "fonksiyon f() {}");
  auto lens = [&](std::string_view params) { return testing::ask(server, "textDocument/codeLens", params); };
  EXPECT_EQ(testing::ask(server, "textDocument/codeLens", std::nullopt),
            "error -32603 Code lens error: Missing textDocument.uri");
  EXPECT_EQ(lens("null"), "error -32603 Code lens error: Missing textDocument.uri");
  EXPECT_EQ(lens(R"({"textDocument":{"uri":5}})"), "error -32603 Code lens error: Missing textDocument.uri");
  EXPECT_EQ(lens(R"({"textDocument":{"uri":"file:///b.qosa"}})"),
            "error -32603 Code lens error: Document not found");
  // Raw uris are looked up as sent, not as the URL module prints them.
  EXPECT_EQ(lens(R"({"textDocument":{"uri":"FILE:///a.qosa"}})"),
            "error -32603 Code lens error: Document not found");
  EXPECT_EQ(lens(R"({"textDocument":{"uri":"file:///a.qosa"}})"), code_lens_json("fonksiyon f() {}", "file:///a.qosa"));
}

// The records the writer would be handed, each as "line:end title command
// name", and each as a JSON value.
struct CollectingSink {
  std::vector<std::string> texts;
  json::array values;

  void add(const CodeLens& lens) {
    const Range& range = lens.range;
    const LensCommand& command = lens.command;
    texts.push_back(std::to_string(range.start.line) + ":" + std::to_string(range.end.character) + " " +
                    std::string(command.title) + " " + std::string(command.command) + " " +
                    std::string(command.name_argument));
    EXPECT_EQ(range.start.character, 0u);
    EXPECT_EQ(range.end.line, range.start.line);
    const auto position = [](const Position& p) { return json::object{{"line", p.line}, {"character", p.character}}; };
    json::array arguments;
    if (command.uri_argument) arguments.push_back(json::string(*command.uri_argument));
    arguments.push_back(json::string(command.name_argument));
    values.push_back(json::object{
        {"range", json::object{{"start", position(range.start)}, {"end", position(range.end)}}},
        {"command", json::object{{"title", command.title},
                                 {"command", command.command},
                                 {"arguments", std::move(arguments)}}}});
  }
};

CollectingSink records_of(std::vector<Lens> lenses, std::string_view uri = "file:///a.qosa") {
  CollectingSink sink;
  CodeLenses{std::move(lenses), uri}.stream(sink);
  return sink;
}

std::vector<std::string> lenses_of(std::string_view text) { return records_of(find_lenses(text)).texts; }

using Lenses = std::vector<std::string>;

TEST(CodeLens, KindsOfOneLine) {
  const struct {
    std::string_view text;
    Lenses lenses;
  } cases[] = {
      // Its only mention is the skipped declaration line: no references lens.
      {"fonksiyon topla(a, b)", {"0:21 ▶ Run 'topla' qosa.runFunction topla"}},
      // "fn" is not a declaration word, so the line itself counts.
      {"fn main()",
       {"0:9 ▶ Run 'main' qosa.runFunction main", "0:9 ▶ Run Program qosa.runFunction main",
        "0:9 1 reference editor.action.showReferences main"}},
      {"fonksiyon ana()",
       {"0:15 ▶ Run 'ana' qosa.runFunction ana", "0:15 ▶ Run Program qosa.runFunction main"}},
      {"fonksiyon test_topla()",
       {"0:22 ▶ Run 'test_topla' qosa.runFunction test_topla",
        "0:22 ▶ Run Test 'test_topla' qosa.runTest test_topla"}},
      {"#[test]", {"0:7 ▶ Run Test 'test' qosa.runTest test"}},
      {"#[test] fn foo()",
       {"0:16 ▶ Run 'foo' qosa.runFunction foo", "0:16 ▶ Run Test 'test' qosa.runTest test",
        "0:16 1 reference editor.action.showReferences foo"}},
      {"#[bench] fn foo()",
       {"0:17 ▶ Run 'foo' qosa.runFunction foo",
        "0:17 ▶ Run Benchmark 'foo' qosa.runBenchmark foo",
        "0:17 1 reference editor.action.showReferences foo"}},
      {"@bench", {"0:6 ▶ Run Benchmark 'benchmark' qosa.runBenchmark benchmark"}},
      // A marker without the inner word, or the inner word without a marker: none.
      {"fonksiyon deneme_topla()", {"0:24 ▶ Run 'deneme_topla' qosa.runFunction deneme_topla"}},
      {"fn bench_x()",
       {"0:12 ▶ Run 'bench_x' qosa.runFunction bench_x",
        "0:12 1 reference editor.action.showReferences bench_x"}},
      {"fonksiyon karşılaştırma_bench()",
       {"0:31 ▶ Run 'karşılaştırma_bench' qosa.runFunction karşılaştırma_bench",
        "0:31 ▶ Run Benchmark 'karşılaştırma_bench' qosa.runBenchmark karşılaştırma_bench"}},
      {"// test fonksiyonu", {"0:18 ▶ Run Test 'test' qosa.runTest test"}},
      // " fonksiyon" is there, but no "(" follows.
      {"x = fonksiyonlar", {}},
      // The keyword must start the line or follow a space.
      {"xfn a()", {"0:7 1 reference editor.action.showReferences a"}},
      // The "fn" row comes first and has no name, which ends the references rule.
      {"sabit fnx = 1", {}},
      {"", {}},
      {"yazdır(x)\ny = x + 1\n", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(lenses_of(c.text), c.lenses) << c.text;
}

TEST(CodeLens, ReferenceCounts) {
  // Its own line is the skipped one; the end column is the trimmed length.
  EXPECT_EQ(lenses_of("    let x = 5\nyazdır(x)\ny = x + 1"),
            Lenses{"0:9 2 references editor.action.showReferences x"});
  // A name counted 0 moves on to the next row the line contains.
  EXPECT_EQ(lenses_of("fonksiyon f(x) { let y = 2 }\ny"),
            (Lenses{"0:28 ▶ Run 'f' qosa.runFunction f", "0:28 1 reference editor.action.showReferences y"}));
  // Whole pieces only; the first declaration line that mentions the name is
  // skipped even when it is not the lens's line, and only once.
  EXPECT_EQ(lenses_of("sabit max = 1 // x\nlet x = max\nx xx x.x"),
            (Lenses{"0:18 1 reference editor.action.showReferences max",
                    "1:11 4 references editor.action.showReferences x"}));
  // A name with a character outside identifiers never counts.
  EXPECT_EQ(lenses_of("let x; = 1\nx;"), Lenses{});
  EXPECT_EQ(lenses_of("değişken sayaç: tamsayı = 0\nsayaç = sayaç + 1\nsayaçlar"),
            Lenses{"0:27 2 references editor.action.showReferences sayaç"});
}

TEST(CodeLens, EndColumnIsTheTrimmedByteLengthAsAColumnOfTheWholeLine) {
  const struct {
    std::string_view line;
    std::uint32_t end;  // UTF-16 units
  } cases[] = {
      // 19 bytes of trimmed text; byte 19 of the whole line is 17 characters in.
      {"  fn değişken() = 1", 17},
      // Byte 12 of the line falls inside "ğ": counted up to its start.
      {" fn a() // ğ", 11},
      // The emoji takes two UTF-16 units.
      {"fn a() 😀x", 10},
      {"  fn a() 😀", 9},
  };
  for (const auto& c : cases) {
    const auto lenses = find_lenses(c.line);
    ASSERT_FALSE(lenses.empty()) << c.line;
    EXPECT_EQ(lenses[0].range.end.character, c.end) << c.line;
  }
}

TEST(CodeLens, Json) {
  EXPECT_EQ(code_lens_json("fn main()\r\n", "file:///a b.qosa"),
            R"([{"command":{"arguments":["file:///a b.qosa","main"],"command":"qosa.runFunction",)"
            R"("title":"▶ Run 'main'"},"range":{"end":{"character":9,"line":0},)"
            R"("start":{"character":0,"line":0}}},)"
            R"({"command":{"arguments":["file:///a b.qosa","main"],"command":"qosa.runFunction",)"
            R"("title":"▶ Run Program"},"range":{"end":{"character":9,"line":0},)"
            R"("start":{"character":0,"line":0}}},)"
            R"({"command":{"arguments":["main"],"command":"editor.action.showReferences",)"
            R"("title":"1 reference"},"range":{"end":{"character":9,"line":0},)"
            R"("start":{"character":0,"line":0}}}])");
  EXPECT_EQ(code_lens_json("", "u"), "[]");
}

TEST(CodeLens, ExtractFunctionName) {
  EXPECT_EQ(extract_function_name("fonksiyon  topla ( a )", "fonksiyon"), "topla");
  EXPECT_EQ(extract_function_name("fn ()", "fn"), std::nullopt);
  EXPECT_EQ(extract_function_name("fn x", "fn"), std::nullopt);
  EXPECT_EQ(extract_function_name("fnord fn f()", "fn"), "ord fn f");  // the first occurrence
}

// Documents of declarations, comments and uses, with names inside longer
// words, Turkish and astral letters, and names that are not identifiers.
struct Generator {
  std::mt19937 rng;
  static constexpr std::string_view names[] = {
      "x", "xx", "max", "a_b", "sayaç", "sayaçlar", "İstanbul", "ığdır", "ş", "é", "𝒳", "f1", "let1",
      "fonksiyonel", "test_topla", "x;", "a b", "x.y"};
  static constexpr std::string_view pieces[] = {
      "fonksiyon ", "function ", "fn ", "değişken ", "let ", "sabit ", "const ", "// ", "(", ")", " = ",
      ": ", " ", "  ", ".", ",", "#[test] ", "@bench ", "deneme ", "ana(", "main ", "😀", "\t", "\r", "×"};

  std::string_view pick(auto& list) { return list[rng() % std::size(list)]; }

  std::string document() {
    std::string text;
    const std::size_t lines = 1 + rng() % 40;
    for (std::size_t i = 0; i < lines; ++i) {
      const std::size_t parts = rng() % 10;
      for (std::size_t p = 0; p < parts; ++p) text += rng() % 2 ? pick(names) : pick(pieces);
      text += rng() % 8 == 0 ? "\r\n" : "\n";
    }
    if (rng() % 2) text.pop_back();
    return text;
  }
};

TEST(CodeLens, CountsEqualTheLineByLineCounting) {
  for (std::uint32_t seed = 0; seed < 1000; ++seed) {
    Generator g{std::mt19937(seed)};
    const std::string text = g.document();
    std::vector<std::string_view> names(std::begin(Generator::names), std::end(Generator::names));
    names.push_back("x");  // a name asked twice
    const std::vector<std::uint32_t> counts = count_references(text, names);
    ASSERT_EQ(counts.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
      ASSERT_EQ(counts[i], testing::oracle_count(text, names[i])) << "seed " << seed << " name " << names[i] << "\n"
                                                         << text;
    }
    const auto lenses = records_of(find_lenses(text)).texts;
    const auto expected = records_of(find_lenses_with(
        text, [&](std::span<const std::string_view> candidates, std::span<const std::size_t>) {
          return testing::oracle_counts(text, candidates);
        })).texts;
    ASSERT_EQ(lenses.size(), expected.size()) << "seed " << seed << "\n" << text;
    for (std::size_t i = 0; i < lenses.size(); ++i) {
      ASSERT_EQ(lenses[i], expected[i]) << "seed " << seed << "\n" << text;
    }
  }
}

// The answer text is the array of the lenses' JSON values, also for names
// and uris that need escapes.
TEST(CodeLens, JsonIsTheValueOfTheLenses) {
  for (std::uint32_t seed = 0; seed < 300; ++seed) {
    Generator g{std::mt19937(seed)};
    std::string text = g.document();
    text += "\nfonksiyon a\"b\\c(x)\nfn q\x01(\nlet t\"\\ = 1\n#[bench] fn b\"(\n";
    const std::string_view uri = seed % 2 ? "file:///a\"b\\c.qosa" : "file:///proje/ana.qosa";
    const std::vector<Lens> lenses = find_lenses(text);
    const CollectingSink records = records_of(lenses, uri);
    // Only the run lenses take the uri; every lens takes its name last.
    ASSERT_EQ(records.values.size(), lenses.size());
    for (std::size_t i = 0; i < lenses.size(); ++i) {
      json::array arguments;
      if (lenses[i].kind != LensKind::references) arguments.push_back(json::string(uri));
      arguments.push_back(json::string(lenses[i].name));
      ASSERT_EQ(records.values[i].at("command").at("arguments"), arguments) << "seed " << seed;
    }
    ASSERT_EQ(code_lens_json(text, uri), support::to_json_text(records.values)) << "seed " << seed << "\n" << text;
  }
}

}  // namespace
}  // namespace qosa::lsp
