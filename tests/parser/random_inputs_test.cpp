// Whatever the text, lexing and parsing end with a statement list whose every
// node can be read.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "lexer/token.h"
#include "parser/source.h"
#include "support/utf8.h"
#include "tree_printer.h"

namespace qosa::parser {
namespace {

const std::string_view kPrograms[] = {
    "fonksiyon topla(a: tamsayı, b: tamsayı): tamsayı yap\n"
    "  değişken t = a + b * 2;\n"
    "  eğer t > 10 ise dön t değilse dön -t son\n"
    "son\n"
    "yapı Nokta { x: ondalık, y: ondalık }\n"
    "tip Renk = \"kırmızı\" | \"mavi\"\n"
    "için i içinde 0..=10 yap yaz(i olarak yazı) son\n"
    "dene { riskli()? } yakala e { yaz(e) }\n"
    "değişken [a, b] = (1, 2)\n"
    "bölge tampon(4096) { x = yeni Nokta(1, 2).uzunluk() }\n"
    "modül m yap sabit N = [1, 2, 3][0] son\n",
    "function main() -> int do\n"
    "  let xs: list<int> = [1, 2, 3]\n"
    "  for each x in xs do print(x) end\n"
    "  while not done and count < 5 do count = count + 1 end\n"
    "  if a then b() elif c then d() else e() end\n"
    "  let s = share move value; let o = Some(Ok(Err(None)))\n"
    "  return a::b::c(1, 2)[0].d\n"
    "end\n"
    "struct P do x: int, y: (int, string) end\n"
    "type Alias = Map<string, list<int>>\n"
    "region r do x = 1 end\n"
    "# [test] fn t() { match x do case 1 => a _ => b end }\n"
    "use a::b::{c, d as e}; import \"x\" as y; export { f, g }\n"
    "task T { priority: 5 period: 10 ms stack: 4 KB }\n"
    "on Event(x) priority 3 { emit Other(x) }\n"
    "gpio::PA5.set_high(); asm(x86_64, \"nop\"); panic!(\"x {}\", 1)\n",
    "kullan hal::giriş_çıkış; kullan ::a::b::{c olarak d, e} olarak f\n"
    "içe_aktar \"sürücü\" olarak sr::{oku}; dışa_aktar { oku, yaz }; dışa_aktar *\n"
    "katılımcı 3; konu Sıcaklık: Ölçüm(güvenilir, geçmiş = 5, süre_sınırı = 100, kalıcı)\n"
    "yayıncı Y -> Sıcaklık(elinden_gelen); abone A <- Sıcaklık(geçmiş, ömür = 9)\n"
    "görev G { öncelik: 300 periyot: 1.5 s yığın: 2 MB mod: hızlı } görev G.çalış(n) { }\n"
    "#[kesme(seviye = \"yüksek\", değil(paylaşılan), ve)] #[iç]\n"
    "olay Kesme(k: tamsayı) öncelik 2 {\n"
    "  değişken r = seç k yap durum 0 => a; durum Bazı((x, _)) => x durum Hiçbir => b _ => c son\n"
    "  değişken t = eğer r ise { doğru } değilse { yanlış }\n"
    "  gpio::PB12.giriş_olarak(yukarı_çek) uart::TX.değiştir() spi::P15.toggle\n"
    "  asm(riscv64, \"csrr\", out(a0) v, inout(a1) w, lateout(a2) z)\n"
    "  dön oku(k)? yayınla_olay Hazır(k, r)\n"
    "}\n",
};

// Replaces every invalid sequence with "?".
std::string make_valid(std::string bytes) {
  std::string out;
  std::string_view rest = bytes;
  while (auto error = support::validate_utf8(rest)) {
    out += rest.substr(0, error->valid_up_to);
    out += '?';
    rest.remove_prefix(error->valid_up_to + error->length.value_or(rest.size() - error->valid_up_to));
  }
  out += rest;
  return out;
}

std::vector<std::string> token_texts() {
  std::vector<std::string> texts;
  for (const lexer::TokenKindInfo& info : lexer::kTokenKinds) {
    if (!info.text.empty()) texts.emplace_back(info.text);
    if (!info.text2.empty()) texts.emplace_back(info.text2);
  }
  for (const char* extra : {"x", "_", "each", "out", "PA5", "0", "42", "1.5", "0x1F", "\"s\"", "'c'",
                            "\"\"\"raw\"\"\"", "=>", "->", "<-", "\n", "//c\n", "/* c */", "kb", "MB", "mb", "ns",
                            "inout", "lateout", "P15", "PA16", "pb3", "#[a]", "@"}) {
    texts.emplace_back(extra);
  }
  return texts;
}

// Reads the whole tree, and checks that white space and a comment after the
// last token change nothing: a lexer or parser that reads past the end of the
// text, or loses its place there, gives another tree. Quotes and "/*" are
// taken out first for that check, since a text that ends inside a string or a
// comment rightly takes the suffix in.
void parse_and_read(std::string text) {
  const ParseResult result = parse_source(text);
  // The parse that releases each statement at once reads the same statements.
  EXPECT_EQ(parse_source_released(text), result.statements.size()) << text;
  for (char& c : text) {
    if (c == '"' || c == '\'') c = ' ';
  }
  for (std::size_t at = text.find("/*"); at != std::string::npos; at = text.find("/*", at)) text[at + 1] = ' ';
  const std::string tree = parse_to_text(text);
  EXPECT_EQ(parse_to_text(text + " \n\t"), tree) << text;
  EXPECT_EQ(parse_to_text(text + "\n// son\n"), tree) << text;
}

TEST(RandomInputs, RandomBytes) {
  std::mt19937 rng(20240501);
  for (int i = 0; i < 1500; ++i) {
    std::string bytes(rng() % 400, '\0');
    bool mostly_ascii = i % 2 == 0;
    for (char& c : bytes) c = static_cast<char>(mostly_ascii ? 0x20 + rng() % 0x60 : rng() % 256);
    parse_and_read(make_valid(std::move(bytes)));
  }
}

TEST(RandomInputs, KeywordSoup) {
  std::mt19937 rng(7);
  const std::vector<std::string> texts = token_texts();
  for (int i = 0; i < 1500; ++i) {
    std::string text;
    int count = static_cast<int>(rng() % 200);
    for (int j = 0; j < count; ++j) {
      text += texts[rng() % texts.size()];
      text += rng() % 4 == 0 ? "" : " ";
    }
    parse_and_read(text);
  }
}

TEST(RandomInputs, MutatedPrograms) {
  std::mt19937 rng(99);
  const std::vector<std::string> texts = token_texts();
  for (int i = 0; i < 2000; ++i) {
    std::string text(kPrograms[i % std::size(kPrograms)]);
    int mutations = 1 + static_cast<int>(rng() % 8);
    for (int m = 0; m < mutations && !text.empty(); ++m) {
      std::size_t at = rng() % text.size();
      std::size_t length = std::min<std::size_t>(rng() % 20, text.size() - at);
      switch (rng() % 4) {
        case 0: text.erase(at, length); break;
        case 1: text.insert(at, text.substr(at, length)); break;
        case 2: text.insert(at, " " + texts[rng() % texts.size()] + " "); break;
        case 3: text[at] = static_cast<char>(0x20 + rng() % 0x60); break;
      }
    }
    parse_and_read(make_valid(std::move(text)));
  }
}

}  // namespace
}  // namespace qosa::parser
