#include "mini_json.h"

#include <cstdlib>

namespace {
class Parser {
public:
    explicit Parser(std::string_view t) : t_(t) {}

    JsonParse run() {
        JsonParse out;
        JsonValue v;
        if (value(v, 0)) {
            space();
            if (p_ == t_.size())
                out.value = std::move(v);
            else
                fail("unexpected text after the end");
        }
        out.error = error_;
        return out;
    }

private:
    static constexpr int kMaxDepth = 64;

    bool fail(const std::string& what) {
        if (error_.empty()) {
            std::size_t line = 1;
            for (std::size_t i = 0; i < p_ && i < t_.size(); ++i)
                line += t_[i] == '\n';
            error_ = "line " + std::to_string(line) + ": " + what;
        }
        return false;
    }
    void space() {
        while (p_ < t_.size() &&
               (t_[p_] == ' ' || t_[p_] == '\t' || t_[p_] == '\n' || t_[p_] == '\r'))
            ++p_;
    }
    bool literal(std::string_view word) {
        if (t_.substr(p_, word.size()) != word)
            return fail("unknown value");
        p_ += word.size();
        return true;
    }
    static void putUtf8(std::string& s, unsigned cp) {
        if (cp < 0x80) {
            s.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            s.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            s.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            s.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            s.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            s.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            s.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            s.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            s.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            s.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    bool hex4(unsigned& v) {
        if (p_ + 4 > t_.size())
            return fail("short \\u escape");
        v = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = t_[p_++];
            v <<= 4;
            if (c >= '0' && c <= '9')
                v |= unsigned(c - '0');
            else if (c >= 'a' && c <= 'f')
                v |= unsigned(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                v |= unsigned(c - 'A' + 10);
            else
                return fail("bad \\u escape");
        }
        return true;
    }
    bool string(std::string& s) {
        ++p_; // the opening quote
        while (p_ < t_.size() && t_[p_] != '"') {
            const char c = t_[p_++];
            if (static_cast<unsigned char>(c) < 0x20)
                return fail("control character in a string");
            if (c != '\\') {
                s.push_back(c);
                continue;
            }
            if (p_ >= t_.size())
                break;
            const char e = t_[p_++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                s.push_back(e);
                break;
            case 'b':
                s.push_back('\b');
                break;
            case 'f':
                s.push_back('\f');
                break;
            case 'n':
                s.push_back('\n');
                break;
            case 'r':
                s.push_back('\r');
                break;
            case 't':
                s.push_back('\t');
                break;
            case 'u': {
                unsigned cp = 0;
                if (!hex4(cp))
                    return false;
                if (cp >= 0xD800 && cp < 0xDC00 && t_.substr(p_, 2) == "\\u") {
                    p_ += 2;
                    unsigned lo = 0;
                    if (!hex4(lo))
                        return false;
                    if (lo < 0xDC00 || lo > 0xDFFF)
                        return fail("bad surrogate pair");
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                } else if (cp >= 0xD800 && cp < 0xE000) {
                    return fail("lone surrogate");
                }
                putUtf8(s, cp);
                break;
            }
            default:
                return fail("unknown escape");
            }
        }
        if (p_ >= t_.size())
            return fail("unterminated string");
        ++p_;
        return true;
    }
    bool number(JsonValue& v) {
        const std::size_t start = p_;
        while (p_ < t_.size() &&
               std::string_view("+-0123456789.eE").find(t_[p_]) != std::string_view::npos)
            ++p_;
        const std::string text(t_.substr(start, p_ - start));
        char* end = nullptr;
        v.type = JsonValue::Type::Number;
        v.number = std::strtod(text.c_str(), &end);
        if (text.empty() || end != text.c_str() + text.size())
            return fail("bad number");
        return true;
    }
    bool value(JsonValue& v, int depth) {
        if (depth > kMaxDepth)
            return fail("nested too deeply");
        space();
        if (p_ >= t_.size())
            return fail("unexpected end");
        const char c = t_[p_];
        if (c == '"') {
            v.type = JsonValue::Type::String;
            return string(v.string);
        }
        if (c == '{')
            return object(v, depth);
        if (c == '[')
            return array(v, depth);
        if (c == 't' || c == 'f') {
            v.type = JsonValue::Type::Bool;
            v.boolean = c == 't';
            return literal(c == 't' ? "true" : "false");
        }
        if (c == 'n')
            return literal("null");
        return number(v);
    }
    bool array(JsonValue& v, int depth) {
        v.type = JsonValue::Type::Array;
        ++p_;
        space();
        if (p_ < t_.size() && t_[p_] == ']') {
            ++p_;
            return true;
        }
        while (true) {
            v.array.emplace_back();
            if (!value(v.array.back(), depth + 1))
                return false;
            space();
            if (p_ < t_.size() && t_[p_] == ',') {
                ++p_;
                continue;
            }
            if (p_ < t_.size() && t_[p_] == ']') {
                ++p_;
                return true;
            }
            return fail("expected , or ]");
        }
    }
    bool object(JsonValue& v, int depth) {
        v.type = JsonValue::Type::Object;
        ++p_;
        space();
        if (p_ < t_.size() && t_[p_] == '}') {
            ++p_;
            return true;
        }
        while (true) {
            space();
            if (p_ >= t_.size() || t_[p_] != '"')
                return fail("expected a key");
            std::string key;
            if (!string(key))
                return false;
            if (v.member(key))
                return fail("\"" + key + "\" given twice");
            space();
            if (p_ >= t_.size() || t_[p_] != ':')
                return fail("expected :");
            ++p_;
            v.object.push_back({std::move(key), JsonValue{}});
            if (!value(v.object.back().second, depth + 1))
                return false;
            space();
            if (p_ < t_.size() && t_[p_] == ',') {
                ++p_;
                continue;
            }
            if (p_ < t_.size() && t_[p_] == '}') {
                ++p_;
                return true;
            }
            return fail("expected , or }");
        }
    }

    std::string_view t_;
    std::size_t p_ = 0;
    std::string error_;
};
} // namespace

const JsonValue* JsonValue::member(std::string_view key) const {
    for (const JsonMember& m : object)
        if (m.first == key)
            return &m.second;
    return nullptr;
}

JsonParse parseJson(std::string_view text) {
    return Parser(text).run();
}
