#pragma once
// The JSON documents exchanged with the upload server: a value tree in memory (json::Value with
// its ordered json::Object and its json::Array), the compact writer and the lenient reader.
//
// A value keeps one slot per kind and a tag that says which slot counts. Objects visit their
// members in ascending byte order of the keys, not in the order they were added. The reader
// never throws: whatever it cannot read gives a null value. The writer always writes valid JSON
// (strings escaped, a number that is not finite as null); the reader keeps the quirks the
// server's replies were written against (string values trimmed, keys decoded as values are but
// keeping their blanks, null array elements dropped).

#include <cstddef>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace json {

enum ValueType : std::uint8_t {
    NullValue = 0,
    StringValue = 1,
    IntValue = 2,
    FloatValue = 3, // never built; the number keeps its place
    DoubleValue = 4,
    ObjectValue = 5,
    ArrayValue = 6,
    BoolValue = 7,
};

// Raised by an accessor asked for a kind the value is not.
class TypeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Value;

// Members unique by key, kept and visited in ascending unsigned byte order of the keys.
class Object {
public:
    using Map = std::map<std::string, Value>;
    using const_iterator = Map::const_iterator;
    using iterator = Map::iterator;

    // The member with this key; a missing one is first added as a null value, so reading a
    // member that is not there adds it.
    Value& operator[](const char* key);
    Value& operator[](const std::string& key);

    std::size_t Count() const { return members_.size(); }
    bool IsEmpty() const { return members_.empty(); }
    void Clear() { members_.clear(); }

    iterator begin() { return members_.begin(); }
    iterator end() { return members_.end(); }
    const_iterator begin() const { return members_.begin(); }
    const_iterator end() const { return members_.end(); }

private:
    Map members_;
};

// Elements in the order they were appended.
class Array {
public:
    using const_iterator = std::vector<Value>::const_iterator;
    using iterator = std::vector<Value>::iterator;

    std::size_t Count() const;
    Value& operator[](std::size_t index);
    const Value& operator[](std::size_t index) const;
    void Append(const Value& value);
    void Append(Value&& value);

    iterator begin() { return elements_.begin(); }
    iterator end() { return elements_.end(); }
    const_iterator begin() const { return elements_.begin(); }
    const_iterator end() const { return elements_.end(); }

private:
    std::vector<Value> elements_;
};

class Value {
public:
    Value() = default;
    Value(const std::string& text);
    Value(std::string&& text);
    Value(const char* text); // a text, never the bool a pointer would convert to
    Value(const Object& object);
    Value(Object&& object);
    Value(const Array& array);
    Value(Array&& array);
    // Numbers and truth values come from the reader; the program builds texts, arrays, objects.
    explicit Value(std::int32_t number);
    explicit Value(double number);
    explicit Value(bool truth);

    // Copies the tag and the slot of that kind (all three numeric slots for a number).
    Value(const Value& other);
    Value(Value&& other) noexcept;
    // Writes only the slot of the new kind; the tag decides what the value is. Safe when the
    // source lives inside this value (a member of its own object, say).
    Value& operator=(const Value& other);
    Value& operator=(Value&& other) noexcept;

    ValueType Type() const { return type_; }

    // Each accessor throws TypeError for a value of another kind; the numeric ones serve
    // integers, floats and doubles alike.
    const std::string& AsString() const;
    std::int32_t AsInt() const;
    float AsFloat() const;
    double AsDouble() const;
    Object& AsObject();
    const Object& AsObject() const;
    Array& AsArray();
    const Array& AsArray() const;
    bool AsBool() const;

private:
    void CopySlotFrom(const Value& other);

    ValueType type_ = NullValue;
    std::int32_t int_ = 0;
    float float_ = 0.0f;
    double double_ = 0.0;
    std::string string_;
    Object object_;
    Array array_;
    bool bool_ = false;
};

inline std::size_t Array::Count() const {
    return elements_.size();
}
inline Value& Array::operator[](std::size_t index) {
    return elements_[index];
}
inline const Value& Array::operator[](std::size_t index) const {
    return elements_[index];
}

// Writing: compact text, members in key order, no white space.
std::string Serialize(const Value& value); // an object's or an array's text, "" for other kinds
std::string SerializeValue(const Value& value);
std::string SerializeArray(const Array& array);

// Reading: an object or array value, or a null value for anything else or anything unreadable
// (a bare scalar at the top level included). Never throws.
Value Deserialize(std::string_view text);

// The reader's steps, exposed for their own tests; only Deserialize strings them together.

// Containers nested deeper than this are refused (the whole text reads as null).
constexpr std::size_t kMaxNestingDepth = 512;

enum StackDepthType : std::uint8_t { InObject = 0, InArray = 1 };

// The state one Deserialize call threads through its steps: the stack of open-container
// markers and the nesting of the containers being read.
struct ReadState {
    std::vector<StackDepthType> markers;
    std::size_t depth = 0;
};

// Thrown inside the reader when the whole text must read as null; Deserialize catches it.
struct ReadAbandoned {};

std::string_view TrimSpace(std::string_view s);
// Position of the first double quote at or after `from` that no backslash escapes; -1 if none.
std::ptrdiff_t FindClosingQuote(std::string_view s, std::size_t from);
// s begins with the opener whose marker the caller has just pushed. Position of the closer that
// pops it; -1 for a closer that does not match; s.size() when s ends first.
std::ptrdiff_t FindMatchingCloser(std::string_view s, ReadState& state);
// Escapes decoded (\u to UTF-8), the result trimmed. Throws ReadAbandoned for a cut-off \u.
std::string DecodeEscapes(std::string_view s);
Value ReadContainer(std::string_view text, ReadState& state);
Value ReadObject(std::string_view t, ReadState& state);
Value ReadArray(std::string_view t, ReadState& state);
// Reads one value from the front of text and leaves what follows it in text.
Value ReadValue(std::string_view& text, bool& error, ReadState& state);

} // namespace json
