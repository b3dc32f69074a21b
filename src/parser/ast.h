// The QOSA syntax tree: statements, expressions and the records they hold.
// Every node lives in the Arena of its parse and is never changed once built.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>


namespace qosa::parser {

struct Stmt;
struct Expr;
struct If;

// Lists and texts point into the arena that owns the tree.
template <class T>
using Seq = std::span<const T>;
using StmtList = Seq<const Stmt*>;
using ExprList = Seq<const Expr*>;
using Text = std::string_view;

// A token position kept in the tree (its file name lives in the arena).
struct NodeSpan {
  Text file;
  std::uint8_t flag = 0;
  std::uint64_t line = 1;
  std::uint64_t column = 1;
  std::uint64_t length = 1;
};

// ---- Statement and expression kinds, in their declared order ----

#define QOSA_STMT_KINDS(X)                                                                         \
  X(Let) X(LetDestructure) X(Const) X(Assign) X(Return) X(ExprStmt) X(Function) X(Module) X(While) \
  X(For) X(If) X(TryCatch) X(Struct) X(TypeAlias) X(Region) X(Use) X(Import) X(Export)             \
  X(Attributed) X(Participant) X(Topic) X(Publisher) X(Subscriber) X(UseHal) X(TaskConfig)         \
  X(TaskMethod) X(OnEvent) X(Break) X(Continue)

#define QOSA_EXPR_KINDS(X)                                                                        \
  X(Identifier) X(Integer) X(Float) X(Str) X(Bool) X(Null) X(List) X(Index) X(Unary) X(Binary)    \
  X(IfExpr) X(Match) X(Call) X(New) X(Move) X(Share) X(Change) X(Tuple) X(SomeValue) X(NoneValue) \
  X(OkValue) X(ErrValue) X(InlineAsm) X(Panic) X(Try) X(HardwareCall) X(Range) X(Cast)            \
  X(MethodCall) X(Emit)

#define QOSA_KIND_ENUMERATOR(name) name,
enum class StmtKind : std::uint8_t { QOSA_STMT_KINDS(QOSA_KIND_ENUMERATOR) };
enum class ExprKind : std::uint8_t { QOSA_EXPR_KINDS(QOSA_KIND_ENUMERATOR) };
#undef QOSA_KIND_ENUMERATOR

// Operator texts of Unary and Binary, kept as a code to keep nodes small.
#define QOSA_OPERATORS(X)                                                                     \
  X(Negate, "-") X(Degil, "değil") X(Not, "not") X(And, "and") X(Or, "or") X(Equal, "==")    \
  X(NotEqual, "!=") X(Less, "<") X(Greater, ">") X(LessEqual, "<=") X(GreaterEqual, ">=")    \
  X(Add, "+") X(Subtract, "-") X(Multiply, "*") X(Divide, "/") X(Remainder, "%") X(Path, "::") \
  X(Member, ".")

#define QOSA_OPERATOR_ENUMERATOR(name, text) name,
enum class Operator : std::uint8_t { QOSA_OPERATORS(QOSA_OPERATOR_ENUMERATOR) };
#undef QOSA_OPERATOR_ENUMERATOR

constexpr std::string_view operator_text(Operator op) {
  switch (op) {
#define QOSA_OPERATOR_CASE(name, text) \
  case Operator::name:                 \
    return text;
    QOSA_OPERATORS(QOSA_OPERATOR_CASE)
#undef QOSA_OPERATOR_CASE
  }
  return {};
}

// ---- Small records ----

struct TypeRef {
  Text name;
  Seq<TypeRef> arguments;
};

struct Param {
  Text name;
  std::optional<TypeRef> type;
};

struct StructField {
  Text name;
  TypeRef type;
};

struct ElseBranch {
  enum class Kind : std::uint8_t { Block, ElseIf };
  Kind kind = Kind::Block;
  StmtList block;               // Kind::Block
  const If* else_if = nullptr;  // Kind::ElseIf
};

struct UseItem {
  Text name;
  std::optional<Text> alias;
};

struct ExportItem {
  enum class Kind : std::uint8_t { Function, Struct, Const, Module, All };
  Kind kind = Kind::Function;
  Text name;  // empty for All
};

struct AttrArg {
  enum class Kind : std::uint8_t { KeyValue, Flag, Nested };
  Kind kind = Kind::Flag;
  Text name;
  Text value;             // KeyValue
  Seq<AttrArg> nested;   // Nested
};

struct QosPolicy {
  std::uint8_t kind = 0;     // 0 reliability, 1 history, 2 durability, 3 deadline, 4 lifespan
  std::uint8_t variant = 0;  // reliability: 0 reliable, 1 best effort; durability: 0 volatile,
                             // 1 transient, 2 persistent
  std::uint32_t history_mode = 0;  // history: 1 keep all, 0 keep last
  std::uint64_t value = 0;         // history depth, deadline or lifespan
};

struct TaskSetting {
  Text key;
  Text value;
};

struct Pattern {
  enum class Kind : std::uint8_t {
    LiteralPattern,
    BindingPattern,
    WildcardPattern,
    TuplePattern,
    SomePattern,
    NonePattern,
    OkPattern,
    ErrPattern,
  };
  Kind kind = Kind::WildcardPattern;
  const Expr* literal = nullptr;   // LiteralPattern
  Text name;                       // BindingPattern
  Seq<Pattern> elements;          // TuplePattern
  const Pattern* inner = nullptr;  // SomePattern, OkPattern, ErrPattern
};

struct MatchArm {
  Pattern pattern;
  const Expr* body = nullptr;
};

struct AsmOperand {
  Text reg;
  const Expr* expression = nullptr;
  std::uint8_t direction = 0;  // 0 in, 1 out, 2 inout, 3 lateout
};

// ---- Statements ----

struct Stmt {
  StmtKind kind;

  template <class T>
  const T* as() const {
    return kind == T::kKind ? static_cast<const T*>(this) : nullptr;
  }
};

#define QOSA_STMT(name) \
  struct name : Stmt {  \
    static constexpr StmtKind kKind = StmtKind::name;

QOSA_STMT(Let)
  Text name;
  const Expr* value;
};
QOSA_STMT(LetDestructure)
  Seq<Text> names;
  const Expr* value;
};
QOSA_STMT(Const)
  Text name;
  const Expr* value;
};
QOSA_STMT(Assign)
  Text name;
  const Expr* value;
};
QOSA_STMT(Return)
  const Expr* value;
};
QOSA_STMT(ExprStmt)
  const Expr* expression;
};
QOSA_STMT(Function)
  Text name;
  Seq<Text> generics;
  Seq<Param> params;
  std::optional<TypeRef> return_type;
  StmtList body;
};
QOSA_STMT(Module)
  Text name;
  StmtList body;
};
QOSA_STMT(While)
  const Expr* condition;
  StmtList body;
};
QOSA_STMT(For)
  Text variable;
  const Expr* iterable;
  StmtList body;
};
QOSA_STMT(If)
  const Expr* condition;
  StmtList then_body;
  const ElseBranch* else_part;  // null when there is none
};
QOSA_STMT(TryCatch)
  StmtList body;
  std::optional<Text> catch_variable;
  StmtList catch_body;
};
QOSA_STMT(Struct)
  Text name;
  Seq<StructField> fields;
};
QOSA_STMT(TypeAlias)
  Text name;
  TypeRef target;
};
QOSA_STMT(Region)
  Text name;
  std::optional<std::int64_t> size;
  StmtList body;
};
QOSA_STMT(Use)
  bool is_group;          // the tree: a plain path, or a group of items
  Seq<UseItem> items;    // the group's items
  Seq<Text> path;
  bool absolute;
  std::optional<Text> alias;
};
QOSA_STMT(Import)
  Text path;
  std::optional<Text> alias;
  std::optional<Seq<Text>> items;
};
QOSA_STMT(Export)
  Seq<ExportItem> items;
};
QOSA_STMT(Attributed)
  Text name;
  Seq<AttrArg> arguments;
  const Stmt* statement;
};
QOSA_STMT(Participant)
  std::optional<Text> name;
  const Expr* domain;
};
QOSA_STMT(Topic)
  Text name;
  TypeRef message_type;
  Seq<QosPolicy> policies;
};
QOSA_STMT(Publisher)
  Text name;
  Text topic;
  Seq<QosPolicy> policies;
};
QOSA_STMT(Subscriber)
  Text name;
  Text topic;
  Seq<QosPolicy> policies;
};
QOSA_STMT(UseHal)
  Seq<Text> path;
};
QOSA_STMT(TaskConfig)
  Text name;
  std::optional<std::uint64_t> stack_size;
  Seq<TaskSetting> settings;
  std::uint64_t period_value;
  std::uint8_t period_unit;  // 0 ns, 1 us, 2 ms, 3 s, 4 no period
  std::optional<std::uint8_t> priority;
};
QOSA_STMT(TaskMethod)
  Text type_name;
  Text method_name;
  Seq<Param> params;
  StmtList body;
};
QOSA_STMT(OnEvent)
  Text name;
  Seq<Param> params;
  StmtList body;
  std::optional<std::uint8_t> priority;
};
QOSA_STMT(Break)
};
QOSA_STMT(Continue)
};

#undef QOSA_STMT

// ---- Expressions ----

struct Expr {
  ExprKind kind;

  template <class T>
  const T* as() const {
    return kind == T::kKind ? static_cast<const T*>(this) : nullptr;
  }
};

#define QOSA_EXPR(name) \
  struct name : Expr {  \
    static constexpr ExprKind kKind = ExprKind::name;

QOSA_EXPR(Identifier)
  Text name;
};
QOSA_EXPR(Integer)
  std::int64_t value;
};
QOSA_EXPR(Float)
  double value;
};
QOSA_EXPR(Str)
  Text text;
};
QOSA_EXPR(Bool)
  bool value;
};
QOSA_EXPR(Null)
};
QOSA_EXPR(List)
  ExprList elements;
};
QOSA_EXPR(Index)
  const Expr* object;
  const Expr* index;
};
QOSA_EXPR(Unary)
  Operator op;
  const Expr* operand;
};
QOSA_EXPR(Binary)
  Operator op;
  const Expr* left;
  const Expr* right;
};
QOSA_EXPR(IfExpr)
  const Expr* condition;
  StmtList then_body;
  std::optional<StmtList> else_body;
};
QOSA_EXPR(Match)
  Seq<MatchArm> arms;
  const Expr* scrutinee;
};
QOSA_EXPR(Call)
  ExprList arguments;
  const Expr* callee;
};
QOSA_EXPR(New)
  Text type_name;
};
QOSA_EXPR(Move)
  const Expr* operand;
};
QOSA_EXPR(Share)
  const Expr* operand;
};
QOSA_EXPR(Change)
  const Expr* operand;
};
QOSA_EXPR(Tuple)
  ExprList elements;
};
QOSA_EXPR(SomeValue)
  const Expr* inner;
};
QOSA_EXPR(NoneValue)
};
QOSA_EXPR(OkValue)
  const Expr* inner;
};
QOSA_EXPR(ErrValue)
  const Expr* inner;
};
QOSA_EXPR(InlineAsm)
  Text templ;
  Seq<AsmOperand> operands;
  Text bytes;  // never filled by the parser
  std::uint8_t architecture;  // 0 x86_64, 1 arm64, 2 riscv
};
QOSA_EXPR(Panic)
  Text format;
  ExprList arguments;
  NodeSpan span;  // the panic word
};
QOSA_EXPR(Try)
  NodeSpan span;  // the "?" token
  const Expr* operand;
};
QOSA_EXPR(HardwareCall)
  Text peripheral;
  Text pin;
  Text method;
  ExprList arguments;
  std::optional<std::uint8_t> pin_number;
};
QOSA_EXPR(Range)
  const Expr* start;
  const Expr* end;
  bool inclusive;
};
QOSA_EXPR(Cast)
  TypeRef target;
  const Expr* value;
};
QOSA_EXPR(MethodCall)
  Text method;
  ExprList arguments;
  const Expr* receiver;
};
QOSA_EXPR(Emit)
  Text event_name;
  ExprList arguments;
};

#undef QOSA_EXPR

}  // namespace qosa::parser
