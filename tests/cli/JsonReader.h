// Just enough JSON reading to check what `lumivex ilda --json` prints.
#pragma once

#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace clitest {

struct Json {
    enum class Kind { Number, String, Array, Object, Null } kind = Kind::Number;
    long long number = 0;
    double real = 0; // the number with its fraction
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> fields;

    const Json &operator[](const std::string &key) const { return fields.at(key); }
    const Json &operator[](std::size_t i) const { return items.at(i); }
};

class JsonReader {
public:
    // Throws std::runtime_error unless text is exactly one value (and blanks).
    static Json Parse(const std::string &text)
    {
        JsonReader reader(text);
        Json value = reader.value();
        reader.blanks();
        if (reader.at_ != text.size())
            throw std::runtime_error("text after the value");
        return value;
    }

private:
    explicit JsonReader(const std::string &text) : text_(text) {}

    void blanks()
    {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_])))
            ++at_;
    }
    char peek()
    {
        blanks();
        if (at_ >= text_.size())
            throw std::runtime_error("unexpected end");
        return text_[at_];
    }
    void expect(char c)
    {
        if (peek() != c)
            throw std::runtime_error(std::string("expected ") + c + " at " + std::to_string(at_));
        ++at_;
    }

    Json value()
    {
        const char c = peek();
        if (c == '{')
            return object();
        if (c == '[')
            return array();
        if (text_.compare(at_, 4, "null") == 0) {
            at_ += 4;
            Json n;
            n.kind = Json::Kind::Null;
            return n;
        }
        if (c == '"') {
            Json s;
            s.kind = Json::Kind::String;
            s.text = string();
            return s;
        }
        return number();
    }
    Json object()
    {
        Json o;
        o.kind = Json::Kind::Object;
        expect('{');
        if (peek() == '}') {
            ++at_;
            return o;
        }
        for (;;) {
            peek();
            std::string key = string();
            expect(':');
            o.fields[key] = value();
            if (peek() == '}') {
                ++at_;
                return o;
            }
            expect(',');
        }
    }
    Json array()
    {
        Json a;
        a.kind = Json::Kind::Array;
        expect('[');
        if (peek() == ']') {
            ++at_;
            return a;
        }
        for (;;) {
            a.items.push_back(value());
            if (peek() == ']') {
                ++at_;
                return a;
            }
            expect(',');
        }
    }
    std::string string()
    {
        expect('"');
        std::string out;
        while (at_ < text_.size() && text_[at_] != '"') {
            char c = text_[at_++];
            if (static_cast<unsigned char>(c) < 0x20)
                throw std::runtime_error("raw control character in a string");
            if (c == '\\') {
                if (at_ >= text_.size())
                    break;
                const char e = text_[at_++];
                switch (e) {
                case 'n': c = '\n'; break;
                case 'r': c = '\r'; break;
                case 't': c = '\t'; break;
                case 'b': c = '\b'; break;
                case 'f': c = '\f'; break;
                case 'u':
                    c = static_cast<char>(std::stoi(text_.substr(at_, 4), nullptr, 16));
                    at_ += 4;
                    break;
                default: c = e;
                }
            }
            out += c;
        }
        expect('"');
        return out;
    }
    Json number()
    {
        Json n;
        const char *start = text_.c_str() + at_;
        char *end = nullptr;
        n.number = std::strtoll(start, nullptr, 10);
        n.real = std::strtod(start, &end);
        if (end == start)
            throw std::runtime_error("not a number at " + std::to_string(at_));
        at_ += static_cast<std::size_t>(end - start);
        return n;
    }

    const std::string &text_;
    std::size_t at_ = 0;
};

} // namespace clitest
