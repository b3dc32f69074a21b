// The method table: one row per request and per notification the server
// serves, found by the exact method name. A request row converts the params
// into its record, finds the document they name, calls its feature and
// writes the feature's result; a notification row changes the documents.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <boost/json/value.hpp>

#include "lsp/protocol.h"
#include "lsp/rpc.h"
#include "lsp/streams.h"
#include "server/server.h"

namespace qosa::lsp {

// Answers a request; only request rows are found (a notification's name
// sent with an id is a method not found). Reads the open documents; only
// what the features keep beside them may change.
Answer handle_request(std::optional<boost::json::value> params, std::string_view method, Server& server);

// What a notification row works with besides the notification.
struct NotificationContext {
  Server& server;
  OutputBuffer& out;  // where diagnostics are published
  Log& log;
  // Memory for the next text that didOpen or didChange brings: the text a
  // didChange replaced, so that a warm server unescapes each new text into
  // memory it already has.
  std::string& spare_text;
};

// Handles a notification, logging it and what it did; only notification rows
// are found. True when the notification was "exit".
bool handle_notification(RpcNotification& notification, NotificationContext& context);

}  // namespace qosa::lsp
