#include "common/json_writer.h"

#include <gtest/gtest.h>

using common::JsonWriter;

TEST(JsonWriter, NestsObjectsAndArraysWithCommas)
{
    JsonWriter w;
    w.beginObject()
        .member("a", 1)
        .key("b")
        .beginArray()
        .value(2)
        .value("x")
        .null()
        .value(true)
        .endArray();
    w.key("c").beginObject().endObject().key("d").beginArray().endArray().member(
        "e", int64_t(-5000000000));
    w.endObject();
    EXPECT_EQ(w.str(), R"({"a":1,"b":[2,"x",null,true],"c":{},"d":[],"e":-5000000000})");
    EXPECT_TRUE(w.complete());
}

TEST(JsonWriter, EscapesQuotesBackslashesAndControlCharacters)
{
    EXPECT_EQ(JsonWriter::quote("a\"b\\c"), R"("a\"b\\c")");
    EXPECT_EQ(JsonWriter::quote("\n\r\t\b\f"), R"("\n\r\t\b\f")");
    EXPECT_EQ(JsonWriter::quote(std::string("\x01\x1f\x7f", 3)), R"("\u0001\u001f\u007f")");
    EXPECT_EQ(JsonWriter::quote(std::string("a\0b", 3)), R"("a\u0000b")");
    EXPECT_EQ(JsonWriter::quote("レイアウト"), "\"レイアウト\"");
    JsonWriter w;
    w.beginObject().member("k\"ey", "v\nal").endObject();
    EXPECT_EQ(w.str(), R"({"k\"ey":"v\nal"})");
}

TEST(JsonWriter, IndentsOneItemPerLine)
{
    JsonWriter w(2);
    w.beginObject()
        .member("a", 1)
        .key("b")
        .beginArray()
        .value(2)
        .value(3)
        .endArray()
        .key("c")
        .beginArray()
        .endArray();
    w.endObject();
    EXPECT_EQ(w.str(), "{\n  \"a\": 1,\n  \"b\": [\n    2,\n    3\n  ],\n  \"c\": []\n}");
}

TEST(JsonWriter, TopLevelValuesAndIncompleteDocuments)
{
    JsonWriter scalar;
    scalar.value("x");
    EXPECT_EQ(scalar.str(), "\"x\"");
    EXPECT_TRUE(scalar.complete());
    JsonWriter open;
    open.beginArray().value(1);
    EXPECT_FALSE(open.complete());
    open.endArray().endArray(); // an extra end is ignored, not written
    EXPECT_EQ(open.str(), "[1]");
    EXPECT_FALSE(JsonWriter().complete());
}
