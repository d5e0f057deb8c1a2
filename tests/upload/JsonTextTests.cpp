// JSON text: the compact writer, the lenient reader with its quirks, escaping round trips and
// the nesting limit.
#include <clocale>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "upload/Json.h"

namespace {

using json::Value;

// A text read and written back: "" when the reader gave null (a document is never written as "").
std::string Reread(const std::string& text) {
    return json::Serialize(json::Deserialize(text));
}

struct ReadCase {
    const char* name;
    std::string text;
    std::string written; // the value read, written back; "" for null
};

class JsonRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(JsonRead, GivesTheExpectedValue) {
    EXPECT_EQ(Reread(GetParam().text), GetParam().written) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Documents, JsonRead,
    ::testing::Values(
        ReadCase{"BlanksAndLineBreaksAroundAnObject", " \r\n\t{ \"result\" : \"success\" }\n ",
                 R"({"result":"success"})"},
        ReadCase{"EmptyObject", "{}", "{}"}, ReadCase{"EmptyArray", " [ ] ", "[]"},
        ReadCase{"ObjectInsideArrays", R"([{"a":1},{"b":[true,false]}])", R"([{"a":1},{"b":[true,false]}])"},
        ReadCase{"ReplyWithDataObject", R"({"result":"success","data":{"g2":"Two","g1":"One"}})",
                 R"({"data":{"g1":"One","g2":"Two"},"result":"success"})"},
        ReadCase{"SameKeyTwiceKeepsTheSecond", R"({"a":"1","a":"2"})", R"({"a":"2"})"},
        ReadCase{"EmptyTextIsNull", "", ""}, ReadCase{"BlanksAreNull", " \n ", ""},
        ReadCase{"BareStringIsNull", R"("result")", ""}, ReadCase{"BareNumberIsNull", "42", ""},
        ReadCase{"BareLiteralIsNull", "true", ""}, ReadCase{"EmptyKeyIsNull", R"({"":1})", ""},
        ReadCase{"MissingClosingBraceIsNull", R"({"result":"success")", ""},
        ReadCase{"TextAfterTheClosingBraceIsNull", R"({"a":1} x)", ""},
        ReadCase{"TrailingCommaInAnObjectIsNull", R"({"a":1,})", ""},
        ReadCase{"KeyWithoutColonIsNull", R"({"a" 1})", ""},
        ReadCase{"UnterminatedStringIsNull", R"({"a":"x})", ""},
        ReadCase{"NestedArrayNotClosedIsNull", R"({"a":[1})", ""},
        ReadCase{"NestedObjectNotClosedIsNull", R"([{"a":1])", ""},
        ReadCase{"MismatchedCloserIsNull", R"({"a":1]})", ""},
        ReadCase{"UnreadableNestedObjectBecomesANullMember", R"({"a":{"":1},"b":2})", R"({"a":null,"b":2})"},
        ReadCase{"NullElementsAreDropped", "[1,null,2]", "[1,2]"},
        ReadCase{"EmptyElementsAreDropped", "[,1,,2,]", "[1,2]"},
        ReadCase{"StringElementsKeepTheirCommas", R"({"names":[" Smith, J ","Doe",null]})",
                 R"({"names":["Smith, J","Doe"]})"},
        ReadCase{"StringElementsKeepTheirBrackets", R"(["a]b","[c","{d}"])", R"(["a]b","[c","{d}"])"},
        ReadCase{"LiteralsInAnyCase", R"({"a":TRUE,"b":False,"c":NULL})", R"({"a":true,"b":false,"c":null})"},
        ReadCase{"NegativeInteger", R"({"n":-12})", R"({"n":-12})"},
        ReadCase{"IntegerRangeEdges", R"({"a":2147483647,"b":-2147483648})",
                 R"({"a":2147483647,"b":-2147483648})"},
        ReadCase{"IntegerBeyondRangeIsDouble", R"({"n":2147483648})", R"({"n":2147483648.000000})"},
        ReadCase{"DecimalPointGivesDouble", R"({"n":2.5})", R"({"n":2.500000})"},
        ReadCase{"LowerCaseExponentGivesDouble", R"({"n":1e3})", R"({"n":1000.000000})"},
        ReadCase{"UpperCaseExponentGivesDouble", R"({"n":1E3})", R"({"n":1000.000000})"},
        ReadCase{"MisspeltLiteralIsZero", R"({"n":nul})", R"({"n":0})"},
        ReadCase{"DigitsBeforeLettersCount", R"({"n":12abc})", R"({"n":12})"},
        ReadCase{"StringsLoseSurroundingBlanks", R"({"s":"  a b \t"})", R"({"s":"a b"})"},
        ReadCase{"EscapedQuoteInString", R"({"s":"a\"b"})", R"({"s":"a\"b"})"},
        ReadCase{"NestedValueEndingInABackslash", R"({"result":"ok","data":{"x":"C:\\"}})",
                 R"({"data":{"x":"C:\\"},"result":"ok"})"},
        ReadCase{"NestedKeyEndingInABackslash", R"({"a":{"k\\":1}})", R"({"a":{"k\\":1}})"},
        ReadCase{"SimpleEscapes", R"({"s":"\/\\\b\f\n\r\tx"})", R"({"s":"/\\\b\f\n\r\tx"})"},
        ReadCase{"UnknownEscapeIsDropped", R"({"s":"a\qb"})", R"({"s":"ab"})"},
        // Keys are decoded as values are, so a code goes back to the server as it was meant.
        ReadCase{"KeyEscapesAreDecoded", R"({"a\"b":1,"c\/d":2,"caf\u00e9":3})",
                 "{\"a\\\"b\":1,\"c/d\":2,\"caf\xC3\xA9\":3}"},
        ReadCase{"KeyKeepsItsBlanks", R"({" a ":1})", R"({" a ":1})"},
        ReadCase{"KeyOfOnlyADroppedEscapeIsEmpty", R"({"\q":1})", ""},
        ReadCase{"UnicodeEscapeOfALetter", R"({"s":"x\u0041y"})", R"({"s":"xAy"})"},
        ReadCase{"UnicodeEscapeBecomesUtf8", R"({"s":"\u00e9\u2014"})", "{\"s\":\"\xC3\xA9\xE2\x80\x94\"}"},
        ReadCase{"SurrogatePairBecomesOneCharacter", R"({"s":"\ud83d\ude00"})",
                 "{\"s\":\"\xF0\x9F\x98\x80\"}"},
        ReadCase{"LoneSurrogateBecomesReplacement", R"({"s":"\ud83dx"})", "{\"s\":\"\xEF\xBF\xBDx\"}"},
        ReadCase{"UnicodeEscapeWithThreeDigitsAtTheEnd", R"({"s":"a\u004"})", R"({"s":"a\u0004"})"},
        ReadCase{"UnicodeEscapeCutShortIsNull", R"({"s":"a\u00"})", ""}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST(JsonWrite, ObjectsAreWrittenInKeyOrderWithoutBlanks) {
    json::Array flags;
    flags.Append(Value(true));
    flags.Append(Value());
    json::Object object;
    object["b"] = Value(std::int32_t{1});
    object["a"] = flags;
    EXPECT_EQ(json::Serialize(Value(object)), R"({"a":[true,null],"b":1})");

    json::Object request;
    request["type"] = "gamecategories";
    request["game"] = "smb";
    EXPECT_EQ(json::Serialize(Value(request)), R"({"game":"smb","type":"gamecategories"})");
}

TEST(JsonWrite, NumbersAndScalars) {
    EXPECT_EQ(json::SerializeValue(Value(std::int32_t{7})), "7");
    EXPECT_EQ(json::SerializeValue(Value(std::int32_t{-2147483647 - 1})), "-2147483648");
    EXPECT_EQ(json::SerializeValue(Value(2.5)), "2.500000");
    EXPECT_EQ(json::SerializeValue(Value(-0.0000004)), "-0.000000");
    // JSON has no infinity and no NaN.
    EXPECT_EQ(json::SerializeValue(Value(std::numeric_limits<double>::infinity())), "null");
    EXPECT_EQ(json::SerializeValue(Value(-std::numeric_limits<double>::infinity())), "null");
    EXPECT_EQ(json::SerializeValue(Value(std::numeric_limits<double>::quiet_NaN())), "null");
    EXPECT_EQ(json::SerializeValue(Value(false)), "false");
    EXPECT_EQ(json::SerializeValue(Value()), "null");
    EXPECT_EQ(json::SerializeArray(json::Array()), "[]");
    // Only objects and arrays make a document.
    EXPECT_EQ(json::Serialize(Value("text")), "");
    EXPECT_EQ(json::Serialize(Value(std::int32_t{7})), "");
}

TEST(JsonWrite, StringsAreEscapedAsJson) {
    EXPECT_EQ(json::SerializeValue(Value("say \"hi\"")), R"("say \"hi\"")");
    EXPECT_EQ(json::SerializeValue(Value("C:\\runs")), R"("C:\\runs")");
    EXPECT_EQ(json::SerializeValue(Value("a\tb\nc\r\x01\x1f")), R"("a\tb\nc\r\u0001\u001f")");
    // Bytes from 0x7F up go as they are: UTF-8 stays readable, other bytes unchanged.
    EXPECT_EQ(json::SerializeValue(Value("\x7F\xC3\xA9\xE9")), "\"\x7F\xC3\xA9\xE9\"");
}

TEST(JsonWrite, NumbersUseAPointWhateverTheLocale) {
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    const std::string written = json::SerializeValue(Value(2.5));
    const Value read = json::Deserialize(R"({"n":2.5})");
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(written, "2.500000");
    EXPECT_EQ(read.AsObject().begin()->second.AsDouble(), 2.5);
}

class JsonEscapeRoundTrip : public ::testing::TestWithParam<std::string> {};

TEST_P(JsonEscapeRoundTrip, AStringMemberReadsBackAsWritten) {
    json::Object object;
    object["s"] = GetParam();
    Value read = json::Deserialize(json::Serialize(Value(object)));
    ASSERT_EQ(read.Type(), json::ObjectValue);
    EXPECT_EQ(read.AsObject().Count(), 1u);
    EXPECT_EQ(read.AsObject()["s"].AsString(), GetParam());
}

std::string AllControlCharacters() {
    std::string s = "<";
    for (char c = 1; c < 0x20; ++c) {
        s += c;
    }
    return s + ">";
}

INSTANTIATE_TEST_SUITE_P(Strings, JsonEscapeRoundTrip,
                         ::testing::Values(std::string("say \"hi\""), std::string("ends in a backslash\\"),
                                           std::string("\\\"\\\\\""), AllControlCharacters(),
                                           std::string("a\0b", 3),
                                           std::string("\xC3\xA9t\xC3\xA9 \xE2\x80\x94"),
                                           std::string("\"},\"type\":\"submitrun\",\"x\":{\""),
                                           std::string("[1,2]{:}")));

TEST(JsonEscape, TypedTextCannotAddMembersToARequest) {
    json::Object request;
    request["type"] = "verifylogin";
    request["username"] = "me\",\"type\":\"submitrun";
    Value read = json::Deserialize(json::Serialize(Value(request)));
    ASSERT_EQ(read.Type(), json::ObjectValue);
    EXPECT_EQ(read.AsObject().Count(), 2u);
    EXPECT_EQ(read.AsObject()["type"].AsString(), "verifylogin");
}

std::string NestedArrays(int depth) {
    return std::string(depth, '[') + "1" + std::string(depth, ']');
}

std::string NestedObjects(int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) {
        text += R"({"a":)";
    }
    return text + "1" + std::string(depth, '}');
}

TEST(JsonNesting, ContainersNestedUpToTheLimitAreRead) {
    const int limit = static_cast<int>(json::kMaxNestingDepth);
    EXPECT_EQ(Reread(NestedArrays(limit)), NestedArrays(limit));
    EXPECT_EQ(Reread(NestedObjects(limit)), NestedObjects(limit));
}

TEST(JsonNesting, DeeperNestingReadsAsNull) {
    const int limit = static_cast<int>(json::kMaxNestingDepth);
    EXPECT_EQ(Reread(NestedArrays(limit + 1)), "");
    EXPECT_EQ(Reread(NestedObjects(limit + 1)), "");
    // Far deeper than any stack would take, and unbalanced too.
    EXPECT_EQ(Reread(std::string(1'000'000, '[')), "");
    EXPECT_EQ(Reread("[" + std::string(1'000'000, '{') + "]"), "");
}

// The reader's own steps, where their rules are easy to get wrong.
TEST(JsonReaderSteps, ClosingQuoteSkipsQuotesAfterAnOddRunOfBackslashes) {
    EXPECT_EQ(json::FindClosingQuote(R"("ab")", 1), 3);
    EXPECT_EQ(json::FindClosingQuote(R"("a\"b")", 1), 5);
    EXPECT_EQ(json::FindClosingQuote(R"("a\\"b")", 1), 4);
    EXPECT_EQ(json::FindClosingQuote(R"("a\\\"")", 1), 6);
    EXPECT_EQ(json::FindClosingQuote(R"("a\")", 1), -1);
}

TEST(JsonReaderSteps, MatchingCloserSkipsStringsWithTheirEscapes) {
    auto closer = [](std::string_view s) {
        json::ReadState state;
        state.markers.push_back(s[0] == '[' ? json::InArray : json::InObject);
        return json::FindMatchingCloser(s, state);
    };
    EXPECT_EQ(closer("[1,[2],{}]x"), 9);
    EXPECT_EQ(closer(R"({"]":1})"), 6);
    EXPECT_EQ(closer("[1}"), -1);
    EXPECT_EQ(closer("[[1]"), 4); // ran out: the text's length
    EXPECT_EQ(closer(R"({"a\"}"})"), 7);
    // An escaped backslash leaves the quote after it to close the string.
    EXPECT_EQ(closer(R"({"a\\"})"), 6);
}

TEST(JsonReaderSteps, ABareClosingBracketMustCloseAnOpenContainer) {
    // A closer inside a bare token closes the object that holds it; the text still reads.
    EXPECT_EQ(Reread(R"({"a":1}})"), R"({"a":1})");
    EXPECT_EQ(Reread(R"({"a":1}}})"), "");
}

} // namespace
