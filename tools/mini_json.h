#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A small JSON reader for the add-in packer's addin.json: objects, arrays,
// strings (with \u escapes), numbers, true, false, null. Object keys keep
// their order of first appearance; a repeated key is an error.
struct JsonMember;

struct JsonValue {
    enum class Type { Null, Bool, Number, String, Array, Object };
    Type type = Type::Null;
    bool boolean = false;
    double number = 0;
    std::string string; // UTF-8
    std::vector<JsonValue> array;
    std::vector<JsonMember> object;

    const JsonValue* member(std::string_view key) const;
};

struct JsonMember {
    std::string first; // the key
    JsonValue second;
};

struct JsonParse {
    std::optional<JsonValue> value;
    std::string error; // with the line number
};

JsonParse parseJson(std::string_view text);
