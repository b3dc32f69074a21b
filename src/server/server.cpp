#include "server/server.h"

#include <string>

#include "lsp/protocol.h"
#include "lsp/transport.h"
#include "server/dispatch.h"

namespace qosa::lsp {

namespace {

// What the loop works with while it runs.
struct Session {
  Server& server;
  InputBuffer in;
  OutputBuffer out;
  Log log;
  std::string spare_text;  // see NotificationContext
};

std::expected<void, IoError> send_response(Session& s, RpcRequest& request) {
  s.log.line("İstek alındı: " + request.method);
  auto answer = handle_request(std::move(request.params), request.method, s.server);
  RpcResponse response{"2.0", std::move(request.id), std::nullopt, std::nullopt};
  if (answer) {
    response.result = std::move(*answer);
  } else {
    response.error = std::move(answer.error());
  }
  return write_message(s.out, to_json_text(response));
}

}  // namespace

std::expected<RunEnd, IoError> run(Server& server, ByteReader& input, ByteWriter& output,
                                   ByteWriter& log) {
  Session s{server, InputBuffer(input), OutputBuffer(output), Log(log)};
  s.log.line("QOSA Language Server başlatıldı...");
  for (;;) {
    auto message = read_message(s.in, s.spare_text);
    if (!message) {
      (void)s.out.flush();
      return std::unexpected(std::move(message.error()));
    }
    if (!*message) {
      s.log.line("EOF alındı, sunucu kapatılıyor...");
      (void)s.out.flush();
      return RunEnd::end_of_input;
    }
    if (auto* request = std::get_if<RpcRequest>(&**message)) {
      if (auto sent = send_response(s, *request); !sent) {
        (void)s.out.flush();
        return std::unexpected(std::move(sent.error()));
      }
    } else {
      NotificationContext context{s.server, s.out, s.log, s.spare_text};
      if (handle_notification(std::get<RpcNotification>(**message), context)) return RunEnd::exit_notification;
    }
  }
}

}  // namespace qosa::lsp
