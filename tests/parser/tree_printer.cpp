// Forms: statement lists in braces {s1 s2}; expressions as (operator operands);
// names, integers and the literals true, false, null, None bare; strings in
// double quotes; types as Name<Arg,Arg>; parameters as [name:type name].
#include "tree_printer.h"

#include <charconv>

#include "parser/source.h"

namespace qosa::parser {
namespace {

class Printer {
 public:
  std::string out;

  void text(std::string_view s) { out += s; }
  void space() { out += ' '; }

  void quoted(std::string_view s) {
    out += '"';
    for (char c : s) {
      switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\0': out += "\\0"; break;
        default: out += c;
      }
    }
    out += '"';
  }

  void number(std::int64_t v) { out += std::to_string(v); }
  void unsigned_number(std::uint64_t v) { out += std::to_string(v); }

  void floating(double v) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    out.append(buffer, end);
  }

  void span(const NodeSpan& s) {
    out += " @";
    unsigned_number(s.line);
    out += ':';
    unsigned_number(s.column);
  }

  void type(const TypeRef& t) {
    text(t.name);
    if (t.arguments.empty()) return;
    out += '<';
    for (std::size_t i = 0; i < t.arguments.size(); ++i) {
      if (i > 0) out += ',';
      type(t.arguments[i]);
    }
    out += '>';
  }

  void params(Seq<Param> ps) {
    out += '[';
    for (std::size_t i = 0; i < ps.size(); ++i) {
      if (i > 0) space();
      text(ps[i].name);
      if (ps[i].type) {
        out += ':';
        type(*ps[i].type);
      }
    }
    out += ']';
  }

  void names(Seq<Text> ns, std::string_view separator) {
    for (std::size_t i = 0; i < ns.size(); ++i) {
      if (i > 0) text(separator);
      text(ns[i]);
    }
  }

  void block(StmtList list) {
    out += '{';
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (i > 0) space();
      stmt(*list[i]);
    }
    out += '}';
  }

  void exprs(ExprList list) {
    for (const Expr* e : list) {
      space();
      expr(*e);
    }
  }

  void policies(Seq<QosPolicy> list) {
    out += " [";
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (i > 0) space();
      const QosPolicy& p = list[i];
      switch (p.kind) {
        case 0: text(p.variant == 0 ? "reliable" : "best-effort"); break;
        case 1:
          if (p.history_mode == 1) {
            text("history-all");
          } else {
            text("history=");
            unsigned_number(p.value);
          }
          break;
        case 2: text(p.variant == 0 ? "volatile" : p.variant == 1 ? "transient" : "persistent"); break;
        case 3: text("deadline="); unsigned_number(p.value); break;
        case 4: text("lifespan="); unsigned_number(p.value); break;
        default: text("policy?"); break;
      }
    }
    out += ']';
  }

  void attr_args(Seq<AttrArg> args) {
    out += '[';
    for (std::size_t i = 0; i < args.size(); ++i) {
      if (i > 0) space();
      const AttrArg& a = args[i];
      text(a.name);
      if (a.kind == AttrArg::Kind::KeyValue) {
        out += '=';
        quoted(a.value);
      } else if (a.kind == AttrArg::Kind::Nested) {
        attr_args(a.nested);
      }
    }
    out += ']';
  }

  void pattern(const Pattern& p) {
    switch (p.kind) {
      case Pattern::Kind::LiteralPattern: expr(*p.literal); break;
      case Pattern::Kind::BindingPattern: text(p.name); break;
      case Pattern::Kind::WildcardPattern: text("_"); break;
      case Pattern::Kind::NonePattern: text("None"); break;
      case Pattern::Kind::TuplePattern:
        text("(tuple");
        for (const Pattern& e : p.elements) {
          space();
          pattern(e);
        }
        out += ')';
        break;
      case Pattern::Kind::SomePattern:
      case Pattern::Kind::OkPattern:
      case Pattern::Kind::ErrPattern:
        text(p.kind == Pattern::Kind::SomePattern ? "(Some "
             : p.kind == Pattern::Kind::OkPattern ? "(Ok "
                                                   : "(Err ");
        pattern(*p.inner);
        out += ')';
        break;
    }
  }

  void if_stmt(const If& s) {
    text("(if ");
    expr(*s.condition);
    space();
    block(s.then_body);
    if (s.else_part != nullptr) {
      text(" else ");
      if (s.else_part->kind == ElseBranch::Kind::Block) {
        block(s.else_part->block);
      } else {
        if_stmt(*s.else_part->else_if);
      }
    }
    out += ')';
  }

  void stmt(const Stmt& s) {
    switch (s.kind) {
      case StmtKind::Let: {
        auto& n = static_cast<const Let&>(s);
        text("(let "), text(n.name), space(), expr(*n.value), out += ')';
        break;
      }
      case StmtKind::LetDestructure: {
        auto& n = static_cast<const LetDestructure&>(s);
        text("(let ["), names(n.names, " "), text("] "), expr(*n.value), out += ')';
        break;
      }
      case StmtKind::Const: {
        auto& n = static_cast<const Const&>(s);
        text("(const "), text(n.name), space(), expr(*n.value), out += ')';
        break;
      }
      case StmtKind::Assign: {
        auto& n = static_cast<const Assign&>(s);
        text("(assign "), text(n.name), space(), expr(*n.value), out += ')';
        break;
      }
      case StmtKind::Return: {
        auto& n = static_cast<const Return&>(s);
        text("(return "), expr(*n.value), out += ')';
        break;
      }
      case StmtKind::ExprStmt: {
        auto& n = static_cast<const ExprStmt&>(s);
        text("(expr "), expr(*n.expression), out += ')';
        break;
      }
      case StmtKind::Function: {
        auto& n = static_cast<const Function&>(s);
        text("(fn "), text(n.name);
        if (!n.generics.empty()) text(" <"), names(n.generics, " "), out += '>';
        space(), params(n.params);
        if (n.return_type) text(" -> "), type(*n.return_type);
        space(), block(n.body), out += ')';
        break;
      }
      case StmtKind::Module: {
        auto& n = static_cast<const Module&>(s);
        text("(module "), text(n.name), space(), block(n.body), out += ')';
        break;
      }
      case StmtKind::While: {
        auto& n = static_cast<const While&>(s);
        text("(while "), expr(*n.condition), space(), block(n.body), out += ')';
        break;
      }
      case StmtKind::For: {
        auto& n = static_cast<const For&>(s);
        text("(for "), text(n.variable), space(), expr(*n.iterable), space(), block(n.body);
        out += ')';
        break;
      }
      case StmtKind::If:
        if_stmt(static_cast<const If&>(s));
        break;
      case StmtKind::TryCatch: {
        auto& n = static_cast<const TryCatch&>(s);
        text("(try "), block(n.body), text(" catch ");
        if (n.catch_variable) text(*n.catch_variable), space();
        block(n.catch_body), out += ')';
        break;
      }
      case StmtKind::Struct: {
        auto& n = static_cast<const Struct&>(s);
        text("(struct "), text(n.name), text(" [");
        for (std::size_t i = 0; i < n.fields.size(); ++i) {
          if (i > 0) space();
          text(n.fields[i].name), out += ':', type(n.fields[i].type);
        }
        text("])");
        break;
      }
      case StmtKind::TypeAlias: {
        auto& n = static_cast<const TypeAlias&>(s);
        text("(type "), text(n.name), space(), type(n.target), out += ')';
        break;
      }
      case StmtKind::Region: {
        auto& n = static_cast<const Region&>(s);
        text("(region "), text(n.name), space();
        if (n.size) number(*n.size), space();
        block(n.body), out += ')';
        break;
      }
      case StmtKind::Use: {
        auto& n = static_cast<const Use&>(s);
        text("(use ");
        if (n.absolute) text("::");
        names(n.path, "::");
        if (n.is_group) {
          text(" {");
          for (std::size_t i = 0; i < n.items.size(); ++i) {
            if (i > 0) space();
            text(n.items[i].name);
            if (n.items[i].alias) text(" as "), text(*n.items[i].alias);
          }
          out += '}';
        }
        if (n.alias) text(" as "), text(*n.alias);
        out += ')';
        break;
      }
      case StmtKind::Import: {
        auto& n = static_cast<const Import&>(s);
        text("(import "), quoted(n.path);
        if (n.alias) text(" as "), text(*n.alias);
        if (n.items) text(" ["), names(*n.items, " "), out += ']';
        out += ')';
        break;
      }
      case StmtKind::Export: {
        auto& n = static_cast<const Export&>(s);
        text("(export");
        for (const ExportItem& item : n.items) {
          space();
          switch (item.kind) {
            case ExportItem::Kind::Function: text("fn:"); break;
            case ExportItem::Kind::Struct: text("struct:"); break;
            case ExportItem::Kind::Const: text("const:"); break;
            case ExportItem::Kind::Module: text("module:"); break;
            case ExportItem::Kind::All: text("*"); break;
          }
          text(item.name);
        }
        out += ')';
        break;
      }
      case StmtKind::Attributed: {
        auto& n = static_cast<const Attributed&>(s);
        text("(#"), text(n.name);
        if (!n.arguments.empty()) space(), attr_args(n.arguments);
        space(), stmt(*n.statement), out += ')';
        break;
      }
      case StmtKind::Participant: {
        auto& n = static_cast<const Participant&>(s);
        text("(participant ");
        if (n.name) text(*n.name), space();
        expr(*n.domain), out += ')';
        break;
      }
      case StmtKind::Topic: {
        auto& n = static_cast<const Topic&>(s);
        text("(topic "), text(n.name), space(), type(n.message_type), policies(n.policies);
        out += ')';
        break;
      }
      case StmtKind::Publisher: {
        auto& n = static_cast<const Publisher&>(s);
        text("(publisher "), text(n.name), space(), text(n.topic), policies(n.policies);
        out += ')';
        break;
      }
      case StmtKind::Subscriber: {
        auto& n = static_cast<const Subscriber&>(s);
        text("(subscriber "), text(n.name), space(), text(n.topic), policies(n.policies);
        out += ')';
        break;
      }
      case StmtKind::UseHal: {
        auto& n = static_cast<const UseHal&>(s);
        text("(use-hal "), names(n.path, " "), out += ')';
        break;
      }
      case StmtKind::TaskConfig: {
        auto& n = static_cast<const TaskConfig&>(s);
        text("(task "), text(n.name);
        if (n.stack_size) text(" stack="), unsigned_number(*n.stack_size);
        if (n.period_unit <= 3) {
          static constexpr std::string_view kUnits[] = {"ns", "us", "ms", "s"};
          text(" period="), unsigned_number(n.period_value), text(kUnits[n.period_unit]);
        }
        if (n.priority) text(" priority="), unsigned_number(*n.priority);
        if (!n.settings.empty()) {
          text(" [");
          for (std::size_t i = 0; i < n.settings.size(); ++i) {
            if (i > 0) space();
            text(n.settings[i].key), out += '=', text(n.settings[i].value);
          }
          out += ']';
        }
        out += ')';
        break;
      }
      case StmtKind::TaskMethod: {
        auto& n = static_cast<const TaskMethod&>(s);
        text("(task-method "), text(n.type_name), space(), text(n.method_name), space();
        params(n.params), space(), block(n.body), out += ')';
        break;
      }
      case StmtKind::OnEvent: {
        auto& n = static_cast<const OnEvent&>(s);
        text("(on "), text(n.name), space(), params(n.params);
        if (n.priority) text(" priority="), unsigned_number(*n.priority);
        space(), block(n.body), out += ')';
        break;
      }
      case StmtKind::Break:
        text("(break)");
        break;
      case StmtKind::Continue:
        text("(continue)");
        break;
    }
  }

  void expr(const Expr& e) {
    switch (e.kind) {
      case ExprKind::Identifier:
        text(static_cast<const Identifier&>(e).name);
        break;
      case ExprKind::Integer:
        number(static_cast<const Integer&>(e).value);
        break;
      case ExprKind::Float:
        text("(float "), floating(static_cast<const Float&>(e).value), out += ')';
        break;
      case ExprKind::Str:
        quoted(static_cast<const Str&>(e).text);
        break;
      case ExprKind::Bool:
        text(static_cast<const Bool&>(e).value ? "true" : "false");
        break;
      case ExprKind::Null:
        text("null");
        break;
      case ExprKind::List: {
        auto& n = static_cast<const List&>(e);
        out += '[';
        for (std::size_t i = 0; i < n.elements.size(); ++i) {
          if (i > 0) space();
          expr(*n.elements[i]);
        }
        out += ']';
        break;
      }
      case ExprKind::Index: {
        auto& n = static_cast<const Index&>(e);
        text("(index "), expr(*n.object), space(), expr(*n.index), out += ')';
        break;
      }
      case ExprKind::Unary: {
        auto& n = static_cast<const Unary&>(e);
        out += '(', text(operator_text(n.op)), space(), expr(*n.operand), out += ')';
        break;
      }
      case ExprKind::Binary: {
        auto& n = static_cast<const Binary&>(e);
        out += '(', text(operator_text(n.op)), space(), expr(*n.left), space();
        expr(*n.right), out += ')';
        break;
      }
      case ExprKind::IfExpr: {
        auto& n = static_cast<const IfExpr&>(e);
        text("(if-expr "), expr(*n.condition), space(), block(n.then_body);
        if (n.else_body) text(" else "), block(*n.else_body);
        out += ')';
        break;
      }
      case ExprKind::Match: {
        auto& n = static_cast<const Match&>(e);
        text("(match "), expr(*n.scrutinee);
        for (const MatchArm& arm : n.arms) {
          text(" (case "), pattern(arm.pattern), space(), expr(*arm.body), out += ')';
        }
        out += ')';
        break;
      }
      case ExprKind::Call: {
        auto& n = static_cast<const Call&>(e);
        text("(call "), expr(*n.callee), exprs(n.arguments), out += ')';
        break;
      }
      case ExprKind::New:
        text("(new "), text(static_cast<const New&>(e).type_name), out += ')';
        break;
      case ExprKind::Move:
        text("(move "), expr(*static_cast<const Move&>(e).operand), out += ')';
        break;
      case ExprKind::Share:
        text("(share "), expr(*static_cast<const Share&>(e).operand), out += ')';
        break;
      case ExprKind::Change:
        text("(change "), expr(*static_cast<const Change&>(e).operand), out += ')';
        break;
      case ExprKind::Tuple:
        text("(tuple"), exprs(static_cast<const Tuple&>(e).elements), out += ')';
        break;
      case ExprKind::SomeValue:
        text("(Some "), expr(*static_cast<const SomeValue&>(e).inner), out += ')';
        break;
      case ExprKind::NoneValue:
        text("None");
        break;
      case ExprKind::OkValue:
        text("(Ok "), expr(*static_cast<const OkValue&>(e).inner), out += ')';
        break;
      case ExprKind::ErrValue:
        text("(Err "), expr(*static_cast<const ErrValue&>(e).inner), out += ')';
        break;
      case ExprKind::InlineAsm: {
        auto& n = static_cast<const InlineAsm&>(e);
        static constexpr std::string_view kArch[] = {"x86_64", "arm64", "riscv"};
        static constexpr std::string_view kDirection[] = {"in", "out", "inout", "lateout"};
        text("(asm "), text(n.architecture < 3 ? kArch[n.architecture] : "?"), space();
        quoted(n.templ);
        for (const AsmOperand& op : n.operands) {
          text(" ("), text(op.direction < 4 ? kDirection[op.direction] : "?"), space();
          text(op.reg), space(), expr(*op.expression), out += ')';
        }
        out += ')';
        break;
      }
      case ExprKind::Panic: {
        auto& n = static_cast<const Panic&>(e);
        text("(panic "), quoted(n.format), exprs(n.arguments), span(n.span), out += ')';
        break;
      }
      case ExprKind::Try: {
        auto& n = static_cast<const Try&>(e);
        text("(? "), expr(*n.operand), span(n.span), out += ')';
        break;
      }
      case ExprKind::HardwareCall: {
        auto& n = static_cast<const HardwareCall&>(e);
        text("(hw "), text(n.peripheral), space(), text(n.pin), space();
        if (n.pin_number) {
          unsigned_number(*n.pin_number);
        } else {
          out += '-';
        }
        space(), text(n.method), exprs(n.arguments), out += ')';
        break;
      }
      case ExprKind::Range: {
        auto& n = static_cast<const Range&>(e);
        text(n.inclusive ? "(..= " : "(.. "), expr(*n.start), space(), expr(*n.end), out += ')';
        break;
      }
      case ExprKind::Cast: {
        auto& n = static_cast<const Cast&>(e);
        text("(as "), type(n.target), space(), expr(*n.value), out += ')';
        break;
      }
      case ExprKind::MethodCall: {
        auto& n = static_cast<const MethodCall&>(e);
        text("(method "), expr(*n.receiver), space(), text(n.method), exprs(n.arguments);
        out += ')';
        break;
      }
      case ExprKind::Emit: {
        auto& n = static_cast<const Emit&>(e);
        text("(emit "), text(n.event_name), exprs(n.arguments), out += ')';
        break;
      }
    }
  }
};

}  // namespace

std::string print_stmt(const Stmt& stmt) {
  Printer p;
  p.stmt(stmt);
  return p.out;
}

std::string print_expr(const Expr& expr) {
  Printer p;
  p.expr(expr);
  return p.out;
}

std::string print_type(const TypeRef& type) {
  Printer p;
  p.type(type);
  return p.out;
}

std::string print_pattern(const Pattern& pattern) {
  Printer p;
  p.pattern(pattern);
  return p.out;
}

std::vector<std::string> parse_and_print(std::string_view text) {
  ParseResult result = parse_source(text);
  std::vector<std::string> lines;
  for (const Stmt* stmt : result.statements) lines.push_back(print_stmt(*stmt));
  return lines;
}

std::string parse_to_text(std::string_view text) {
  std::string joined;
  for (const std::string& line : parse_and_print(text)) {
    if (!joined.empty()) joined += '\n';
    joined += line;
  }
  return joined;
}

}  // namespace qosa::parser
