// Deeply nested and very long sources parse and are released on a 1 MiB
// stack, the default main-thread stack of the smallest platform we target.
#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <functional>
#include <string>

#include "parser/parser.h"
#include "parser/source.h"
#include "parser/tree_printer.h"

namespace qosa::parser {
namespace {

constexpr std::size_t kStack = 1 << 20;
// Far past the depth limit either way; debug and sanitizer builds run the
// smaller count to stay quick.
#ifdef NDEBUG
constexpr int kCount = 1'000'000;
#else
constexpr int kCount = 100'000;
#endif

// Runs `body` on a thread whose stack is `kStack` bytes.
void on_small_stack(const std::function<void()>& body) {
  pthread_attr_t attr;
  ASSERT_EQ(pthread_attr_init(&attr), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attr, kStack), 0);
  pthread_t thread;
  auto run = [](void* arg) -> void* {
    (*static_cast<const std::function<void()>*>(arg))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attr, run, const_cast<std::function<void()>*>(&body)), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

std::string repeat(std::string_view piece, int count) {
  std::string out;
  out.reserve(piece.size() * count);
  for (int i = 0; i < count; ++i) out += piece;
  return out;
}

// Parses and releases on the small stack; `check` reads the result there too.
void parse_deep(const std::string& text, const std::function<void(const ParseResult&)>& check) {
  on_small_stack([&] {
    ParseResult result = parse_source(text);
    check(result);
  });
}

// The deepest bracket nesting of a printed tree, outside quoted strings.
int printed_depth(const std::string& printed) {
  int depth = 0, deepest = 0;
  bool quoted = false;
  for (std::size_t i = 0; i < printed.size(); ++i) {
    const char c = printed[i];
    if (quoted) {
      if (c == '\\') ++i;
      else if (c == '"') quoted = false;
    } else if (c == '"') {
      quoted = true;
    } else if (c == '(' || c == '[' || c == '{' || c == '<') {
      deepest = std::max(deepest, ++depth);
    } else if (c == ')' || c == ']' || c == '}' || c == '>') {
      --depth;
    }
  }
  return deepest;
}

// Past the depth limit a construct yields nothing, so whatever parses of a
// nest a million deep is a tree of bounded depth.
void expect_bounded_tree(const ParseResult& result) {
  for (const Stmt* stmt : result.statements) {
    const std::string printed = print_stmt(*stmt);
    EXPECT_LE(printed_depth(printed), 4 * kMaxDepth) << printed.substr(0, 200);
  }
}

const Expr* single_expression(const ParseResult& result) {
  if (result.statements.size() != 1) return nullptr;
  const ExprStmt* stmt = result.statements[0]->as<ExprStmt>();
  return stmt ? stmt->expression : nullptr;
}

TEST(DeepNesting, DeepNestingDoesNotExhaustTheStack) {
  struct Nest {
    std::string_view head;
    std::string_view open;
    std::string_view close;
  };
  const Nest nests[] = {
      {"", "(", ")"},           {"", "[", "]"},          {"", "{", "}"},
      {"", "eğer x ise ", ""},  {"", "eğer x { ", "}"},  {"", "fn f() { ", "}"},
      {"", "modül m ", ""},     {"", "while x do ", ""}, {"", "f(", ")"},
      {"x = ", "[(", ")]"},     {"", "a::", ""},         {"fn f(a: ", "A<", ">"},
      {"fn f(a: ", "(", ")"},   {"", "değil (", ")"},
  };
  for (const Nest& nest : nests) {
    SCOPED_TRACE(std::string(nest.open));
    std::string text = std::string(nest.head) + repeat(nest.open, kCount) + "x";
    parse_deep(text + repeat(nest.close, kCount), expect_bounded_tree);
  }
  parse_deep(repeat("(", kCount) + "x", expect_bounded_tree);
}

TEST(DeepNesting, NewFormsNestDeeplyWithoutExhaustingTheStack) {
  struct Nest {
    std::string_view head;
    std::string_view open;
    std::string_view close;
  };
  const Nest nests[] = {
      // Match arms, scrutinees and patterns.
      {"", "seç x yap durum 1 => ", " son"},
      {"", "match ", " do end"},
      {"seç x yap durum ", "(", ")"},
      {"match x do case ", "Some(", ")"},
      {"seç x yap durum ", "(a, ", ")"},
      // Attribute arguments and attributes on attributes.
      {"#[a(", "b(", ")"},
      {"", "#[a] ", ""},
      // The other forms that hold expressions or blocks.
      {"x = ", "eğer a ise { ", " }"},
      {"x = ", "if a then { b } else { ", " }"},
      {"", "gpio::PA5.set(", ")"},
      {"", "panic!(\"a\", ", ")"},
      {"", "asm(x86_64, \"nop\", in(r0) ", ")"},
      {"", "emit E(", ")"},
      {"", "on E() { ", "}"},
      {"", "task T.m() { ", "}"},
  };
  for (const Nest& nest : nests) {
    SCOPED_TRACE(std::string(nest.open));
    std::string text = std::string(nest.head) + repeat(nest.open, kCount) + "x";
    parse_deep(text + repeat(nest.close, kCount), expect_bounded_tree);
  }
}

TEST(DeepNesting, NestingWithinTheLimitParses) {
  const int depth = kMaxDepth / 2 - 2;
  parse_deep(repeat("(", depth) + "x" + repeat(")", depth), [](const ParseResult& result) {
    const Expr* e = single_expression(result);
    ASSERT_NE(e, nullptr);
    EXPECT_NE(e->as<Identifier>(), nullptr);
  });
  parse_deep(repeat("eğer x ise ", depth) + "y" + repeat(" son", depth),
             [](const ParseResult& result) { EXPECT_EQ(result.statements.size(), 1u); });
}

TEST(DeepNesting, NewFormsWithinTheLimitParse) {
  const int depth = kMaxDepth / 4 - 2;
  parse_deep(repeat("seç x yap durum 1 => ", depth) + "y" + repeat(" son", depth),
             [depth](const ParseResult& result) {
               const Expr* e = single_expression(result);
               int levels = 0;
               while (const Match* m = e ? e->as<Match>() : nullptr) {
                 ++levels;
                 ASSERT_EQ(m->arms.size(), 1u);
                 e = m->arms[0].body;
               }
               EXPECT_EQ(levels, depth);
             });
  parse_deep("seç x yap durum " + repeat("Bazı(", depth) + "a" + repeat(")", depth) + " => y son",
             [depth](const ParseResult& result) {
               const Expr* e = single_expression(result);
               ASSERT_NE(e, nullptr);
               const Pattern* p = &e->as<Match>()->arms[0].pattern;
               int levels = 0;
               while (p->kind == Pattern::Kind::SomePattern) ++levels, p = p->inner;
               EXPECT_EQ(levels, depth);
               EXPECT_EQ(p->kind, Pattern::Kind::BindingPattern);
             });
  parse_deep("#[a(" + repeat("b(", depth) + repeat(")", depth) + ")] x",
             [depth](const ParseResult& result) {
               ASSERT_EQ(result.statements.size(), 1u);
               const Attributed* a = result.statements[0]->as<Attributed>();
               ASSERT_NE(a, nullptr);
               Seq<AttrArg> args = a->arguments;
               int levels = 0;
               while (args.size() == 1 && args[0].kind == AttrArg::Kind::Nested) {
                 ++levels;
                 args = args[0].nested;
               }
               EXPECT_EQ(levels, depth);
             });
  parse_deep(repeat("#[a] ", depth) + "x", [depth](const ParseResult& result) {
    ASSERT_EQ(result.statements.size(), 1u);
    const Stmt* s = result.statements[0];
    int levels = 0;
    while (const Attributed* a = s->as<Attributed>()) ++levels, s = a->statement;
    EXPECT_EQ(levels, depth);
  });
}

// The last nesting that parses whole, per construct, and one level more
// yields nothing for the outermost level: the first statement printed stops
// growing there. Constructs that spend two levels of the one shared count per
// nesting (a match arm and its body, an attribute and its statement, a list
// holding a parenthesis) reach about half as deep.
TEST(DeepNesting, LastDepthThatParsesPerConstruct) {
  struct Limit {
    std::string_view head, open, close;
    int last;
  };
  const Limit limits[] = {
      {"", "[", "]", 254},
      {"", "f(", ")", 255},
      {"", "değil (", ")", 254},
      {"", "a::", "", 254},
      {"", "eğer x ise ", "", 255},
      {"", "eğer x { ", "}", 255},
      {"", "while x do ", "", 255},
      {"", "modül m ", "", 256},
      {"", "on E() { ", "}", 256},
      {"", "task T.m() { ", "}", 256},
      {"x = ", "eğer a ise { ", " }", 254},
      {"", "gpio::PA5.set(", ")", 254},
      {"", "panic!(\"a\", ", ")", 254},
      {"", "asm(x86_64, \"nop\", in(r0) ", ")", 255},
      {"x = ", "[(", ")]", 127},
      {"", "seç x yap durum 1 => ", " son", 126},
      {"", "match ", " do end", 127},
      {"", "#[a] ", "", 127},
  };
  const auto first_size = [](const Limit& l, int depth) -> int {
    const std::string text = std::string(l.head) + repeat(l.open, depth) + "x" + repeat(l.close, depth);
    const std::string printed = parse_to_text(text);
    return static_cast<int>(printed.substr(0, printed.find('\n')).size());
  };
  for (const Limit& l : limits) {
    SCOPED_TRACE(std::string(l.open));
    EXPECT_GT(first_size(l, l.last), first_size(l, l.last - 1));
    EXPECT_LE(first_size(l, l.last + 1), first_size(l, l.last));
  }
}

// Lists are read in loops, so their length costs no stack.
TEST(DeepNesting, LongListsOfTheNewFormsAreReadWithoutRecursion) {
  struct Long {
    std::string_view head;
    std::string_view item;
    std::string_view tail;
  };
  const Long lists[] = {
      {"seç x yap", " durum 1 => a", " son"},
      {"seç x yap durum (a", ", b", ") => c son"},
      {"#[a(", "b = c, ", ")] x"},
      {"use a::{", "b, ", "c}"},
      {"import \"a\"::{", "b, ", "c}"},
      {"export {", "b, ", "c}"},
      {"topic T: M (", "reliable, ", ")"},
      {"task T {", " mode: fast", " }"},
      {"emit E(", "1, ", "2)"},
      {"gpio::PA5.set(", "1, ", "2)"},
      {"panic!(\"a\"", ", 1", ")"},
      {"asm(x86_64, \"nop\"", ", in(r0) a", ")"},
  };
  for (const Long& list : lists) {
    SCOPED_TRACE(std::string(list.item));
    parse_deep(std::string(list.head) + repeat(list.item, kCount) + std::string(list.tail),
               [](const ParseResult& result) { EXPECT_EQ(result.statements.size(), 1u); });
  }
}

TEST(DeepNesting, LongElseIfChainsAreReadWithoutRecursion) {
  for (std::string_view link : {" veya eğer x ise y", " elif x then y", " else if x { y }"}) {
    SCOPED_TRACE(std::string(link));
    std::string text = "eğer x ise y" + repeat(link, kCount) + " son";
    parse_deep(text, [](const ParseResult& result) {
      ASSERT_EQ(result.statements.size(), 1u);
      const If* link = result.statements[0]->as<If>();
      int links = 0;
      while (link != nullptr) {
        ++links;
        const ElseBranch* branch = link->else_part;
        link = branch && branch->kind == ElseBranch::Kind::ElseIf ? branch->else_if : nullptr;
      }
      EXPECT_EQ(links, kCount + 1);
    });
  }
}

TEST(DeepNesting, PrefixOperatorRunsAreReadWithoutRecursion) {
  for (std::string_view op : {"-", "değil ", "not ", "paylaş ", "geçir ", "değiştir "}) {
    SCOPED_TRACE(std::string(op));
    parse_deep(repeat(op, kCount) + "x", [](const ParseResult& result) {
      const Expr* e = single_expression(result);
      int depth = 0;
      while (e != nullptr && e->kind != ExprKind::Identifier) {
        ++depth;
        if (const Unary* u = e->as<Unary>()) e = u->operand;
        else if (const Share* s = e->as<Share>()) e = s->operand;
        else if (const Move* m = e->as<Move>()) e = m->operand;
        else if (const Change* c = e->as<Change>()) e = c->operand;
        else e = nullptr;
      }
      ASSERT_NE(e, nullptr);
      EXPECT_EQ(depth, kCount);
    });
  }
}

TEST(DeepNesting, LongLeftDeepChainsAreReleasedWithoutRecursion) {
  struct Chain {
    std::string_view head;
    std::string_view link;
    ExprKind kind;
  };
  const Chain chains[] = {
      {"1", "+1", ExprKind::Binary},        {"a", ".b", ExprKind::Binary},
      {"a", ".b()", ExprKind::MethodCall},  {"x", "[0]", ExprKind::Index},
      {"f", "(1)", ExprKind::Call},         {"a", " ve b", ExprKind::Binary},
      {"x", " as T", ExprKind::Cast},       {"0", "..1", ExprKind::Range},
      {"y", "?", ExprKind::Try},
  };
  for (const Chain& chain : chains) {
    SCOPED_TRACE(std::string(chain.link));
    ExprKind kind = chain.kind;
    parse_deep(std::string(chain.head) + repeat(chain.link, kCount), [kind](const ParseResult& result) {
      const Expr* e = single_expression(result);
      ASSERT_NE(e, nullptr);
      EXPECT_EQ(e->kind, kind);
    });
  }
}

}  // namespace
}  // namespace qosa::parser

namespace qosa::parser {
namespace {

// The diagnostics' parse builds no tree: one statement as long as the text
// (sums, prefix runs that alternate, lists, arguments, else-if chains, match
// arms), nested past the limit or not, gives on the small stack the count
// that the parse building the tree gives.
TEST(DeepNesting, ReleasedParseCountsLongStatementsAsTheTreeDoes) {
  const int n = kCount / 10;
  const std::string texts[] = {
      "x = 1" + repeat("+1", n),
      "x = " + repeat("-not -değil paylaş ", n) + "y + 1 z = 2",
      "x = " + repeat("- paylaş ", n) + "y",
      "x = [" + repeat("1, ", n) + "1] y",
      "f(" + repeat("a, ", n) + "b) g()",
      "eğer a ise b" + repeat(" veya eğer c ise d", n) + " son e",
      "seç x yap " + repeat("durum 1 => a ", n) + "son",
      repeat("(", n) + "x" + repeat(")", n) + " y",
      "x = " + repeat("-", n) + "1 y = 2",
  };
  for (const std::string& text : texts) {
    on_small_stack([&] {
      const ParseResult built = parse_source(text);
      EXPECT_EQ(parse_source_released(text), built.statements.size()) << text.substr(0, 60);
      StatementCache cache;
      EXPECT_EQ(parse_source_released(text, cache), built.statements.size()) << text.substr(0, 60);
    });
  }
}

}  // namespace
}  // namespace qosa::parser
