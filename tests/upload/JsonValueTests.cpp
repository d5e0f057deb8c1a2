// The JSON value model: kinds and their accessors, object member order, copies and assignment.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "upload/Json.h"

namespace {

using json::Value;

std::vector<std::string> Keys(const json::Object& object) {
    std::vector<std::string> keys;
    for (const auto& member : object) {
        keys.push_back(member.first);
    }
    return keys;
}

TEST(JsonObject, ReadingAMissingMemberAddsItAsNull) {
    json::Object reply;
    EXPECT_EQ(reply["result"].Type(), json::NullValue);
    EXPECT_EQ(reply.Count(), 1u);
}

TEST(JsonObject, WritingAKeyTwiceKeepsOneMemberWithTheSecondValue) {
    json::Object request;
    request["type"] = "gamelist";
    request["type"] = "verifylogin";
    EXPECT_EQ(request.Count(), 1u);
    EXPECT_EQ(request["type"].AsString(), "verifylogin");
}

TEST(JsonObject, MembersAreVisitedInUnsignedByteOrderOfTheirKeys) {
    json::Object object;
    for (const char* key : {"username", "password", "type", "\xC3\xA9t\xC3\xA9", "Zed", "pass"}) {
        object[key] = "x";
    }
    // Upper case before lower case, a prefix before its longer keys, bytes above 0x7F last.
    EXPECT_EQ(Keys(object),
              (std::vector<std::string>{"Zed", "pass", "password", "type", "username", "\xC3\xA9t\xC3\xA9"}));
}

// Which accessors each kind answers; every other one throws.
struct AccessCase {
    const char* name;
    Value value;
    std::string answers; // letters: s string, i int, f float, d double, o object, a array, b bool
};

class JsonValueAccess : public ::testing::TestWithParam<AccessCase> {};

TEST_P(JsonValueAccess, AnswersItsOwnKindAndThrowsForTheOthers) {
    const AccessCase& c = GetParam();
    const std::vector<std::pair<char, std::function<void(const Value&)>>> accessors = {
        {'s', [](const Value& v) { (void)v.AsString(); }}, {'i', [](const Value& v) { (void)v.AsInt(); }},
        {'f', [](const Value& v) { (void)v.AsFloat(); }},  {'d', [](const Value& v) { (void)v.AsDouble(); }},
        {'o', [](const Value& v) { (void)v.AsObject(); }}, {'a', [](const Value& v) { (void)v.AsArray(); }},
        {'b', [](const Value& v) { (void)v.AsBool(); }},
    };
    for (const auto& [letter, access] : accessors) {
        if (c.answers.find(letter) != std::string::npos) {
            EXPECT_NO_THROW(access(c.value)) << letter;
        } else {
            EXPECT_THROW(access(c.value), json::TypeError) << letter;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, JsonValueAccess,
    ::testing::Values(AccessCase{"Null", Value(), ""}, AccessCase{"String", Value("gamelist"), "s"},
                      AccessCase{"TextFromAPointerIsAStringNotABool", Value("x"), "s"},
                      AccessCase{"Integer", Value(std::int32_t{7}), "ifd"},
                      AccessCase{"Double", Value(2.5), "ifd"},
                      AccessCase{"Object", Value(json::Object()), "o"},
                      AccessCase{"Array", Value(json::Array()), "a"}, AccessCase{"Bool", Value(true), "b"}),
    [](const ::testing::TestParamInfo<AccessCase>& info) { return std::string(info.param.name); });

TEST(JsonValueNumbers, EveryNumberAnswersInAllThreeNumericForms) {
    EXPECT_EQ(Value(std::int32_t{-7}).AsDouble(), -7.0);
    EXPECT_EQ(Value(std::int32_t{-7}).AsFloat(), -7.0f);
    EXPECT_EQ(Value(-2.75).AsInt(), -2); // truncated toward zero
    EXPECT_EQ(Value(-2.75).AsFloat(), -2.75f);
    // Beyond the integer's range the integer form saturates instead of overflowing.
    EXPECT_EQ(Value(1e300).AsInt(), INT32_MAX);
    EXPECT_EQ(Value(-1e300).AsInt(), INT32_MIN);
}

TEST(JsonValueCopies, ACopyOfAnObjectIsIndependentOfItsSource) {
    json::Object inner;
    inner["a"] = "1";
    json::Object outer;
    outer["inner"] = inner;
    Value source(outer);
    Value copy(source);
    copy.AsObject()["inner"].AsObject()["a"] = "changed";
    copy.AsObject()["added"] = "x";
    EXPECT_EQ(source.AsObject()["inner"].AsObject()["a"].AsString(), "1");
    EXPECT_EQ(source.AsObject().Count(), 1u);
}

TEST(JsonValueCopies, AssigningAValueToItselfLeavesItUnchanged) {
    json::Array array;
    array.Append("a");
    Value value(array);
    Value& same = value;
    value = same;
    ASSERT_EQ(value.AsArray().Count(), 1u);
    EXPECT_EQ(value.AsArray()[0].AsString(), "a");
}

TEST(JsonValueCopies, AssigningAValueOneOfItsOwnMembersKeepsThatMember) {
    json::Object reply;
    reply["data"] = json::Object();
    reply["data"].AsObject()["smb"] = "Super Jumper";
    Value value(reply);
    value = value.AsObject()["data"];
    EXPECT_EQ(value.AsObject()["smb"].AsString(), "Super Jumper");

    json::Array list;
    list.Append("first");
    Value fromArray(list);
    fromArray = std::move(fromArray.AsArray()[0]);
    EXPECT_EQ(fromArray.AsString(), "first");
}

TEST(JsonValueCopies, AssignmentChangesTheKind) {
    Value value{json::Object()};
    value = Value("text");
    EXPECT_EQ(value.Type(), json::StringValue);
    EXPECT_THROW(value.AsObject(), json::TypeError);
    value = Value(std::int32_t{3});
    EXPECT_EQ(value.AsDouble(), 3.0);
}

} // namespace
