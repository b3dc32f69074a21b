#include "lsp/transport.h"

#include <gtest/gtest.h>

#include <string>

#include "support/json.h"
#include "common/test_streams.h"

namespace qosa::lsp {
namespace {

using testing::frame;
using testing::StringReader;
using testing::StringWriter;

constexpr std::string_view note = R"(["2.0","m",null])";  // 16 bytes, a notification

// What one read_message gives, as text: "method m", "request m id=...",
// "end", or "error: ...".
std::string read_one(std::string input, std::size_t chunk = 1 << 20) {
  StringReader reader(std::move(input), chunk);
  InputBuffer in(reader);
  auto message = read_message(in);
  if (!message) return "error: " + message.error().message;
  if (!*message) return "end";
  if (auto* r = std::get_if<RpcRequest>(&**message)) {
    return "request " + r->method + " id=" + support::to_json_text(r->id);
  }
  const auto& n = std::get<RpcNotification>(**message);
  return "notification " + n.method +
         (n.params ? " params=" + support::to_json_text(*n.params) : std::string());
}

struct Case {
  std::string input;
  std::string expected;
};

TEST(ReadMessage, HeaderRules) {
  const std::string body(note);
  const Case cases[] = {
      {"Content-Length: 16\r\n\r\n" + body, "notification m"},
      {"Content-Length:16\r\n\r\n" + body, "notification m"},
      {"Content-Length:   +16  \r\n\r\n" + body, "notification m"},
      {"   Content-Length: 16\r\n\r\n" + body, "notification m"},
      {"Content-Length: 16\n\n" + body, "notification m"},
      {"Content-Type: application/vscode-jsonrpc\r\nContent-Length: 16\r\n\r\n" + body,
       "notification m"},
      {"Content-Length: 3\r\nContent-Length: 16\r\n\r\n" + body, "notification m"},
      // Unicode white space counts as blank too.
      {"Content-Length:\u00a016\u2003\r\n\r\n" + body, "notification m"},
      {"content-length: 16\r\n\r\n" + body, "error: Missing Content-Length header"},
      {"Content-Length : 16\r\n\r\n" + body, "error: Missing Content-Length header"},
      {"Content-Length: 16\r\nContent-Length: abc\r\n\r\n" + body,
       "error: Missing Content-Length header"},
      {"Content-Length: \r\n\r\n" + body, "error: Missing Content-Length header"},
      {"Content-Length: +\r\n\r\n" + body, "error: Missing Content-Length header"},
      {"Content-Length: ++16\r\n\r\n" + body, "error: Missing Content-Length header"},
      {"Content-Length: -16\r\n\r\n" + body, "error: Missing Content-Length header"},
      {"Content-Length: 1 6\r\n\r\n" + body, "error: Missing Content-Length header"},
      {"Content-Length: 18446744073709551616\r\n\r\n" + body, "error: Missing Content-Length header"},
      {"\r\nContent-Length: 16\r\n\r\n" + body, "error: Missing Content-Length header"},
      {"Content-Length: \xff\r\n\r\n" + body, "error: stream did not contain valid UTF-8"},
      {"", "end"},
      {"Content-Length: 16\r\n", "end"},
      {"Content-Length: 16", "end"},
      {"Content-Length: 16\r\n\r\n[\"2.0\"", "error: failed to fill whole buffer"},
      {"Content-Length: 18446744073709551615\r\n\r\nabc", "error: failed to fill whole buffer"},
  };
  for (const auto& c : cases) EXPECT_EQ(read_one(c.input), c.expected) << c.input;
}

TEST(ReadMessage, BodyErrors) {
  const Case cases[] = {
      {"", "error: Invalid JSON: incomplete JSON at line 1 column 1"},
      {std::string(note) + " \r\n\t", "notification m"},
      {std::string(note) + " x", "error: Invalid JSON: extra data at line 1 column 18"},
      {"{\n  \"a\": tru}", "error: Invalid JSON: syntax error at line 2 column 8"},
      {"[\"2.0\",\"m\",\"\\ud800\"]", "error: Invalid JSON: syntax error at line 1 column 19"},
      {"[\"2.0\",\"m\",\"\\udc00x\"]", "error: Invalid JSON: illegal trailing surrogate at line 1 column 19"},
      {"[\"2.0\",\"m\",\"\\ud83d\\ude00\"]", "notification m params=\"\xF0\x9F\x98\x80\""},
      {"[\"\xC3\xA7\xFF\"]", "error: Invalid UTF-8: invalid utf-8 sequence of 1 bytes from index 4"},
      {"[\"\xE2\x82", "error: Invalid UTF-8: incomplete utf-8 byte sequence from index 2"},
  };
  for (const auto& c : cases) EXPECT_EQ(read_one(frame(c.input)), c.expected) << c.input;
}

TEST(ReadMessage, NestingOf127IsReadAnd128Fails) {
  auto nested = [](int depth) {
    return "[\"2.0\",\"m\"," + std::string(depth - 1, '[') + std::string(depth - 1, ']') + "]";
  };
  EXPECT_EQ(read_one(frame(nested(127))).substr(0, 14), "notification m");
  EXPECT_EQ(read_one(frame(nested(128))), "error: Invalid JSON: too deep at line 1 column 138");
}

TEST(ReadMessage, ConversionErrors) {
  const Case cases[] = {
      {R"({"jsonrpc":"1.0","id":"x","method":"m"})", "request m id=\"x\""},
      {R"({"jsonrpc":"2.0","id":null,"method":"m"})", "request m id=null"},
      {R"({"jsonrpc":"2.0","id":18446744073709551615,"method":"m"})",
       "request m id=18446744073709551615"},
      {R"({"jsonrpc":"2.0","id":1,"result":null})", "error: Invalid request: missing field `method`"},
      {R"({"id":1,"method":"m"})", "error: Invalid request: missing field `jsonrpc`"},
      {R"({"id":1,"method":7,"jsonrpc":5})",
       "error: Invalid request: invalid type: integer `5`, expected a string"},
      {R"({"method":true})", "error: Invalid notification: invalid type: boolean `true`, expected a string"},
      {R"({"jsonrpc":"2.0","method":1.5})",
       "error: Invalid notification: invalid type: floating point `1.5`, expected a string"},
      {R"({"jsonrpc":"2.0","method":1E2})",
       "error: Invalid notification: invalid type: floating point `100.0`, expected a string"},
      {R"({"jsonrpc":"2.0","method":-1e20})",
       "error: Invalid notification: invalid type: floating point `-1e20`, expected a string"},
      {R"({"jsonrpc":"2.0","method":1.5e-7})",
       "error: Invalid notification: invalid type: floating point `1.5e-7`, expected a string"},
      {R"({"jsonrpc":"2.0","method":0.001})",
       "error: Invalid notification: invalid type: floating point `0.001`, expected a string"},
      {R"({"jsonrpc":null,"method":"m"})", "error: Invalid notification: invalid type: null, expected a string"},
      {R"({"jsonrpc":[],"method":"m"})", "error: Invalid notification: invalid type: sequence, expected a string"},
      {R"({"jsonrpc":"2.0","method":{}})", "error: Invalid notification: invalid type: map, expected a string"},
      {R"({"jsonrpc":"2.0","params":1})", "error: Invalid notification: missing field `method`"},
      {R"("a\"b\n")",
       "error: Invalid notification: invalid type: string \"a\\\"b\\n\", expected struct RpcNotification"},
      {"-5", "error: Invalid notification: invalid type: integer `-5`, expected struct RpcNotification"},
      {"null", "error: Invalid notification: invalid type: null, expected struct RpcNotification"},
      {"[]", "error: Invalid notification: invalid length 0, expected struct RpcNotification with 3 elements"},
      {R"(["2.0","m"])",
       "error: Invalid notification: invalid length 2, expected struct RpcNotification with 3 elements"},
      {R"(["2.0","m",null,1])", "error: Invalid notification: invalid length 4, expected fewer elements in array"},
      {R"([1])", "error: Invalid notification: invalid type: integer `1`, expected a string"},
      // A batch reads as a notification array.
      {R"([{"jsonrpc":"2.0","method":"a"}])",
       "error: Invalid notification: invalid type: map, expected a string"},
      {R"(["2.0","m",{"k":1}])", "notification m params={\"k\":1}"},
  };
  for (const auto& c : cases) EXPECT_EQ(read_one(frame(c.input)), c.expected) << c.input;
}

TEST(ReadMessage, DuplicateMembersKeepTheLast) {
  EXPECT_EQ(read_one(frame(R"({"jsonrpc":"2.0","method":5,"method":"m"})")), "notification m");
}

TEST(ReadMessage, PiecesOfAnySizeAndConsecutiveMessages) {
  const std::string big = "[\"2.0\",\"big\",\"" + std::string(100000, 'x') + "\"]";
  const std::string input = frame(note) + frame(big) + frame(note);
  for (std::size_t chunk : {std::size_t{1}, std::size_t{7}, std::size_t{8192}, std::size_t{1} << 20}) {
    StringReader reader(input, chunk);
    InputBuffer in(reader);
    std::vector<std::string> methods;
    while (auto m = read_message(in)) {
      if (!*m) break;
      methods.push_back(std::get<RpcNotification>(**m).method);
    }
    EXPECT_EQ(methods, (std::vector<std::string>{"m", "big", "m"})) << chunk;
    EXPECT_EQ(reader.consumed(), input.size());
  }
}

TEST(ReadMessage, ABodyNeverTakesBytesBeyondItsFrame) {
  // The length covers only part of what follows; the rest is the next header.
  StringReader reader("Content-Length: 16\r\n\r\n" + std::string(note) + "Content-Length: 2\r\n\r\n{}", 5);
  InputBuffer in(reader);
  EXPECT_TRUE(read_message(in).has_value());
  auto second = read_message(in);
  ASSERT_FALSE(second);
  EXPECT_EQ(second.error().message, "Invalid notification: missing field `jsonrpc`");
}

TEST(ReadMessage, ReadErrorsPassThrough) {
  StringReader reader("Content-Length: 16\r\n\r\n[\"2");
  reader.error_at_end = IoError{IoError::Kind::os, "Input/output error (os error 5)"};
  InputBuffer in(reader);
  auto m = read_message(in);
  ASSERT_FALSE(m);
  EXPECT_EQ(m.error().message, "Input/output error (os error 5)");
}

TEST(WriteMessage, FramesAndFlushes) {
  StringWriter sink;
  OutputBuffer out(sink);
  ASSERT_TRUE(write_message(out, "{\"a\":\"ç\"}"));
  EXPECT_EQ(sink.text(), "Content-Length: 10\r\n\r\n{\"a\":\"ç\"}");
  EXPECT_EQ(sink.flushes, 1);

  const std::string big(20000, 'x');
  ASSERT_TRUE(write_message(out, big));
  EXPECT_EQ(sink.text().size(), 32u + 25u + big.size());
}

TEST(WriteMessage, ReturnsTheWriteError) {
  StringWriter sink;
  sink.fail = testing::broken_pipe();
  OutputBuffer out(sink);
  auto r = write_message(out, "{}");
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().message, "Broken pipe (os error 32)");
  // Nothing of the failed frame is sent with a later one.
  sink.fail.reset();
  ASSERT_TRUE(write_message(out, "[]"));
  EXPECT_EQ(sink.text(), "Content-Length: 2\r\n\r\n[]");
}

TEST(Records, WrittenInDeclaredOrder) {
  RpcResponse ok{"2.0", boost::json::value(7), boost::json::value(nullptr), std::nullopt};
  EXPECT_EQ(to_json_text(ok), R"({"jsonrpc":"2.0","id":7,"result":null})");
  RpcResponse failed{"2.0", boost::json::value("a"), std::nullopt, ResponseError{-32601, "Method not found: x", {}}};
  EXPECT_EQ(to_json_text(failed), R"({"jsonrpc":"2.0","id":"a","error":{"code":-32601,"message":"Method not found: x"}})");
  RpcResponse no_id{"2.0", nullptr, boost::json::object{{"b", 1}, {"a", 2}}, std::nullopt};
  EXPECT_EQ(to_json_text(no_id), R"({"jsonrpc":"2.0","id":null,"result":{"a":2,"b":1}})");
  RpcNotification n{"2.0", "m", std::nullopt};
  EXPECT_EQ(to_json_text(n), R"({"jsonrpc":"2.0","method":"m","params":null})");
}

}  // namespace
}  // namespace qosa::lsp
