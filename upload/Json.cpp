#include "upload/Json.h"

#include "platform/runtime/Conversions.h"

#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <utility>

namespace json {

namespace {

// The C library's number readers follow the process locale, and the window toolkit switches the
// process to the user's: a reply's "2.5" must read as 2.5 under a locale with a decimal comma too.
locale_t CLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return locale;
}

// A double's integer slot: truncated toward zero, saturated where the integer cannot hold it.
std::int32_t TruncateToInt(double d) {
    if (std::isnan(d)) {
        return 0;
    }
    if (d <= static_cast<double>(INT32_MIN)) {
        return INT32_MIN;
    }
    if (d >= static_cast<double>(INT32_MAX)) {
        return INT32_MAX;
    }
    return static_cast<std::int32_t>(d);
}

float ToFloat(double d) {
    if (std::isfinite(d) && std::fabs(d) > FLT_MAX) {
        return d > 0 ? HUGE_VALF : -HUGE_VALF;
    }
    return static_cast<float>(d);
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view TrimFront(std::string_view s) {
    std::size_t b = 0;
    while (b < s.size() && IsSpace(s[b])) {
        ++b;
    }
    return s.substr(b);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view lowerCase) {
    if (a.size() != lowerCase.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != lowerCase[i]) {
            return false;
        }
    }
    return true;
}

// The code point of the \u escape whose backslash is at s[at]: the characters after the 'u', up
// to four of them, read as hexadecimal as far as they are hex digits (0 when the first is not).
std::uint32_t EscapeCodePoint(std::string_view s, std::size_t at, int* digitCount = nullptr) {
    std::uint32_t codePoint = 0;
    int digits = 0;
    for (std::size_t k = at + 2; k < at + 6 && k < s.size(); ++k) {
        const int d = rt::HexDigit(s[k]);
        if (d < 0) {
            break;
        }
        codePoint = codePoint * 16 + static_cast<std::uint32_t>(d);
        ++digits;
    }
    if (digitCount) {
        *digitCount = digits;
    }
    return codePoint;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes the \u escape at s[at] (a surrogate pair takes two escapes) and answers where the
// decoding goes on.
std::size_t DecodeUnicodeEscape(std::string_view s, std::size_t at, std::string& out) {
    if (at + 4 >= s.size()) {
        throw ReadAbandoned{};
    }
    const std::uint32_t cp = EscapeCodePoint(s, at);
    if (cp >= 0xD800 && cp <= 0xDBFF) {
        const std::size_t next = at + 6;
        int digits = 0;
        if (next + 1 < s.size() && s[next] == '\\' && s[next + 1] == 'u') {
            const std::uint32_t low = EscapeCodePoint(s, next, &digits);
            if (digits == 4 && low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00));
                return next + 6;
            }
        }
        AppendUtf8(out, 0xFFFD); // half a pair has no character of its own
        return at + 6;
    }
    if (cp >= 0xDC00 && cp <= 0xDFFF) {
        AppendUtf8(out, 0xFFFD);
        return at + 6;
    }
    AppendUtf8(out, cp);
    return at + 6;
}

void Push(ReadState& state, StackDepthType marker) {
    if (state.markers.size() >= kMaxNestingDepth) {
        throw ReadAbandoned{};
    }
    state.markers.push_back(marker);
}

bool PopIfOnTop(ReadState& state, StackDepthType marker) {
    if (state.markers.empty() || state.markers.back() != marker) {
        return false;
    }
    state.markers.pop_back();
    return true;
}

// Counts one container being read; its own frames are what the nesting limit protects.
class NestingGuard {
public:
    explicit NestingGuard(ReadState& state) : state_(state) {
        if (++state_.depth > kMaxNestingDepth) {
            throw ReadAbandoned{};
        }
    }
    ~NestingGuard() { --state_.depth; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;

private:
    ReadState& state_;
};

void WriteQuoted(std::string& out, std::string_view s) {
    static const char hex[] = "0123456789abcdef";
    out += '"';
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                out += "\\u00";
                out += hex[c >> 4];
                out += hex[c & 0x0F];
            } else {
                out += ch;
            }
        }
    }
    out += '"';
}

void WriteValue(std::string& out, const Value& value);

void WriteObject(std::string& out, const Object& object) {
    out += '{';
    bool first = true;
    for (const auto& [key, member] : object) {
        if (!first) {
            out += ',';
        }
        first = false;
        WriteQuoted(out, key);
        out += ':';
        WriteValue(out, member);
    }
    out += '}';
}

void WriteArray(std::string& out, const Array& array) {
    out += '[';
    bool first = true;
    for (const Value& element : array) {
        if (!first) {
            out += ',';
        }
        first = false;
        WriteValue(out, element);
    }
    out += ']';
}

void WriteValue(std::string& out, const Value& value) {
    char buffer[1024] = {};
    switch (value.Type()) {
    case NullValue:
        out += "null";
        break;
    case BoolValue:
        out += value.AsBool() ? "true" : "false";
        break;
    case IntValue: {
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, value.AsInt());
        out.append(buffer, r.ptr);
        break;
    }
    case FloatValue:
    case DoubleValue: {
        // Fixed notation with six decimals and '.' whatever the locale. JSON has no infinity
        // and no NaN: such a number is written as null.
        const double d = value.Type() == FloatValue ? value.AsFloat() : value.AsDouble();
        if (!std::isfinite(d)) {
            out += "null";
            break;
        }
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, d, std::chars_format::fixed, 6);
        out.append(buffer, r.ptr);
        break;
    }
    case StringValue:
        WriteQuoted(out, value.AsString());
        break;
    case ObjectValue:
        WriteObject(out, value.AsObject());
        break;
    case ArrayValue:
        WriteArray(out, value.AsArray());
        break;
    }
}

} // namespace

// ---- values ----

Value& Object::operator[](const char* key) {
    return members_.try_emplace(key).first->second;
}

Value& Object::operator[](const std::string& key) {
    return members_.try_emplace(key).first->second;
}

void Array::Append(const Value& value) {
    elements_.push_back(value);
}
void Array::Append(Value&& value) {
    elements_.push_back(std::move(value));
}

Value::Value(const std::string& text) : type_(StringValue), string_(text) {}
Value::Value(std::string&& text) : type_(StringValue), string_(std::move(text)) {}
Value::Value(const char* text) : type_(StringValue), string_(text) {}
Value::Value(const Object& object) : type_(ObjectValue), object_(object) {}
Value::Value(Object&& object) : type_(ObjectValue), object_(std::move(object)) {}
Value::Value(const Array& array) : type_(ArrayValue), array_(array) {}
Value::Value(Array&& array) : type_(ArrayValue), array_(std::move(array)) {}
Value::Value(std::int32_t number)
    : type_(IntValue), int_(number), float_(static_cast<float>(number)), double_(number) {}
Value::Value(double number)
    : type_(DoubleValue), int_(TruncateToInt(number)), float_(ToFloat(number)), double_(number) {}
Value::Value(bool truth) : type_(BoolValue), bool_(truth) {}

Value::Value(const Value& other) : type_(other.type_) {
    CopySlotFrom(other);
}

Value::Value(Value&& other) noexcept = default;

void Value::CopySlotFrom(const Value& other) {
    switch (other.type_) {
    case NullValue:
        break;
    case StringValue:
        string_ = other.string_;
        break;
    case IntValue:
    case FloatValue:
    case DoubleValue:
        int_ = other.int_;
        float_ = other.float_;
        double_ = other.double_;
        break;
    case ObjectValue:
        object_ = other.object_;
        break;
    case ArrayValue:
        array_ = other.array_;
        break;
    case BoolValue:
        bool_ = other.bool_;
        break;
    }
}

Value& Value::operator=(const Value& other) {
    if (this == &other) {
        return *this;
    }
    Value copy(other); // taken first: other may be a member of this value's own object
    return *this = std::move(copy);
}

Value& Value::operator=(Value&& other) noexcept {
    if (this == &other) {
        return *this;
    }
    const ValueType type = other.type_;
    switch (type) {
    case NullValue:
        break;
    case StringValue:
        string_ = std::move(other.string_);
        break;
    case IntValue:
    case FloatValue:
    case DoubleValue:
        int_ = other.int_;
        float_ = other.float_;
        double_ = other.double_;
        break;
    case ObjectValue: {
        Object taken(std::move(other.object_)); // other may live inside object_
        object_ = std::move(taken);
        break;
    }
    case ArrayValue: {
        Array taken(std::move(other.array_));
        array_ = std::move(taken);
        break;
    }
    case BoolValue:
        bool_ = other.bool_;
        break;
    }
    type_ = type;
    return *this;
}

namespace {

// Each accessor serves one kind of value and refuses the others.
void Require(bool rightKind, const char* message) {
    if (!rightKind) {
        throw TypeError(message);
    }
}

// The numeric accessors serve all three kinds of number alike.
bool IsNumber(ValueType type) {
    return type == IntValue || type == FloatValue || type == DoubleValue;
}

} // namespace

const std::string& Value::AsString() const {
    Require(type_ == StringValue, "JSON value is not a string");
    return string_;
}

std::int32_t Value::AsInt() const {
    Require(IsNumber(type_), "JSON value is not a number");
    return int_;
}

float Value::AsFloat() const {
    Require(IsNumber(type_), "JSON value is not a number");
    return float_;
}

double Value::AsDouble() const {
    Require(IsNumber(type_), "JSON value is not a number");
    return double_;
}

Object& Value::AsObject() {
    return const_cast<Object&>(std::as_const(*this).AsObject());
}

const Object& Value::AsObject() const {
    Require(type_ == ObjectValue, "JSON value is not an object");
    return object_;
}

Array& Value::AsArray() {
    return const_cast<Array&>(std::as_const(*this).AsArray());
}

const Array& Value::AsArray() const {
    Require(type_ == ArrayValue, "JSON value is not an array");
    return array_;
}

bool Value::AsBool() const {
    Require(type_ == BoolValue, "JSON value is not a bool");
    return bool_;
}

// ---- writing ----

std::string Serialize(const Value& value) {
    std::string out;
    if (value.Type() == ObjectValue) {
        WriteObject(out, value.AsObject());
    } else if (value.Type() == ArrayValue) {
        WriteArray(out, value.AsArray());
    }
    return out;
}

std::string SerializeValue(const Value& value) {
    std::string out;
    WriteValue(out, value);
    return out;
}

std::string SerializeArray(const Array& array) {
    std::string out;
    WriteArray(out, array);
    return out;
}

// ---- reading ----
// Every step works on views into the one text handed to Deserialize, so the rest of the text is
// never copied and reading is linear in its length.

std::string_view TrimSpace(std::string_view s) {
    s = TrimFront(s);
    std::size_t e = s.size();
    while (e > 0 && IsSpace(s[e - 1])) {
        --e;
    }
    return s.substr(0, e);
}

std::ptrdiff_t FindClosingQuote(std::string_view s, std::size_t from) {
    bool escaped = false;
    for (std::size_t i = from; i < s.size(); ++i) {
        if (escaped) {
            escaped = false;
        } else if (s[i] == '\\') {
            escaped = true;
        } else if (s[i] == '"') {
            return static_cast<std::ptrdiff_t>(i);
        }
    }
    return -1;
}

std::ptrdiff_t FindMatchingCloser(std::string_view s, ReadState& state) {
    const std::size_t callersDepth = state.markers.size();
    bool inString = false;
    bool escaped = false;
    for (std::size_t i = 1; i < s.size(); ++i) {
        const char c = s[i];
        if (inString) {
            // Escapes are counted as FindClosingQuote counts them, so "C:\\" ends at its quote.
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            // A backslash outside a string is not JSON; a quote right after one opens no string.
            inString = s[i - 1] != '\\';
        } else if (c == '[') {
            Push(state, InArray);
        } else if (c == '{') {
            Push(state, InObject);
        } else if (c == ']' || c == '}') {
            if (!PopIfOnTop(state, c == ']' ? InArray : InObject)) {
                return -1;
            }
            if (state.markers.size() < callersDepth) {
                return static_cast<std::ptrdiff_t>(i);
            }
        }
    }
    return static_cast<std::ptrdiff_t>(s.size());
}

// The escapes of a string or key replaced by the bytes they stand for; nothing is trimmed.
std::string DecodeEscapedBytes(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (c != '\\' || i + 1 == s.size()) {
            out += c;
            ++i;
            continue;
        }
        switch (s[i + 1]) {
        case '"':
            out += '"';
            break;
        case '/':
            out += '/';
            break;
        case '\\':
            out += '\\';
            break;
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'u':
            i = DecodeUnicodeEscape(s, i, out);
            continue;
        default: // an unknown escape drops both characters
            break;
        }
        i += 2;
    }
    return out;
}

std::string DecodeEscapes(std::string_view s) {
    std::string out = DecodeEscapedBytes(s);
    const std::string_view trimmed = TrimSpace(out);
    if (trimmed.size() != out.size()) {
        return std::string(trimmed);
    }
    return out;
}

Value ReadContainer(std::string_view text, ReadState& state) {
    const std::string_view t = TrimSpace(text);
    if (t.empty()) {
        return Value();
    }
    if (t.front() == '{') {
        if (t.back() != '}' || t.size() < 2) {
            return Value();
        }
        Push(state, InObject);
        Value value = ReadObject(t, state);
        PopIfOnTop(state, InObject);
        return value;
    }
    if (t.front() == '[') {
        if (t.back() != ']' || t.size() < 2) {
            return Value();
        }
        Push(state, InArray);
        Value value = ReadArray(t, state);
        PopIfOnTop(state, InArray);
        return value;
    }
    return Value(); // a bare scalar is not a document
}

Value ReadObject(std::string_view t, ReadState& state) {
    const NestingGuard nesting(state);
    std::string_view body = TrimSpace(t.substr(1, t.size() - 2));
    Object object;
    while (!body.empty()) {
        const std::ptrdiff_t q1 = FindClosingQuote(body, 0);
        if (q1 < 0) {
            return Value();
        }
        const std::ptrdiff_t q2 = FindClosingQuote(body, static_cast<std::size_t>(q1) + 1);
        if (q2 < 0) {
            return Value();
        }
        const std::size_t colon = body.find(':', static_cast<std::size_t>(q2));
        if (colon == std::string_view::npos) {
            return Value();
        }
        // Keys are decoded like string values, so a code that the server wrote escaped ("a\/b")
        // goes back as the code it stands for; unlike values they keep their blanks.
        const std::string key = DecodeEscapedBytes(body.substr(q1 + 1, q2 - q1 - 1));
        if (key.empty()) {
            return Value();
        }
        body = body.substr(colon + 1);
        bool error = false;
        Value value = ReadValue(body, error, state);
        object[key] = std::move(value);
        if (error) {
            return Value();
        }
    }
    return Value(std::move(object));
}

Value ReadArray(std::string_view t, ReadState& state) {
    t = TrimSpace(t);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']') {
        return Value();
    }
    const NestingGuard nesting(state);
    std::string_view body = t.substr(1, t.size() - 2);
    Array array;
    while (!body.empty()) {
        std::size_t i = 0;
        // A string element is read whole, as an object's string value is: its commas and brackets
        // are text, not separators.
        const std::size_t start = body.size() - TrimFront(body).size();
        if (start < body.size() && body[start] == '"') {
            const std::ptrdiff_t close = FindClosingQuote(body, start + 1);
            if (close < 0) {
                return Value();
            }
            i = static_cast<std::size_t>(close) + 1;
        }
        bool nested = false;
        for (; i < body.size(); ++i) {
            const char c = body[i];
            if (c == '{' || c == '[') {
                nested = true;
                break;
            }
            if (c == ',' || c == ']') {
                break;
            }
        }
        bool error = false;
        if (nested) {
            // A nested container is read from the whole remaining body; what came before it on
            // the same element is dropped.
            Value value = ReadValue(body, error, state);
            if (error) {
                return Value();
            }
            if (value.Type() != NullValue) {
                array.Append(std::move(value));
            }
            continue;
        }
        std::string_view token = body.substr(0, i);
        Value value = ReadValue(token, error, state);
        if (error) {
            return Value();
        }
        if (value.Type() != NullValue) {
            array.Append(std::move(value));
        }
        body = i < body.size() ? body.substr(i + 1) : std::string_view();
    }
    return Value(std::move(array));
}

Value ReadValue(std::string_view& text, bool& error, ReadState& state) {
    error = false;
    // Only the front is trimmed: white space at the end never changes what is read, and trimming
    // it again for every value would make long texts quadratic.
    text = TrimFront(text);
    if (text.empty()) {
        return Value();
    }
    const char first = text.front();
    if (first == '[' || first == '{') {
        Push(state, first == '[' ? InArray : InObject);
        const std::ptrdiff_t e = FindMatchingCloser(text, state);
        if (e < 0) {
            error = true;
            return Value();
        }
        if (static_cast<std::size_t>(e) >= text.size()) {
            throw ReadAbandoned{}; // not closed before the text ends
        }
        const std::string_view inner = text.substr(0, static_cast<std::size_t>(e) + 1);
        text = text.substr(static_cast<std::size_t>(e) + 1);
        return first == '[' ? ReadArray(inner, state) : ReadContainer(inner, state);
    }
    if (first == '"') {
        const std::ptrdiff_t e = FindClosingQuote(text, 1);
        if (e < 0) {
            error = true;
            return Value();
        }
        Value value(DecodeEscapes(text.substr(1, static_cast<std::size_t>(e) - 1)));
        text = text.substr(static_cast<std::size_t>(e) + 1);
        return value;
    }

    // A bare token runs to the first ',' (which stays in the text) or the end; closers met on the
    // way must match the open containers and close them.
    std::string token;
    bool sawPoint = false;
    bool sawExponent = false;
    std::size_t i = 0;
    for (; i < text.size() && text[i] != ','; ++i) {
        const char c = text[i];
        if (c == '.') {
            sawPoint = true;
        } else if (c == 'e' || c == 'E') {
            sawExponent = true;
        } else if (c == ']' || c == '}') {
            if (!PopIfOnTop(state, c == ']' ? InArray : InObject)) {
                error = true;
                return Value();
            }
        }
        if (!IsSpace(c)) {
            token += c;
        }
    }
    text = text.substr(i);

    if (EqualsIgnoringCase(token, "true")) {
        return Value(true);
    }
    if (EqualsIgnoringCase(token, "false")) {
        return Value(false);
    }
    if (sawPoint || sawExponent) {
        return Value(strtod_l(token.c_str(), nullptr, CLocale()));
    }
    if (EqualsIgnoringCase(token, "null")) {
        return Value();
    }
    const double d = strtod_l(token.c_str(), nullptr, CLocale());
    if (d >= -2147483648.0 && d <= 2147483647.0) {
        // Only the digits count here, so "0x10" reads as 0 although it stays in range as 16.
        const long n = strtol_l(token.c_str(), nullptr, 10, CLocale());
        return Value(static_cast<std::int32_t>(n < INT32_MIN ? INT32_MIN : n > INT32_MAX ? INT32_MAX : n));
    }
    return Value(d);
}

Value Deserialize(std::string_view text) {
    try {
        ReadState state;
        return ReadContainer(text, state);
    } catch (...) {
        return Value();
    }
}

} // namespace json
