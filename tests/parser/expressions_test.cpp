#include <gtest/gtest.h>

#include "cases.h"

namespace qosa::parser {
namespace {

TEST(Expressions, GradedOperatorsGroupByLevelThenToTheLeft) {
  const TreeCase cases[] = {
      {"a * b + c", "(expr (+ (* a b) c))"},
      {"a + b * c", "(expr (+ a (* b c)))"},
      {"a - b - c", "(expr (- (- a b) c))"},
      {"a / b % c * d", "(expr (* (% (/ a b) c) d))"},
      {"a < b == c", "(expr (== (< a b) c))"},
      {"a <= b != c >= d", "(expr (!= (<= a b) (>= c d)))"},
      {"a == b ve c == d", "(expr (and (== a b) (== c d)))"},
      {"a ve b veya c", "(expr (or (and a b) c))"},
      {"x ve y", "(expr (and x y))"},
      {"x and y", "(expr (and x y))"},
      {"x veya y or z", "(expr (or (or x y) z))"},
      {"a + b > c * d", "(expr (> (+ a b) (* c d)))"},
  };
  expect_trees(cases);
}

TEST(Expressions, PrefixOperators) {
  const TreeCase cases[] = {
      {"değil x", "(expr (değil x))"},
      {"not x", "(expr (not x))"},
      {"-a + b", "(expr (+ (- a) b))"},
      {"-a * b", "(expr (* (- a) b))"},
      {"-a.b", "(expr (- (. a b)))"},
      {"-a.b(1)", "(expr (- (method a b 1)))"},
      {"- - a", "(expr (- (- a)))"},
      {"değil a ve b", "(expr (and (değil a) b))"},
      // Share, move and change take everything after them.
      {"paylaş a + b", "(expr (share (+ a b)))"},
      {"share a", "(expr (share a))"},
      {"geçir a * b", "(expr (move (* a b)))"},
      {"move a", "(expr (move a))"},
      {"değiştir a.b", "(expr (change (. a b)))"},
      {"- paylaş a + b", "(expr (- (share (+ a b))))"},
      {"paylaş -a + b", "(expr (share (+ (- a) b)))"},
      {"a + -b * c", "(expr (+ a (* (- b) c)))"},
      {"f(-x)", "(expr (call f (- x)))"},
  };
  expect_trees(cases);
}

TEST(Expressions, Leaves) {
  const TreeCase cases[] = {
      {"42", "(expr 42)"},
      {"1.5", "(expr (float 1.5))"},
      {"\"metin\"", "(expr \"metin\")"},
      {"doğru yanlış true false", "(expr true)\n(expr false)\n(expr true)\n(expr false)"},
      {"boş null", "(expr null)\n(expr null)"},
      {"Hiçbir None", "(expr None)\n(expr None)"},
      // Task words and units stand as names with their name texts.
      {"µs", "(expr us)"},
      {"us", "(expr us)"},
      {"KB", "(expr kb)"},
      {"x = görev", "(assign x görev)"},
      {"ms + s", "(expr (+ ms s))"},
      {"yeni Nokta", "(expr (new Nokta))"},
      {"new Point", "(expr (new Point))"},
  };
  expect_trees(cases);
}

TEST(Expressions, PostfixChains) {
  const TreeCase cases[] = {
      {"a.b.c", "(expr (. (. a b) c))"},
      {"a.b(1)", "(expr (method a b 1))"},
      {"a.b().c(x, y)", "(expr (method (method a b) c x y))"},
      {"x[0][1]", "(expr (index (index x 0) 1))"},
      {"f(a)(b)", "(expr (call (call f a) b))"},
      {"f()", "(expr (call f))"},
      {"yeni Nokta(1, 2)", "(expr (call (new Nokta) 1 2))"},
      {"a[i + 1].b", "(expr (. (index a (+ i 1)) b))"},
      {"a::b::c", "(expr (:: a (:: b c)))"},
      {"A::b + 1", "(expr (+ (:: A b) 1))"},
      {"a::b(1)", "(expr (:: a (call b 1)))"},
  };
  expect_trees(cases);
}

TEST(Expressions, RangesAndCasts) {
  const TreeCase cases[] = {
      {"0..10", "(expr (.. 0 10))"},
      {"0..=n + 1", "(expr (..= 0 (+ n 1)))"},
      {"x olarak tamsayı + 1", "(expr (+ (as tamsayı x) 1))"},
      {"a + b olarak tamsayı", "(expr (as tamsayı (+ a b)))"},
      {"x as int", "(expr (as integer x))"},
      {"x as (int, string)", "(expr (as demet<integer,string> x))"},
      {"x as Liste<T>", "(expr (as Liste<T> x))"},
      // The "<" after a cast's type opens its generic arguments, which never close here.
      {"x olarak int < b", ""},
      {"x as int < b", ""},
  };
  expect_trees(cases);
}

TEST(Expressions, TuplesListsAndWrappedValues) {
  const TreeCase cases[] = {
      {"()", "(expr (tuple))"},
      {"(a)", "(expr a)"},
      {"((a))", "(expr a)"},
      {"(a + b) * c", "(expr (* (+ a b) c))"},
      {"(a, b)", "(expr (tuple a b))"},
      {"(a, )", "(expr (tuple a))"},
      {"(a, b, )", "(expr (tuple a b))"},
      {"[]", "(expr [])"},
      {"[1, 2, 3]", "(expr [1 2 3])"},
      {"[[1], []]", "(expr [[1] []])"},
      {"Bazı(x)", "(expr (Some x))"},
      {"Some(x + 1)", "(expr (Some (+ x 1)))"},
      {"Tamam(1) Ok(2)", "(expr (Ok 1))\n(expr (Ok 2))"},
      {"Hata(\"e\") Err(e)", "(expr (Err \"e\"))\n(expr (Err e))"},
  };
  expect_trees(cases);
}

TEST(Expressions, CallArgumentsThatFailAreDropped) {
  const TreeCase cases[] = {
      {"f(a, yeni 5)", "(expr (call f a))"},
      // The empty argument fails on ")", and the list then looks past it.
      {"f(a, ))", "(expr (call f a))"},
      {"f(a, )", ""},
      // A failed argument before a "," leaves the "," current: the list fails.
      {"a.m(, b)", "(expr b)"},
  };
  expect_trees(cases);
}

// A failed expression gives no statement; the statement loop steps one token
// from where the expression gave up and goes on.
TEST(Expressions, FailuresYieldNothing) {
  const TreeCase cases[] = {
      {"a + )", ""},
      {"a.son", ""},
      {"a.5", ""},
      {"yeni 5", ""},
      {"(a b)", "(expr b)"},
      {"[1, 2, ]", ""},
      {"Bazı x", "(expr x)"},
      {"Some(x", ""},
      {"+x", "(expr x)"},
      {"!x", "(expr x)"},
      {"f(a b)", "(expr b)"},
      {"a ; b", "(expr a)\n(expr b)"},
      {"x as liste", ""},
  };
  expect_trees(cases);
}

}  // namespace
}  // namespace qosa::parser
