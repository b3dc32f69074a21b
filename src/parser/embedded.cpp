// Embedded, task and publish/subscribe statements: hardware use, participants,
// topics, publishers, subscribers, tasks, event handlers and emit.
// Not read yet: each reader yields nothing and consumes no token.
#include "parser/parser.h"

namespace qosa::parser {

const Stmt* parse_use_hal(Parser&) { return nullptr; }
const Stmt* parse_participant(Parser&) { return nullptr; }
const Stmt* parse_topic(Parser&) { return nullptr; }
const Stmt* parse_publisher(Parser&) { return nullptr; }
const Stmt* parse_subscriber(Parser&) { return nullptr; }
const Stmt* parse_task(Parser&) { return nullptr; }
const Stmt* parse_on_event(Parser&) { return nullptr; }
const Stmt* parse_emit(Parser&) { return nullptr; }
Seq<QosPolicy> parse_qos(Parser&) { return {}; }

}  // namespace qosa::parser
