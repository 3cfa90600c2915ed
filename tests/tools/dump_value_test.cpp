// The dump document: the same content as JSON (escaped, nested) and as indented text.
#include <gtest/gtest.h>

#include <sstream>

#include "tools/setupkit/dump_value.h"

namespace {

TEST(DumpValue, WritesJsonAndText) {
    DumpValue document = DumpValue::Object();
    document.Add("name", DumpValue::String("a \"b\"\\c\r\n\x01"));
    DumpValue& list = document.Add("list", DumpValue::Array());
    list.Push(DumpValue::Number(7));
    list.Push(DumpValue::Bool(false));
    document.Add("empty", DumpValue::Object());

    std::ostringstream json;
    document.WriteJson(json);
    EXPECT_EQ(
        json.str(),
        "{\n  \"name\": \"a \\\"b\\\"\\\\c\\r\\n\\u0001\",\n  \"list\": [\n    7,\n    false\n"
        "  ],\n  \"empty\": {}\n}\n");

    std::ostringstream text;
    document.WriteText(text);
    EXPECT_EQ(text.str(), "name: |\n  a \"b\"\\c\n  \x01\nlist:\n  - 7\n  - false\nempty:\n");
}

}  // namespace
