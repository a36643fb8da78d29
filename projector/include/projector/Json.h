// A small, strict JSON reader for the files the core reads (projector
// setups): RFC 8259 only, no comments or trailing commas, every length and
// the nesting depth checked. Objects keep their keys in file order so that
// problems are told in the order a person reads them.
#pragma once

#include "rtl/Result.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace projector {

struct JsonMember;

class JsonValue {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };
    using Member = JsonMember;

    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;
    std::vector<Member> members;

    // The member called key, or null when there is none.
    const JsonValue *Find(std::string_view key) const;
};

struct JsonMember {
    std::string key;
    JsonValue value;
};

// The words a problem uses for a kind: "a number", "an object".
const char *KindName(JsonValue::Kind kind);

constexpr std::size_t kMostJsonBytes = 16 * 1024 * 1024;
constexpr int kDeepestJson = 64;

// The value text holds, or where and why it is not JSON
// ("line 3, column 7: expected ':'").
rtl::Result<JsonValue> ParseJson(std::string_view text);

// text as a JSON string, quotes included.
std::string JsonQuoted(std::string_view text);
// A number as JSON writes it: integers without a point, others as short
// as they read back exactly.
std::string JsonNumber(double value);

} // namespace projector
