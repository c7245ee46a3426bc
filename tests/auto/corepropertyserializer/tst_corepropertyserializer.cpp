#include <Tavrin/Core/DataInput.h>
#include <Tavrin/Core/Exception.h>
#include <Tavrin/Core/Property.h>
#include <Tavrin/Core/PropertySerializer.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using Tavrin::Core::DataInputString;
using Tavrin::Core::Property;
using Tavrin::Core::PropertySerializer;

namespace {

const int kMaxDepth = PropertySerializer::kMaxDepth;

void Parse(Property& target, const std::string& json, bool replace = true)
{
    PropertySerializer::Deserialize(target, DataInputString::Create(&json), replace);
}

Property Parsed(const std::string& json)
{
    Property result;
    Parse(result, json);
    return result;
}

std::string Serialized(const Property& property)
{
    std::string out = "previous content";
    PropertySerializer::Serialize(property, out);
    return out;
}

// The description Deserialize throws, or "" when it accepts the input.
std::string ParseError(const std::string& json, Property& target)
{
    try {
        Parse(target, json);
    } catch (const Tavrin::Exception& e) {
        return Tavrin::GetDescription(e);
    }
    return {};
}

// The tree on one line: name=value{children};... ("=value" only when not empty).
std::string Dump(const Property& property)
{
    std::string text;
    for (const Property& child : property.GetChildren()) {
        text += (text.empty() ? "" : ";") + child.GetName();
        text += child.GetString().empty() ? "" : "=" + child.GetString();
        text += child.GetChildren().empty() ? "" : "{" + Dump(child) + "}";
    }
    return text;
}

// Writing this takes exactly `objects` nested JSON objects.
Property Chain(int objects)
{
    Property root;
    Property* node = &root;
    for (int i = 0; i < objects; ++i) {
        node = &(*node)["n"];
    }
    node->SetString("bottom");
    return root;
}

}  // namespace

TEST(PropertySerializer, ReadsValuesInDocumentOrder)
{
    const Property root = Parsed(
        "\xEF\xBB\xBF {\"zeta\": \"z\", \"alpha\": {\"in\": 12, \"\": \"own\"}, \"real\": -1.50e+3,"
        " \"yes\": true, \"no\": false, \"none\": null, \"list\": [\"a\", {\"k\": 1}, [], [true]],"
        " \"dup\": {\"x\": 1}, \"dup\": {\"y\": 2}} \r\n\t");
    EXPECT_EQ(Dump(root),
              "zeta=z;alpha=own{in=12};real=-1.50e+3;yes=true;no=false;none;"
              "list{0=a;1{k=1};2;3{0=true}};dup{x=1;y=2}");
}

TEST(PropertySerializer, DecodesStringEscapes)
{
    const Property root =
        Parsed(R"({"esc": "q\" b\\ s\/ \b\f\n\r\t", "u": "\u00e9\u20AC", "pair": "\ud83d\ude00",)"
               R"( "lone": "\ud800\u0041\udc00", "nul": "x\u0000y", "raw": "été"})");
    EXPECT_EQ(root["esc"].GetString(), "q\" b\\ s/ \b\f\n\r\t");
    EXPECT_EQ(root["u"].GetString(), "\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(root["pair"].GetString(), "\xF0\x9F\x98\x80");
    EXPECT_EQ(root["lone"].GetString(),
              "\xEF\xBF\xBD"
              "A\xEF\xBF\xBD");
    EXPECT_EQ(root["nul"].GetString(), std::string("x\0y", 3));
    EXPECT_EQ(root["raw"].GetString(), "\xC3\xA9t\xC3\xA9");
}

TEST(PropertySerializer, ReplaceOrMerge)
{
    Property target("prefs");
    target.SetString("kept");
    target["window"].SetString("window value");
    target["window"]["width"].SetString("800");
    target["window"]["height"].SetString("600");
    target["theme"]["detail"].SetString("kept child");

    Parse(target, R"({"window": {"width": "1024", "x": "5"}, "theme": "light", "new": "n"})",
          false);
    EXPECT_EQ(target.GetString(), "kept");
    EXPECT_EQ(
        Dump(target),
        "window=window value{width=1024;height=600;x=5};theme=light{detail=kept child};new=n");

    Parse(target, R"({"fresh": "2"})", true);
    EXPECT_EQ(target.GetName(), "prefs");
    EXPECT_EQ(target.GetString(), "");
    EXPECT_EQ(Dump(target), "fresh=2");
}

TEST(PropertySerializer, MalformedInputThrowsWithOffsetAndChangesNothing)
{
    const std::tuple<std::string, std::size_t, const char*> cases[] = {
        {"", 0, "empty"},
        {"  \xEF\xBB\xBF", 2, "found byte 0xEF"},
        {"[1, 2]", 0, "must be a JSON object"},
        {"{} x", 3, "after the top-level object"},
        {"{\"a\": 1,}", 8, "member name"},
        {"{\"a\":}", 5, "expected a value"},
        {"{\"a\": 01}", 7, "','"},
        {"{\"a\": 1.}", 8, "decimal point"},
        {"{\"a\": \"x}", 6, "not terminated"},
        {"{\"a\": \"\\x\"}", 7, "escape"},
        {"{\"a\": \"\\u12G4\"}", 11, "hex digits"},
        {"{\"a\": \"line\nbreak\"}", 11, "control character"},
        {"{\"a\": 1", 7, "end of the input"},
        {std::string("{\0}", 3), 1, "0x00"},
        {"{\"a\": \"\xC3\"}", 7, "UTF-8"},
        {"{\"\xC0\xAF\": 1}", 2, "UTF-8"},
    };
    for (const auto& [json, offset, says] : cases) {
        Property target("keep");
        target["child"].SetString("c");
        const Property before = target;
        const std::string error = ParseError(json, target);
        EXPECT_NE(error.find("offset " + std::to_string(offset) + ": "), std::string::npos)
            << testing::PrintToString(json) << " -> " << error;
        EXPECT_NE(error.find(says), std::string::npos) << error;
        EXPECT_EQ(target, before);
    }
    Property target;
    EXPECT_THROW(PropertySerializer::Deserialize(target, nullptr, true), Tavrin::Exception);
}

TEST(PropertySerializer, NestingIsBoundedOnBothSides)
{
    const auto nested = [](int arrays) {
        return "{\"a\": " + std::string(arrays, '[') + std::string(arrays, ']') + "}";
    };
    Property target;
    EXPECT_EQ(ParseError(nested(kMaxDepth - 1), target), "");  // the top object is level 1
    const std::string tooDeep = "offset " + std::to_string(6 + kMaxDepth - 1) + ": ";
    EXPECT_NE(ParseError(nested(kMaxDepth), target).find(tooDeep), std::string::npos);
    std::string deep;
    for (int i = 0; i < 10000; ++i) {
        deep += "{\"k\":";
    }
    EXPECT_NE(ParseError(deep + "1" + std::string(10000, '}'), target), "");

    Property back;
    Parse(back, Serialized(Chain(kMaxDepth)));
    EXPECT_EQ(back, Chain(kMaxDepth));
    EXPECT_THROW(Serialized(Chain(kMaxDepth + 1)), Tavrin::Exception);
}

TEST(PropertySerializer, WritesIndentedJson)
{
    Property root("name not written");
    root.SetString("v1");
    root["window"]["width"].SetString("800");
    root["theme"].SetString("dark \"quoted\"\n\x01");
    EXPECT_EQ(Serialized(root),
              "{\n"
              "    \"\": \"v1\",\n"
              "    \"window\": {\n"
              "        \"width\": \"800\"\n"
              "    },\n"
              "    \"theme\": \"dark \\\"quoted\\\"\\n\\u0001\"\n"
              "}\n");
    EXPECT_EQ(Serialized(Property()), "{}\n");
}

TEST(PropertySerializer, RoundTripsAwkwardTrees)
{
    Property root("config");
    root.SetString("root value");
    root["controls"].SetString(std::string("\x01\x1F\x7F\0\b\f\r\t", 8));
    root["quote\"and\\slash"].SetString("\xF0\x9F\x98\x80 \xE2\x82\xAC");
    root["empty leaf"];
    root["both"].SetString("value");
    root["both"]["child"];
    root[""].SetString("leaf named empty");
    root["nested"][""]["deep"].SetString("d");
    root["nested"][""].SetString("empty-named child's value");
    root["big"].SetString(std::string(4u << 20, 'b') + "\xC3\xA9");
    Property back("config");
    Parse(back, Serialized(root));
    EXPECT_EQ(back, root);

    // Invalid UTF-8 cannot be written as JSON: it becomes U+FFFD.
    Property bad;
    bad["x\xFF"].SetString("a\xED\xA0\x80");
    EXPECT_EQ(Parsed(Serialized(bad)).GetChildren().front().GetName(), "x\xEF\xBF\xBD");
    EXPECT_EQ(Parsed(Serialized(bad))["x\xEF\xBF\xBD"].GetString(),
              "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(PropertySerializer, GarbageNeverCrashes)
{
    std::mt19937 random(20240611);
    const std::string valid =
        R"({"a": {"b": "x\u00e9y", "": "v"}, "n": -1.5e3, "arr": [1, true, null, {"k": []}]})";
    int parsed = 0;
    for (int round = 0; round < 3000; ++round) {
        // Random bytes, or a valid document with bytes changed and maybe cut short.
        std::string input = round % 2 ? valid : std::string(random() % 200, ' ');
        for (std::size_t i = 0, flips = round % 2 ? 1 + round % 3 : input.size(); i < flips; ++i) {
            input[random() % input.size()] = static_cast<char>(random());
        }
        if (round % 5 == 1 && !input.empty()) {
            input.resize(random() % input.size());
        }
        Property target;
        const std::string error = ParseError(input, target);
        if (error.empty()) {
            ++parsed;
            Property back;  // whatever is accepted must survive a round trip
            Parse(back, Serialized(target));
            EXPECT_EQ(back, target) << input;
        } else {
            EXPECT_NE(error.find("offset "), std::string::npos) << error;
        }
    }
    EXPECT_GT(parsed, 0);
}
