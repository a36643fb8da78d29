#include "projector/Json.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <tuple>

namespace projector {

const JsonValue *JsonValue::Find(std::string_view key) const
{
    for (const Member &member : members)
        if (member.key == key)
            return &member.value;
    return nullptr;
}

const char *KindName(JsonValue::Kind kind)
{
    switch (kind) {
    case JsonValue::Kind::Null: return "null";
    case JsonValue::Kind::Bool: return "true or false";
    case JsonValue::Kind::Number: return "a number";
    case JsonValue::Kind::String: return "a string";
    case JsonValue::Kind::Array: return "a list";
    case JsonValue::Kind::Object: return "an object";
    }
    return "a value";
}

namespace {

struct SyntaxError {
    std::size_t at;
    std::string what;
};

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    JsonValue Document()
    {
        JsonValue value = Value(0);
        SkipSpace();
        if (pos_ != text_.size())
            throw SyntaxError{pos_, "text after the value"};
        return value;
    }

    // "line L, column C" of a byte offset, both from 1.
    std::string Where(std::size_t at) const
    {
        std::size_t line = 1, column = 1;
        for (std::size_t i = 0; i < at && i < text_.size(); ++i) {
            if (text_[i] == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        return "line " + std::to_string(line) + ", column " + std::to_string(column);
    }

private:
    JsonValue Value(int depth)
    {
        if (depth > kDeepestJson)
            throw SyntaxError{pos_, "nested deeper than " + std::to_string(kDeepestJson) + " levels"};
        SkipSpace();
        if (pos_ >= text_.size())
            throw SyntaxError{pos_, "a value is missing"};
        const char c = text_[pos_];
        if (c == '{')
            return Object(depth);
        if (c == '[')
            return Array(depth);
        JsonValue value;
        if (c == '"') {
            value.kind = JsonValue::Kind::String;
            value.text = String();
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            value.kind = JsonValue::Kind::Number;
            value.number = Number();
        } else {
            Word(value);
        }
        return value;
    }

    void Word(JsonValue &value)
    {
        for (const auto &[word, kind, flag] :
             {std::tuple{"true", JsonValue::Kind::Bool, true}, std::tuple{"false", JsonValue::Kind::Bool, false},
              std::tuple{"null", JsonValue::Kind::Null, false}}) {
            const std::string_view w(word);
            if (text_.substr(pos_, w.size()) == w) {
                pos_ += w.size();
                value.kind = kind;
                value.boolean = flag;
                return;
            }
        }
        throw SyntaxError{pos_, "not a JSON value"};
    }

    JsonValue Object(int depth)
    {
        JsonValue value;
        value.kind = JsonValue::Kind::Object;
        ++pos_;
        if (Peek() == '}') {
            ++pos_;
            return value;
        }
        for (;;) {
            if (Peek() != '"')
                throw SyntaxError{pos_, "expected a key in quotes"};
            const std::size_t keyAt = pos_;
            std::string key = String();
            if (value.Find(key))
                throw SyntaxError{keyAt, "the key \"" + key + "\" is given twice"};
            Expect(':');
            value.members.push_back({std::move(key), Value(depth + 1)});
            if (Peek() == '}') {
                ++pos_;
                return value;
            }
            Expect(',');
            SkipSpace();
        }
    }

    JsonValue Array(int depth)
    {
        JsonValue value;
        value.kind = JsonValue::Kind::Array;
        ++pos_;
        if (Peek() == ']') {
            ++pos_;
            return value;
        }
        for (;;) {
            value.items.push_back(Value(depth + 1));
            if (Peek() == ']') {
                ++pos_;
                return value;
            }
            Expect(',');
        }
    }

    double Number()
    {
        const std::size_t start = pos_;
        auto digits = [&] {
            const std::size_t from = pos_;
            while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9')
                ++pos_;
            if (pos_ == from)
                throw SyntaxError{pos_, "a digit is missing"};
        };
        if (text_[pos_] == '-')
            ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '0')
            ++pos_;
        else
            digits();
        if (pos_ < text_.size() && text_[pos_] == '.') {
            ++pos_;
            digits();
        }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-'))
                ++pos_;
            digits();
        }
        double number = 0;
        const auto [end, error] = std::from_chars(text_.data() + start, text_.data() + pos_, number);
        if (error != std::errc() || end != text_.data() + pos_ || !std::isfinite(number))
            throw SyntaxError{start, "a number out of range"};
        return number;
    }

    std::string String()
    {
        ++pos_; // the opening quote
        std::string out;
        for (;;) {
            if (pos_ >= text_.size())
                throw SyntaxError{pos_, "a string is not closed"};
            const char c = text_[pos_++];
            if (c == '"')
                return out;
            if (static_cast<unsigned char>(c) < 0x20)
                throw SyntaxError{pos_ - 1, "a control character inside a string"};
            if (c == '\\')
                Escape(out);
            else
                out += c;
        }
    }

    void Escape(std::string &out)
    {
        if (pos_ >= text_.size())
            throw SyntaxError{pos_, "a string is not closed"};
        const char c = text_[pos_++];
        const std::string_view plain = "\"\\/bfnrt", meant = "\"\\/\b\f\n\r\t";
        if (const auto k = plain.find(c); k != std::string_view::npos) {
            out += meant[k];
            return;
        }
        if (c != 'u')
            throw SyntaxError{pos_ - 1, "an unknown escape"};
        unsigned code = Hex4();
        if (code >= 0xD800 && code < 0xDC00) {
            if (text_.substr(pos_, 2) != "\\u")
                throw SyntaxError{pos_, "half a surrogate pair"};
            pos_ += 2;
            const unsigned low = Hex4();
            if (low < 0xDC00 || low > 0xDFFF)
                throw SyntaxError{pos_ - 4, "half a surrogate pair"};
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        } else if (code >= 0xDC00 && code < 0xE000) {
            throw SyntaxError{pos_ - 4, "half a surrogate pair"};
        }
        Utf8(code, out);
    }

    unsigned Hex4()
    {
        if (text_.size() - pos_ < 4)
            throw SyntaxError{pos_, "\\u needs four hex digits"};
        unsigned code = 0;
        const auto [end, error] = std::from_chars(text_.data() + pos_, text_.data() + pos_ + 4, code, 16);
        if (error != std::errc() || end != text_.data() + pos_ + 4)
            throw SyntaxError{pos_, "\\u needs four hex digits"};
        pos_ += 4;
        return code;
    }

    static void Utf8(unsigned code, std::string &out)
    {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | code >> 6);
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | code >> 12);
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | code >> 18);
            out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    void SkipSpace()
    {
        while (pos_ < text_.size() &&
               (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }

    char Peek()
    {
        SkipSpace();
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }

    void Expect(char c)
    {
        if (Peek() != c)
            throw SyntaxError{pos_, std::string("expected '") + c + "'"};
        ++pos_;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace

rtl::Result<JsonValue> ParseJson(std::string_view text)
{
    if (text.size() > kMostJsonBytes)
        return rtl::Fail("longer than " + std::to_string(kMostJsonBytes) + " bytes");
    Reader reader(text);
    try {
        return reader.Document();
    } catch (const SyntaxError &error) {
        return rtl::Fail(reader.Where(error.at) + ": " + error.what);
    }
}

std::string JsonQuoted(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string JsonNumber(double value)
{
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc() || !std::isfinite(value))
        return "0";
    return std::string(buffer, end);
}

} // namespace projector
