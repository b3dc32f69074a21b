#include "support/json.h"

#include <gtest/gtest.h>

#include <boost/json.hpp>

namespace qosa::support {
namespace {

TEST(JsonWriter, WritesCompactTextWithSortedMembers) {
  struct Case {
    const char* input;
    const char* expected;
  };
  const Case cases[] = {
      {R"({"b":1,"a":{"d":[1,2],"c":null}})", R"({"a":{"c":null,"d":[1,2]},"b":1})"},
      {R"({"range":1,"Range":2,"r":3})", R"({"Range":2,"r":3,"range":1})"},  // byte order
      {R"([true,false,-5,18446744073709551615])", R"([true,false,-5,18446744073709551615])"},
      {R"([1.5,2.0,1e300,-0.25,1e-7,0.001,1e16,123456.0])", R"([1.5,2.0,1e300,-0.25,1e-7,0.001,1e16,123456.0])"},
      {R"("tab\tquote\"back\\ctl\u0001del\u007f")", "\"tab\\tquote\\\"back\\\\ctl\\u0001del\x7f\""},
      {R"("açılış")", "\"açılış\""},
      {R"({})", R"({})"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(to_json_text(boost::json::parse(c.input)), c.expected) << c.input;
  }
}

}  // namespace
}  // namespace qosa::support
