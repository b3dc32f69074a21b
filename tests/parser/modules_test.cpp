#include <gtest/gtest.h>

#include "cases.h"

namespace qosa::parser {
namespace {

TEST(Modules, Use) {
  const TreeCase cases[] = {
      {"kullan a::b::{c, d olarak e}", "(use a::b {c d as e})"},
      {"use a::b::{c, d as e};", "(use a::b {c d as e})"},
      {"use a", "(use a)"},
      {"use a::b::c", "(use a::b::c)"},
      // A glob keeps the plain path.
      {"use a::*", "(use a)"},
      {"use ::a", "(use ::a)"},
      {"use ::a::b as c", "(use ::a::b as c)"},
      {"kullan a olarak b", "(use a as b)"},
      {"use a::{b, c} as d", "(use a {b c} as d)"},
      {"use a::* as b", "(use a as b)"},
      {"use a::{}", "(use a {})"},
      {"use a::{b,}", "(use a {b})"},
      // "as" without a name gives no alias; the word is consumed.
      {"use a::{b as, c}", "(use a {b})\n(expr c)"},
      {"use a as 5", "(use a)"},
      {"use a::{b c}", "(use a {b})\n(expr c)"},
      {"use a::5", ""},
      {"use 5", ""},
      {"use ::5", ""},
      {"use a::b::", ""},
  };
  expect_trees(cases);
  const EndCase ends[] = {
      {"use a::* x", "*"},
      {"use a::{b, c} x", "}"},
      {"use a::b; x", "b"},
      {"use a as b x", "b"},
  };
  expect_ends(ends);
}

TEST(Modules, Import) {
  const TreeCase cases[] = {
      {"import \"x\" as m::{x, y}", "(import \"x\" as m [x y])"},
      {"içe_aktar \"sürücüler/sensör\" olarak sensör", "(import \"sürücüler/sensör\" as sensör)"},
      // Without "::" and "{" the items are absent, not empty.
      {"import \"x\"", "(import \"x\")"},
      {"import \"x\"::{}", "(import \"x\" [])"},
      {"import \"x\"::{a}", "(import \"x\" [a])"},
      {"import \"x\"::y", "(import \"x\")"},
      {"import \"x\" as 5", "(import \"x\")"},
      {"import x", ""},
      {"import 'a/b'", "(import \"a/b\")"},
  };
  expect_trees(cases);
  const EndCase ends[] = {
      {"import \"x\" as m::{x, y} z", "}"},
      {"import \"x\"::y z", "y"},
  };
  expect_ends(ends);
}

TEST(Modules, Export) {
  const TreeCase cases[] = {
      {"export { a, b }", "(export fn:a fn:b)"},
      {"export *", "(export *)"},
      {"dışa_aktar fonksiyon f", "(export fn:f)"},
      {"export fn f export function g", "(export fn:f)\n(export fn:g)"},
      {"dışa_aktar yapı P export struct Q", "(export struct:P)\n(export struct:Q)"},
      {"dışa_aktar sabit N export const M", "(export const:N)\n(export const:M)"},
      {"dışa_aktar modül m export module n", "(export module:m)\n(export module:n)"},
      // Names in braces are functions, whatever they name.
      {"dışa_aktar { Nokta, PI }", "(export fn:Nokta fn:PI)"},
      {"export { }", "(export)"},
      {"export 5", ""},
      {"export fn 5", ""},
      {"export x", ""},
  };
  expect_trees(cases);
}

TEST(Modules, Attributes) {
  const TreeCase cases[] = {
      {"#[test] fn t() { }", "(#test (fn t [] {}))"},
      {"#[cfg(os = win, not(x))] x = 1", "(#cfg [os=\"win\" not[x]] (assign x 1))"},
      // Two attributes in a row nest.
      {"#[a] #[b] x", "(#a (#b (expr x)))"},
      {"#[a(b c, , d = \"s\")] x", "(#a [b c d=\"s\"] (expr x))"},
      {"#[a(,b,,c,)] x", "(#a [b c] (expr x))"},
      {"#[a(ve, veya, değil, and, or, not)] x", "(#a [and or not and or not] (expr x))"},
      {"#[a()] x", "(#a (expr x))"},
      {"#[a(b(c(d), e))] x", "(#a [b[c[d] e]] (expr x))"},
      {"#[a(b())] x", "(#a [b[]] (expr x))"},
      {"#[a] yapı P { x: tamsayı }", "(#a (struct P [x:tamsayı]))"},
      // A number as a key's value makes the whole attribute nothing.
      {"#[cfg(os = 5)] x = 1", "(assign x 1)"},
      {"#[a(b = )] x", "(expr x)"},
      {"#[a(5)] x", "(expr x)"},
      {"#[a(b(c)] x", "(expr x)"},
      {"#[a(b", ""},
      {"#[5] x", "(expr x)"},
      {"#a x", "(expr x)"},
      {"#[a x", ""},
      // Without a statement to mark there is no attribute.
      {"#[a]", ""},
      {"#[a] }", ""},
  };
  expect_trees(cases);
  const EndCase ends[] = {
      {"#[a] x = 1; y", ";"},
      {"#[a] fn f() { } y", "}"},
  };
  expect_ends(ends);
}

TEST(Modules, BothKeywordLanguagesGiveTheSameTree) {
  const std::string_view turkish =
      "kullan çekirdek::bellek::{ayır, bırak olarak serbest};\n"
      "içe_aktar \"sürücüler\" olarak sürücü::{sensör};\n"
      "dışa_aktar { ölç, Ölçüm };\n"
      "#[kesme(seviye = \"yüksek\", değil(paylaşılan))]\n"
      "fonksiyon ölç() { }\n";
  const std::string_view english =
      "use çekirdek::bellek::{ayır, bırak as serbest};\n"
      "import \"sürücüler\" as sürücü::{sensör};\n"
      "export { ölç, Ölçüm };\n"
      "#[kesme(seviye = \"yüksek\", not(paylaşılan))]\n"
      "fn ölç() { }\n";
  EXPECT_EQ(parse_to_text(turkish), parse_to_text(english));
  EXPECT_EQ(parse_to_text(english),
            "(use çekirdek::bellek {ayır bırak as serbest})\n"
            "(import \"sürücüler\" as sürücü [sensör])\n"
            "(export fn:ölç fn:Ölçüm)\n"
            "(#kesme [seviye=\"yüksek\" not[paylaşılan]] (fn ölç [] {}))");
}

}  // namespace
}  // namespace qosa::parser
