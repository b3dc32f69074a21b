#include <gtest/gtest.h>

#include "cases.h"

namespace qosa::parser {
namespace {

TEST(Statements, LetConstAndAssign) {
  const TreeCase cases[] = {
      {"değişken x = 5", "(let x 5)"},
      {"olsun x = 5;", "(let x 5)"},
      {"let x = 5; variable y = 6", "(let x 5)\n(let y 6)"},
      // The annotation is skipped, not kept.
      {"değişken x: tamsayı = 5", "(let x 5)"},
      {"let x: Liste<int> = []", "(let x [])"},
      {"değişken x", ""},
      {"değişken 5 = x", "(expr x)"},
      {"değişken [a, b] = f()", "(let [a b] (call f))"},
      {"değişken [, a, ] = x", "(let [a] x)"},
      {"let [a,, b] = x", "(let [a b] x)"},
      {"let [] = x", "(let [] x)"},
      {"let [a b] = x", "(expr x)"},
      {"sabit PI = 3.5", "(const PI (float 3.5))"},
      {"const N: int = 10;", "(const N 10)"},
      {"const [a] = x", "(expr a)\n(expr x)"},
      {"x = x + 1", "(assign x (+ x 1))"},
      {"x = 1; y = 2", "(assign x 1)\n(assign y 2)"},
      // Only a plain name is assigned; a member target is an expression that
      // ends before "=", and the "=" starts a statement that yields nothing.
      {"a.b = 1", "(expr (. a b))\n(expr 1)"},
      {"a[0] = 1", "(expr (index a 0))\n(expr 1)"},
  };
  expect_trees(cases);
}

TEST(Statements, ReturnBreakContinue) {
  const TreeCase cases[] = {
      {"dön x + 1", "(return (+ x 1))"},
      {"return x;", "(return x)"},
      {"dön", ""},
      {"dur geç", "(break)\n(continue)"},
      {"break; continue;", "(break)\n(continue)"},
  };
  expect_trees(cases);
}

TEST(Statements, Functions) {
  const TreeCase cases[] = {
      {"fonksiyon topla(a: tamsayı, b: tamsayı): tamsayı { dön a + b }",
       "(fn topla [a:tamsayı b:tamsayı] -> tamsayı {(return (+ a b))})"},
      {"fn f(x) -> int { return x }", "(fn f [x] -> integer {(return x)})"},
      {"function f() do end", "(fn f [] {})"},
      {"fonksiyon f() yap x = 1 son", "(fn f [] {(assign x 1)})"},
      {"fn id<T>(x: T) -> T { x }", "(fn id <T> [x:T] -> T {(expr x)})"},
      {"fn f<K, V>(m: Map<K, V>) { }", "(fn f <K V> [m:Map<K,V>] {})"},
      // "-" and ">" written apart are an arrow too.
      {"fn f() - > int { }", "(fn f [] -> integer {})"},
      {"fn f() - x { }", "(expr x)"},
      // A return type that does not parse is left out; the body goes on.
      {"fn f() -> { x }", "(fn f [] {(expr x)})"},
      {"fn f<>() { }", "(expr (tuple))"},
      {"fn f<T,>() { }", "(expr (tuple))"},
      {"fn 5() { }", "(expr (tuple))"},
      {"fn f { }", ""},
      {"fn f(a,) { }", ""},
      {"fn f(a b) { }", "(expr b)"},
  };
  expect_trees(cases);
}

TEST(Statements, ModuleTakesTheRestOfTheText) {
  const TreeCase cases[] = {
      {"modül m yap fonksiyon f() { } son değişken x = 1",
       "(module m {(fn f [] {}) (let x 1)})"},
      {"module m do end x = 1", "(module m {(assign x 1)})"},
      {"module m { x = 1 } y = 2", "(module m {(assign x 1) (assign y 2)})"},
      {"x = 1 modül m", "(assign x 1)\n(module m {})"},
      {"modül 5 x = 1", "(assign x 1)"},
  };
  expect_trees(cases);
}

TEST(Statements, Loops) {
  const TreeCase cases[] = {
      {"iken x < 10 yap x = x + 1 son y = 2",
       "(while (< x 10) {(assign x (+ x 1))})\n(assign y 2)"},
      {"döngü doğru { dur }", "(while true {(break)})"},
      {"while x do x = x - 1 end", "(while x {(assign x (- x 1))})"},
      {"while { }", ""},
      {"için i içinde 0..10 yap yaz(i) son", "(for i (.. 0 10) {(expr (call yaz i))})"},
      {"her biri x içinde xs { }", "(for x xs {})"},
      {"for x in xs { y }", "(for x xs {(expr y)})"},
      {"for each x in xs do y end", "(for x xs {(expr y)})"},
      // The token after the variable stands for "in", whatever it is.
      {"for x of xs { }", "(for x xs {})"},
      {"for 5 in xs { }", "(expr xs)"},
  };
  expect_trees(cases);
}

TEST(Statements, IfAndElseChains) {
  const TreeCase cases[] = {
      {"eğer a ise b = 1 değilse b = 2 son", "(if a {(assign b 1)} else {(assign b 2)})"},
      {"eğer a ise b son", "(if a {(expr b)})"},
      {"eğer a { b } değilse { c }", "(if a {(expr b)} else {(expr c)})"},
      {"if a then x = 1 elif b then x = 2 else x = 3 end",
       "(if a {(assign x 1)} else (if b {(assign x 2)} else {(assign x 3)}))"},
      {"if a { x } else if b { y } else { z }",
       "(if a {(expr x)} else (if b {(expr y)} else {(expr z)}))"},
      {"eğer a ise x veya eğer b ise y veya eğer c ise z son",
       "(if a {(expr x)} else (if b {(expr y)} else (if c {(expr z)})))"},
      {"eğer a { x } veya eğer b { y }", "(if a {(expr x)} else (if b {(expr y)}))"},
      // An else word of the other keyword language, and one after a closer.
      {"eğer a ise b değilse if c then d end", "(if a {(expr b)} else (if c {(expr d)}))"},
      {"if a then b else eğer c ise d son", "(if a {(expr b)} else {(if c {(expr d)})})"},
      {"eğer a ise b son değilse c son", "(if a {(expr b)} else {(expr c)})"},
      {"if a then b end else c end", "(if a {(expr b)} else {(expr c)})"},
      // "değilse eğer" is an else block whose first statement is an if.
      {"eğer a ise x değilse eğer b ise y son son",
       "(if a {(expr x)} else {(if b {(expr y)})})"},
      {"if a then x end y", "(if a {(expr x)})\n(expr y)"},
      {"eğer ise x son", "(expr x)"},
      // A failing link fails the whole chain.
      {"if a { x } elif { y }", "(expr y)"},
  };
  expect_trees(cases);
}

TEST(Statements, TryCatch) {
  const TreeCase cases[] = {
      {"dene { x() } yakala e { y() }", "(try {(expr (call x))} catch e {(expr (call y))})"},
      {"try { } catch { }", "(try {} catch {})"},
      {"try do x end catch e do y end", "(try {(expr x)} catch e {(expr y)})"},
      // Without an opener the first token of the body stands in for it.
      {"dene x y } yakala { }", "(try {(expr y)} catch {})"},
  };
  expect_trees(cases);
}

TEST(Statements, StructsAndTypeAliases) {
  const TreeCase cases[] = {
      {"yapı Nokta { x: tamsayı, y: ondalık }", "(struct Nokta [x:tamsayı y:ondalık])"},
      {"struct P do x: int y: string end", "(struct P [x:integer y:string])"},
      {"struct P { }", "(struct P [])"},
      // A field without ":" ends the fields and keeps those before it.
      {"yapı P { x: tamsayı, y ondalık }", "(struct P [x:tamsayı])"},
      {"yapı P { x: liste }", "(struct P [])"},
      {"yapı P x: tamsayı }", ""},
      {"tip Sayı = tamsayı", "(type Sayı tamsayı)"},
      {"type L = Liste<int>", "(type L Liste<integer>)"},
      {"tip Renk = \"kırmızı\" | \"yeşil\" | \"mavi\" x = 1", "(type Renk kırmızı)\n(assign x 1)"},
      // Alternatives are read only after a target that is no type.
      {"type U = A | B", "(type U A)\n(expr B)"},
      {"tip P = yapı yap x: tamsayı son", "(struct P [x:tamsayı])"},
      {"type P = struct do x: int end", "(struct P [x:integer])"},
      {"type P = 5", ""},
  };
  expect_trees(cases);
}

TEST(Statements, Regions) {
  const TreeCase cases[] = {
      {"bölge tampon(4096) { x = 1 }", "(region tampon 4096 {(assign x 1)})"},
      {"region r do end", "(region r {})"},
      {"region r(4096 { }", ""},
      {"bölge b x = 1 son", "(expr 1)"},
      // Without an integer the token after "(" is where the opener must be.
      {"region r(x) { }", ""},
  };
  expect_trees(cases);
}

TEST(Statements, BlockTerminators) {
  const TreeCase cases[] = {
      // A body left open ends at the next function keyword, which the
      // enclosing loop steps past: the next declaration is read from its name.
      {"fonksiyon f() { x = 1 fonksiyon g() { }", "(fn f [] {(assign x 1)})\n(expr (call g))"},
      {"fn f() { x fn g() { } }", "(fn f [] {(expr x)})\n(expr (call g))"},
      {"while a { x module m", "(while a {(expr x)})\n(expr m)"},
      // "yakala" and "catch" end no block.
      {"fn f() { x catch y }", "(fn f [] {(expr x) (expr y)})"},
      {"fn f() { x } } y", "(fn f [] {(expr x)})\n(expr y)"},
  };
  expect_trees(cases);
}

TEST(Statements, BothKeywordLanguagesGiveTheSameTree) {
  const std::string_view turkish =
      "fonksiyon f(a) yap\n"
      "  değişken t = 0\n"
      "  için i içinde 0..a yap t = t + i son\n"
      "  iken t > 10 yap t = t - 1 son\n"
      "  eğer t == 3 ise dön doğru değilse dön yanlış son\n"
      "son\n";
  const std::string_view english =
      "function f(a) do\n"
      "  let t = 0\n"
      "  for i in 0..a do t = t + i end\n"
      "  while t > 10 do t = t - 1 end\n"
      "  if t == 3 then return true else return false end\n"
      "end\n";
  EXPECT_EQ(parse_to_text(turkish), parse_to_text(english));
  EXPECT_EQ(parse_to_text(english),
            "(fn f [a] {(let t 0) (for i (.. 0 a) {(assign t (+ t i))}) "
            "(while (> t 10) {(assign t (- t 1))}) (if (== t 3) {(return true)} else "
            "{(return false)})})");
}

}  // namespace
}  // namespace qosa::parser
