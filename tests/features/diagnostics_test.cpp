#include "features/diagnostics.h"

#include <gtest/gtest.h>


namespace qosa::lsp {
namespace {

std::vector<std::string> messages(std::string_view text) {
  std::vector<std::string> out;
  for (const auto& d : compute_diagnostics("file:///a.qosa", text)) {
    EXPECT_EQ(d.range.start.line, 0u);
    EXPECT_EQ(d.range.start.character, 0u);
    EXPECT_EQ(d.range.end.line, 0u);
    EXPECT_EQ(d.range.end.character, 1u);
    EXPECT_EQ(d.severity, 1);
    EXPECT_EQ(d.source, "QOSA");
    out.push_back(d.message);
  }
  return out;
}

TEST(ComputeDiagnostics, CountsBracesOfTheWholeText) {
  using V = std::vector<std::string>;
  EXPECT_EQ(messages("a { b"), V{"Eksik kapatma parantezi: 1 açılış, 0 kapanış"});
  EXPECT_EQ(messages("}{"), V{});
  EXPECT_EQ(messages("{}"), V{});
  EXPECT_EQ(messages("}}{"), V{});
  EXPECT_EQ(messages(""), V{});
  EXPECT_EQ(messages("// {"), V{"Eksik kapatma parantezi: 1 açılış, 0 kapanış"});
  EXPECT_EQ(messages("yazdır(\"{\")\n{\n{ }\n"), V{"Eksik kapatma parantezi: 3 açılış, 1 kapanış"});
  // Long runs: the count goes through blocks of bytes, each summed before
  // it could overflow, and a tail shorter than a block.
  EXPECT_EQ(messages(std::string(5000, '{') + "x}" + std::string(17, '{')),
            V{"Eksik kapatma parantezi: 5017 açılış, 1 kapanış"});
  EXPECT_EQ(messages(std::string(70000, '}') + "{"), V{});
}

// The range covers the first character in UTF-16 units, so that it never
// ends between the two halves of a surrogate pair.
TEST(ComputeDiagnostics, RangeEndsAfterTheFirstCharacter) {
  struct Case {
    std::string_view text;
    std::uint32_t end_character;
  };
  const Case cases[] = {
      {"😀{", 2},
      {"😀 fonksiyon f() {", 2},
      {"\U0001D49C = {", 2},  // a mathematical letter, outside the BMP too
      {"ğ {", 1},
      {"€{", 1},
      {"{", 1},
      {"\n{", 1},              // an empty first line
      {"\r\n😀{", 1},
  };
  for (const Case& c : cases) {
    const auto diagnostics = compute_diagnostics("file:///a.qosa", c.text);
    ASSERT_EQ(diagnostics.size(), 1u) << c.text;
    const Range& r = diagnostics[0].range;
    EXPECT_EQ(r.start.line, 0u) << c.text;
    EXPECT_EQ(r.start.character, 0u) << c.text;
    EXPECT_EQ(r.end.line, 0u) << c.text;
    EXPECT_EQ(r.end.character, c.end_character) << c.text;
  }
}

}  // namespace
}  // namespace qosa::lsp
