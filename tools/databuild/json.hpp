// A strict JSON reader for the stroke data (nlohmann-json underneath): the
// whole text must be one value, an object's keys must differ; numbers become
// doubles, strings UTF-8. Errors give nullopt and a message with the byte
// offset.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tulvo::databuild {

struct JsonValue {
    using Array = std::vector<JsonValue>;
    using Object = std::map<std::string, JsonValue>;
    std::variant<std::nullptr_t, bool, double, std::string, Array, Object> value;

    const Array* array() const { return std::get_if<Array>(&value); }
    const Object* object() const { return std::get_if<Object>(&value); }
    const double* number() const { return std::get_if<double>(&value); }
    const std::string* string() const { return std::get_if<std::string>(&value); }
    // The member of an object, or nullptr.
    const JsonValue* member(const std::string& name) const;
};

std::optional<JsonValue> parseJson(std::string_view text, std::string* error);

}  // namespace tulvo::databuild
