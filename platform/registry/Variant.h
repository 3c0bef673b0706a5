#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace kestrova {

using ByteArray = std::vector<std::uint8_t>;

// A tagged value as the registry class takes and gives it: Empty, a text
// (8-bit, may hold NULs), a 32-bit signed integer or a byte array.
class Variant {
  public:
    enum class Kind { Empty, Text, Integer, Bytes };

    Variant() = default;
    // Converting constructors, so that plain values can be passed and compared.
    // cppcheck-suppress noExplicitConstructor
    Variant(std::string text) : value_(std::move(text)) {}  // NOLINT(google-explicit-constructor)
    // cppcheck-suppress noExplicitConstructor
    Variant(const char* text)
        : value_(std::string(text != nullptr ? text : "")) {
    }  // NOLINT(google-explicit-constructor)
    // cppcheck-suppress noExplicitConstructor
    Variant(std::int32_t number) : value_(number) {}  // NOLINT(google-explicit-constructor)
    // cppcheck-suppress noExplicitConstructor
    Variant(ByteArray bytes) : value_(std::move(bytes)) {}  // NOLINT(google-explicit-constructor)

    Kind kind() const { return static_cast<Kind>(value_.index()); }
    bool IsEmpty() const { return kind() == Kind::Empty; }

    // The value when it is of that kind, otherwise null.
    const std::string* Text() const { return std::get_if<std::string>(&value_); }
    const std::int32_t* Integer() const { return std::get_if<std::int32_t>(&value_); }
    const ByteArray* Bytes() const { return std::get_if<ByteArray>(&value_); }

    // Conversions. Empty is the empty text, no bytes or 0; an integer is its
    // decimal text; a byte array's text is its bytes as characters; a text's
    // bytes are its characters; a text is an integer when it holds a decimal
    // number in range, with blanks around it allowed. Nothing else converts.
    std::string ToText() const;
    std::optional<ByteArray> ToBytes() const;
    std::optional<std::int32_t> ToInteger() const;

    friend bool operator==(const Variant&, const Variant&) = default;

  private:
    std::variant<std::monostate, std::string, std::int32_t, ByteArray> value_;
};

// A readable form of a value for messages: Empty, "text" with NULs shown as
// \0, 42, or bytes {0A 1F}.
std::string Describe(const Variant& value);

}  // namespace kestrova
