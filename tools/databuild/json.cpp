#include "tools/databuild/json.hpp"

#include <cstdlib>

namespace tulvo::databuild {

const JsonValue* JsonValue::member(const std::string& name) const {
    const Object* o = object();
    if (!o) return nullptr;
    const auto it = o->find(name);
    return it == o->end() ? nullptr : &it->second;
}

namespace {

constexpr int kMaxDepth = 64;

class Parser {
  public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::optional<JsonValue> document(std::string* error) {
        auto v = value(0);
        skipSpace();
        if (v && pos_ != text_.size()) v = fail("text after the value");
        if (!v && error) *error = "JSON error at byte " + std::to_string(pos_) + ": " + error_;
        return v;
    }

  private:
    std::optional<JsonValue> fail(const char* why) {
        if (error_.empty()) error_ = why;
        return std::nullopt;
    }

    void skipSpace() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                       text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }

    bool literal(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) return false;
        pos_ += word.size();
        return true;
    }

    std::optional<JsonValue> value(int depth) {
        if (depth > kMaxDepth) return fail("nested too deeply");
        skipSpace();
        if (pos_ >= text_.size()) return fail("unexpected end");
        const char c = text_[pos_];
        if (c == '{') return object(depth);
        if (c == '[') return array(depth);
        if (c == '"') {
            auto s = string();
            if (!s) return std::nullopt;
            return JsonValue{std::move(*s)};
        }
        if (literal("true")) return JsonValue{true};
        if (literal("false")) return JsonValue{false};
        if (literal("null")) return JsonValue{nullptr};
        return number();
    }

    std::optional<JsonValue> number() {
        const size_t start = pos_;
        auto digits = [&] {
            const size_t from = pos_;
            while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
            return pos_ - from;
        };
        if (pos_ < text_.size() && text_[pos_] == '-') ++pos_;
        const size_t intStart = pos_;
        const size_t intDigits = digits();
        if (intDigits == 0) return fail("expected a value");
        if (intDigits > 1 && text_[intStart] == '0') return fail("leading zero");
        if (pos_ < text_.size() && text_[pos_] == '.') {
            ++pos_;
            if (digits() == 0) return fail("digits expected after '.'");
        }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
            if (digits() == 0) return fail("digits expected in exponent");
        }
        const std::string token(text_.substr(start, pos_ - start));
        return JsonValue{std::strtod(token.c_str(), nullptr)};
    }

    static void appendUtf8(std::string& out, unsigned cp) {
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | cp >> 6);
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | cp >> 12);
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | cp >> 18);
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }

    std::optional<unsigned> hex4() {
        if (pos_ + 4 > text_.size()) return std::nullopt;
        unsigned v = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[pos_++];
            v <<= 4;
            if (c >= '0' && c <= '9')
                v |= unsigned(c - '0');
            else if (c >= 'a' && c <= 'f')
                v |= unsigned(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                v |= unsigned(c - 'A' + 10);
            else
                return std::nullopt;
        }
        return v;
    }

    std::optional<std::string> string() {
        ++pos_;  // the opening quote
        std::string out;
        while (true) {
            if (pos_ >= text_.size()) {
                fail("unterminated string");
                return std::nullopt;
            }
            const char c = text_[pos_++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) {
                fail("control character in string");
                return std::nullopt;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size()) break;
            const char e = text_[pos_++];
            const std::string_view simple = "\"\\/bfnrt";
            const std::string_view meaning = "\"\\/\b\f\n\r\t";
            if (const size_t at = simple.find(e); at != std::string_view::npos) {
                out += meaning[at];
                continue;
            }
            if (e != 'u') {
                fail("bad escape");
                return std::nullopt;
            }
            auto cp = hex4();
            if (cp && *cp >= 0xD800 && *cp < 0xDC00) {
                auto low = literal("\\u") ? hex4() : std::nullopt;
                cp = low && *low >= 0xDC00 && *low < 0xE000
                         ? std::optional<unsigned>(0x10000 + ((*cp - 0xD800) << 10) +
                                                   (*low - 0xDC00))
                         : std::nullopt;
            } else if (cp && *cp >= 0xDC00 && *cp < 0xE000) {
                cp = std::nullopt;
            }
            if (!cp) {
                fail("bad \\u escape");
                return std::nullopt;
            }
            appendUtf8(out, *cp);
        }
        fail("unterminated string");
        return std::nullopt;
    }

    std::optional<JsonValue> array(int depth) {
        ++pos_;
        JsonValue::Array items;
        skipSpace();
        if (pos_ < text_.size() && text_[pos_] == ']') {
            ++pos_;
            return JsonValue{std::move(items)};
        }
        while (true) {
            auto v = value(depth + 1);
            if (!v) return std::nullopt;
            items.push_back(std::move(*v));
            skipSpace();
            if (pos_ >= text_.size()) return fail("unterminated array");
            const char c = text_[pos_++];
            if (c == ']') return JsonValue{std::move(items)};
            if (c != ',') return fail("expected ',' or ']'");
        }
    }

    std::optional<JsonValue> object(int depth) {
        ++pos_;
        JsonValue::Object members;
        skipSpace();
        if (pos_ < text_.size() && text_[pos_] == '}') {
            ++pos_;
            return JsonValue{std::move(members)};
        }
        while (true) {
            skipSpace();
            if (pos_ >= text_.size() || text_[pos_] != '"') return fail("expected a member name");
            auto name = string();
            if (!name) return std::nullopt;
            skipSpace();
            if (pos_ >= text_.size() || text_[pos_++] != ':') return fail("expected ':'");
            auto v = value(depth + 1);
            if (!v) return std::nullopt;
            if (!members.emplace(std::move(*name), std::move(*v)).second)
                return fail("duplicate member name");
            skipSpace();
            if (pos_ >= text_.size()) return fail("unterminated object");
            const char c = text_[pos_++];
            if (c == '}') return JsonValue{std::move(members)};
            if (c != ',') return fail("expected ',' or '}'");
        }
    }

    std::string_view text_;
    size_t pos_ = 0;
    std::string error_;
};

}  // namespace

std::optional<JsonValue> parseJson(std::string_view text, std::string* error) {
    return Parser(text).document(error);
}

}  // namespace tulvo::databuild
