#include "tools/databuild/json.hpp"

#include <cstddef>
#include <iterator>
#include <nlohmann/json.hpp>

namespace tulvo::databuild {

const JsonValue* JsonValue::member(const std::string& name) const {
    const Object* o = object();
    if (!o) return nullptr;
    const auto it = o->find(name);
    return it == o->end() ? nullptr : &it->second;
}

namespace {

constexpr size_t kMaxDepth = 64;

// A pointer over the text that counts the bytes the parser has taken, so
// that errors found while building the value (a repeated key, too deep a
// nesting) can name where they are.
class CountingIterator {
  public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    CountingIterator() = default;
    CountingIterator(const char* at, const char* start, size_t* taken)
        : at_(at), start_(start), taken_(taken) {}
    reference operator*() const { return *at_; }
    CountingIterator& operator++() {
        ++at_;
        if (taken_) *taken_ = size_t(at_ - start_);
        return *this;
    }
    CountingIterator operator++(int) {
        CountingIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const CountingIterator& other) const { return at_ == other.at_; }

  private:
    const char* at_ = nullptr;
    const char* start_ = nullptr;
    size_t* taken_ = nullptr;
};

// Builds a JsonValue straight from the parser's events. The library parses
// strictly (RFC 8259: no comments, no trailing commas, valid escapes and
// surrogates, nothing after the value); this adds what it lets through:
// repeated keys in one object and nesting beyond kMaxDepth.
class Builder : public nlohmann::json_sax<nlohmann::json> {
  public:
    explicit Builder(const size_t* taken) : taken_(taken) {}

    bool null() override { return add(JsonValue{nullptr}); }
    bool boolean(bool b) override { return add(JsonValue{b}); }
    bool number_integer(number_integer_t n) override { return add(JsonValue{double(n)}); }
    bool number_unsigned(number_unsigned_t n) override { return add(JsonValue{double(n)}); }
    bool number_float(number_float_t n, const string_t&) override { return add(JsonValue{n}); }
    bool string(string_t& s) override { return add(JsonValue{std::move(s)}); }
    bool binary(binary_t&) override { return fail("binary value"); }

    bool start_object(std::size_t) override { return open(JsonValue{JsonValue::Object{}}); }
    bool key(string_t& k) override {
        auto& object = std::get<JsonValue::Object>(stack_.back().value);
        if (object.count(k)) return fail("repeated key \"" + k + "\"");
        key_ = std::move(k);
        return true;
    }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(JsonValue{JsonValue::Array{}}); }
    bool end_array() override { return close(); }

    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& ex) override {
        error_ = "JSON error at byte " + std::to_string(position) + ": " + ex.what();
        return false;
    }

    std::optional<JsonValue> result;
    const std::string& error() const { return error_; }

  private:
    bool fail(const std::string& why) {
        error_ = "JSON error at byte " + std::to_string(*taken_) + ": " + why;
        return false;
    }

    // Puts a finished value into the array or object being read, or makes
    // it the result.
    bool add(JsonValue v) {
        if (stack_.empty()) {
            result = std::move(v);
            return true;
        }
        JsonValue& parent = stack_.back();
        if (auto* array = std::get_if<JsonValue::Array>(&parent.value))
            array->push_back(std::move(v));
        else
            std::get<JsonValue::Object>(parent.value).emplace(std::move(key_), std::move(v));
        return true;
    }

    bool open(JsonValue container) {
        if (stack_.size() >= kMaxDepth) return fail("nested too deeply");
        // The key of an object member is kept until the member's value ends.
        keys_.push_back(std::move(key_));
        stack_.push_back(std::move(container));
        return true;
    }

    bool close() {
        JsonValue done = std::move(stack_.back());
        stack_.pop_back();
        key_ = std::move(keys_.back());
        keys_.pop_back();
        return add(std::move(done));
    }

    const size_t* taken_;
    std::vector<JsonValue> stack_;
    std::vector<std::string> keys_;
    std::string key_;
    std::string error_;
};

}  // namespace

std::optional<JsonValue> parseJson(std::string_view text, std::string* error) {
    size_t taken = 0;
    Builder builder(&taken);
    const CountingIterator first(text.data(), text.data(), &taken);
    const CountingIterator last(text.data() + text.size(), text.data(), nullptr);
    const bool ok = nlohmann::json::sax_parse(first, last, &builder);
    if (!ok || !builder.result) {
        if (error) *error = builder.error().empty() ? "JSON error at byte 0" : builder.error();
        return std::nullopt;
    }
    return std::move(builder.result);
}

}  // namespace tulvo::databuild
