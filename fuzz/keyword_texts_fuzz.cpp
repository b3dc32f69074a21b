// The lexer and parser on texts built from the words of both keyword
// languages: each input byte picks a keyword, sign, literal, name or
// separator, so the fuzzer explores programs rather than byte soup.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lexer/lexer.h"
#include "parser/source.h"

namespace {

const std::vector<std::string_view>& words() {
  static const std::vector<std::string_view> all = [] {
    std::vector<std::string_view> w;
#define QOSA_TOKEN(name, number, category, text, text2, name_text) \
  if (std::string_view(text).size()) w.push_back(text);            \
  if (std::string_view(text2).size()) w.push_back(text2);
#include "lexer/token_kinds.def"
#undef QOSA_TOKEN
    for (std::string_view extra : {"x", "sayaç", "ağaç_2", "main", "ana", "42", "3.14", "0x1F", "1e9", "\"metin\"",
                                   "'c'", "\"kaçış \\\" \\n\"", "// yorum", "/* blok */", "@test", "#[bench]",
                                   " ", "\n", "\r\n", "\t"}) {
      w.push_back(extra);
    }
    return w;
  }();
  return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto& table = words();
  std::string text;
  for (std::size_t i = 0; i < size; ++i) {
    text += table[data[i] % table.size()];
    // A separator after most words; none sometimes, so words run together.
    if (data[i] & 0x80) text += ' ';
  }
  qosa::lexer::Lexer lexer = qosa::lexer::lexer_new(text, qosa::lexer::SourceName{"<stdin>", 0});
  while (lexer.next_token().kind != qosa::lexer::TokenKind::Eof) {
  }
  (void)qosa::parser::parse_source(text);
  return 0;
}
