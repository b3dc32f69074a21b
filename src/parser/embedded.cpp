// Embedded, task and publish/subscribe statements: hardware use, participants,
// topics, publishers, subscribers, tasks, event handlers and emit.
#include <limits>

#include "parser/parser.h"

namespace qosa::parser {

using lexer::TokenKind;

namespace {

bool next_is_name(const Parser& parser, std::string_view text) {
  return next_is(parser, TokenKind::Identifier) && parser.next->text == text;
}


// The peripheral a hardware use names; empty when the token names none.
Text peripheral_name(const Parser& parser) {
  switch (parser.current_kind) {
    case TokenKind::Gpio:
    case TokenKind::GirisCikis:
      return "gpio";
    case TokenKind::Uart:
    case TokenKind::SeriIletisim:
      return "uart";
    case TokenKind::Spi:
    case TokenKind::Reserved178:
      return "spi";
    case TokenKind::I2c:
    case TokenKind::Reserved179:
      return "i2c";
    case TokenKind::Adc:
    case TokenKind::AnalogDijital:
      return "adc";
    case TokenKind::Dac:
    case TokenKind::DijitalAnalog:
      return "dac";
    case TokenKind::Timer:
    case TokenKind::Zamanlayici:
      return "timer";
    case TokenKind::Pwm:
    case TokenKind::DarbeGenislik:
      return "pwm";
    case TokenKind::Dma:
    case TokenKind::DogrudanBellek:
      return "dma";
    default:
      return {};
  }
}

// Policies after "konu", "yayıncı" and "abone" when the next token is "(";
// then the optional ";".
Seq<QosPolicy> trailing_policies(Parser& parser) {
  Seq<QosPolicy> policies;
  if (expect_next(parser, TokenKind::LeftParen)) policies = parse_qos(parser);
  skip_semicolon(parser);
  return policies;
}

enum PolicyKind : std::uint8_t { kReliability, kHistory, kDurability, kDeadline, kLifespan };

}  // namespace

const Stmt* parse_use_hal(Parser& parser) {
  Text first = current_is(parser, TokenKind::Hal) ? "hal" : "dsk";
  if (!expect_next(parser, TokenKind::PathSep)) return nullptr;
  advance(parser);
  Text peripheral = peripheral_name(parser);
  if (peripheral.empty()) {
    std::optional<Text> name = expect_identifier(parser);
    if (!name) return nullptr;
    peripheral = *name;
  }
  skip_semicolon(parser);
  const Text path[] = {first, peripheral};
  UseHal* stmt = make_node<UseHal>(parser);
  stmt->path = keep_list(parser, Seq<Text>(path));
  return stmt;
}

const Stmt* parse_participant(Parser& parser) {
  std::int64_t domain = 0;
  if (expect_next(parser, TokenKind::Integer)) domain = parser.current->integer;
  skip_semicolon(parser);
  Integer* value = make_node<Integer>(parser);
  value->value = domain;
  Participant* stmt = make_node<Participant>(parser);
  stmt->domain = value;
  return stmt;
}

const Stmt* parse_topic(Parser& parser) {
  advance(parser);
  std::optional<Text> name = expect_identifier(parser);
  if (!name) return nullptr;
  advance(parser);
  if (!expect(parser, TokenKind::Colon)) return nullptr;
  // Only a plain name: no type words, no generic arguments.
  std::optional<Text> message_type = expect_identifier(parser);
  if (!message_type) return nullptr;
  Seq<QosPolicy> policies = trailing_policies(parser);
  Topic* stmt = make_node<Topic>(parser);
  stmt->name = *name;
  stmt->message_type = TypeRef{*message_type, {}};
  stmt->policies = policies;
  return stmt;
}

const Stmt* parse_publisher(Parser& parser) {
  advance(parser);
  std::optional<Text> name = expect_identifier(parser);
  if (!name) return nullptr;
  advance(parser);
  // The arrow as one token; "-" and ">" apart do not count here.
  if (!expect(parser, TokenKind::Arrow)) return nullptr;
  std::optional<Text> topic = expect_identifier(parser);
  if (!topic) return nullptr;
  Seq<QosPolicy> policies = trailing_policies(parser);
  Publisher* stmt = make_node<Publisher>(parser);
  stmt->name = *name;
  stmt->topic = *topic;
  stmt->policies = policies;
  return stmt;
}

const Stmt* parse_subscriber(Parser& parser) {
  advance(parser);
  std::optional<Text> name = expect_identifier(parser);
  if (!name) return nullptr;
  advance(parser);
  if (current_is(parser, TokenKind::Less) && next_is(parser, TokenKind::Minus)) {
    advance(parser);
    advance(parser);
  } else if (!expect(parser, TokenKind::Arrow)) {
    return nullptr;
  }
  std::optional<Text> topic = expect_identifier(parser);
  if (!topic) return nullptr;
  Seq<QosPolicy> policies = trailing_policies(parser);
  Subscriber* stmt = make_node<Subscriber>(parser);
  stmt->name = *name;
  stmt->topic = *topic;
  stmt->policies = policies;
  return stmt;
}

Seq<QosPolicy> parse_qos(Parser& parser) {
  ListBuilder<QosPolicy> policies(parser, parser.scratch.policies);
  if (!expect(parser, TokenKind::LeftParen)) return {};
  while (!current_is(parser, TokenKind::RightParen) && !current_is(parser, TokenKind::Eof)) {
    QosPolicy policy;
    bool valued = false;  // history, deadline, lifespan: "=" and an integer may follow
    bool known = true;
    switch (parser.current_kind) {
      case TokenKind::Guvenilir:
      case TokenKind::Reliable:
        policy = {kReliability, 0, 0, 0};
        break;
      case TokenKind::ElindenGelen:
      case TokenKind::BestEffort:
        policy = {kReliability, 1, 0, 0};
        break;
      case TokenKind::Gecici:
      case TokenKind::Volatile:
        policy = {kDurability, 0, 0, 0};
        break;
      case TokenKind::Kalici:
      case TokenKind::Transient:
        policy = {kDurability, 1, 0, 0};
        break;
      case TokenKind::Surekli:
      case TokenKind::Persistent:
        policy = {kDurability, 2, 0, 0};
        break;
      case TokenKind::Gecmis:
      case TokenKind::History:
        policy = {kHistory, 0, 1, 0};  // keep all unless "=" follows
        valued = true;
        break;
      case TokenKind::SureSiniri:
      case TokenKind::Deadline:
        policy = {kDeadline, 0, 0, 0};
        valued = true;
        break;
      case TokenKind::Omur:
      case TokenKind::Lifespan:
        policy = {kLifespan, 0, 0, 0};
        valued = true;
        break;
      default:
        known = false;
        break;
    }
    advance(parser);
    if (valued && expect(parser, TokenKind::Assign)) {
      std::optional<std::uint64_t> value;
      if (current_is(parser, TokenKind::Integer)) {
        value = static_cast<std::uint64_t>(parser.current->integer);
        advance(parser);
      }
      if (policy.kind == kHistory) {
        // Keep last: the depth written, to 32 bits, or 1 when it is no integer.
        policy.history_mode = 0;
        policy.value = value ? static_cast<std::uint32_t>(*value) : 1;
      } else {
        policy.value = value.value_or(0);
      }
    }
    if (known) policies.push(policy);
    if (current_is(parser, TokenKind::Comma)) advance(parser);
  }
  return policies.finish(*parser.arena);
}

namespace {

// Truncates toward zero; values past the range give the nearest end, and
// NaN gives 0, so no input makes the conversion undefined.
std::uint64_t saturating_to_u64(double value) {
  if (!(value > 0.0)) return 0;
  constexpr double kTwoTo64 = 18446744073709551616.0;
  if (value >= kTwoTo64) return std::numeric_limits<std::uint64_t>::max();
  return static_cast<std::uint64_t>(value);
}

// Entered on the type's name `type_name`, with "." next.
const Stmt* parse_task_method(Parser& parser, Text type_name) {
  advance(parser);
  advance(parser);
  std::optional<Text> method_name = expect_identifier(parser);
  if (!method_name) return nullptr;
  if (!expect_next(parser, TokenKind::LeftParen)) return nullptr;
  std::optional<Seq<Param>> params = parse_params(parser);
  if (!params) return nullptr;
  if (!expect_next(parser, TokenKind::LeftBrace)) return nullptr;
  StmtList body = parse_block(parser);
  TaskMethod* stmt = make_node<TaskMethod>(parser);
  stmt->type_name = type_name;
  stmt->method_name = *method_name;
  stmt->params = *params;
  stmt->body = body;
  return stmt;
}

// The unit the next token names: 0 ns, 1 us, 2 ms, 3 s.
std::optional<std::uint8_t> period_unit_after(const Parser& parser) {
  if (next_is_name(parser, "ns")) return 0;
  switch (parser.next_kind) {
    case TokenKind::Us:
      return 1;
    case TokenKind::Ms:
      return 2;
    case TokenKind::S:
      return 3;
    default:
      return std::nullopt;
  }
}

// On "priority", "stack" or "period": steps past the word and its ":".
bool setting_colon(Parser& parser) {
  advance(parser);
  return expect(parser, TokenKind::Colon);
}

}  // namespace

const Stmt* parse_task(Parser& parser) {
  advance(parser);
  std::optional<Text> name = expect_identifier(parser);
  if (!name) return nullptr;
  if (next_is(parser, TokenKind::Dot)) return parse_task_method(parser, *name);
  if (!expect_next(parser, TokenKind::LeftBrace)) return nullptr;
  advance(parser);

  ListBuilder<TaskSetting> settings(parser, parser.scratch.settings);
  std::optional<std::uint64_t> stack_size;
  std::optional<std::uint8_t> priority;
  std::uint64_t period_value = 0;
  std::uint8_t period_unit = 4;  // no period
  // Entries that do not fit are stepped over; a later entry replaces an earlier one.
  while (!current_is(parser, TokenKind::RightBrace) && !current_is(parser, TokenKind::Eof)) {
    switch (parser.current_kind) {
      case TokenKind::Priority:
      case TokenKind::Oncelik:
        if (!setting_colon(parser)) return nullptr;
        if (current_is(parser, TokenKind::Integer)) {
          priority = static_cast<std::uint8_t>(static_cast<std::uint64_t>(parser.current->integer));
        }
        advance(parser);
        break;
      case TokenKind::Stack:
      case TokenKind::Yigin:
        if (!setting_colon(parser)) return nullptr;
        if (current_is(parser, TokenKind::Integer)) {
          std::uint64_t size = static_cast<std::uint64_t>(parser.current->integer);
          if (next_is(parser, TokenKind::Kb) || next_is_name(parser, "kb")) {
            advance(parser);
            size <<= 10;
          } else if (next_is_name(parser, "MB") || next_is_name(parser, "mb")) {
            advance(parser);
            size <<= 20;
          }
          stack_size = size;
        } else {
          stack_size.reset();
        }
        advance(parser);
        break;
      case TokenKind::Period:
      case TokenKind::Periyot: {
        if (!setting_colon(parser)) return nullptr;
        if (current_is(parser, TokenKind::Float) || current_is(parser, TokenKind::Integer)) {
          period_value = current_is(parser, TokenKind::Float)
                             ? saturating_to_u64(parser.current->floating)
                             : static_cast<std::uint64_t>(parser.current->integer);
          std::optional<std::uint8_t> unit = period_unit_after(parser);
          period_unit = unit.value_or(2);  // milliseconds unless a unit word follows
          if (unit) advance(parser);
        } else {
          period_value = 0;
          period_unit = 4;  // no period
        }
        advance(parser);
        break;
      }
      case TokenKind::Identifier: {
        Text key = keep_text(parser, parser.current->text);
        advance(parser);
        if (expect(parser, TokenKind::Colon)) {
          if (std::optional<Text> value = expect_identifier(parser)) settings.push(TaskSetting{key, *value});
        }
        advance(parser);
        break;
      }
      default:
        advance(parser);
        break;
    }
  }

  TaskConfig* stmt = make_node<TaskConfig>(parser);
  stmt->name = *name;
  stmt->stack_size = stack_size;
  stmt->settings = settings.finish(*parser.arena);
  stmt->period_value = period_value;
  stmt->period_unit = period_unit;
  stmt->priority = priority;
  return stmt;
}

const Stmt* parse_on_event(Parser& parser) {
  advance(parser);
  std::optional<Text> name = expect_identifier(parser);
  if (!name) return nullptr;
  if (!expect_next(parser, TokenKind::LeftParen)) return nullptr;
  std::optional<Seq<Param>> params = parse_params(parser);
  if (!params) return nullptr;
  std::optional<std::uint8_t> priority;
  if (next_is(parser, TokenKind::Priority) || next_is(parser, TokenKind::Oncelik)) {
    // No ":" here; a word that is no integer is consumed with the keyword.
    advance(parser);
    advance(parser);
    if (current_is(parser, TokenKind::Integer)) {
      priority = static_cast<std::uint8_t>(static_cast<std::uint64_t>(parser.current->integer));
    }
  }
  if (!expect_next(parser, TokenKind::LeftBrace)) return nullptr;
  StmtList body = parse_block(parser);
  OnEvent* stmt = make_node<OnEvent>(parser);
  stmt->name = *name;
  stmt->params = *params;
  stmt->body = body;
  stmt->priority = priority;
  return stmt;
}

const Stmt* parse_emit(Parser& parser) {
  advance(parser);
  std::optional<Text> event_name = expect_identifier(parser);
  if (!event_name) return nullptr;
  ListBuilder<const Expr*> arguments(parser, parser.scratch.exprs);
  if (expect_next(parser, TokenKind::LeftParen)) {
    advance(parser);
    while (!current_is(parser, TokenKind::RightParen) && !current_is(parser, TokenKind::Eof)) {
      // A failed argument is dropped and reading goes on from where it stopped.
      if (const Expr* argument = parse_expression(parser, 0)) arguments.push(argument);
      if (!expect_next(parser, TokenKind::Comma)) break;
      advance(parser);
    }
    if (next_is(parser, TokenKind::RightParen)) advance(parser);
  }
  Emit* emit = make_node<Emit>(parser);
  emit->event_name = *event_name;
  emit->arguments = arguments.finish(*parser.arena);
  ExprStmt* stmt = make_node<ExprStmt>(parser);
  stmt->expression = emit;
  return stmt;
}

}  // namespace qosa::parser
