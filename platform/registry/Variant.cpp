#include "platform/registry/Variant.h"

#include <charconv>
#include <string_view>

namespace kestrova {

namespace {

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::string Variant::ToText() const {
    switch (kind()) {
        case Kind::Empty: return {};
        case Kind::Text: return *Text();
        case Kind::Integer: return std::to_string(*Integer());
        case Kind::Bytes: return std::string(Bytes()->begin(), Bytes()->end());
    }
    return {};
}

std::optional<ByteArray> Variant::ToBytes() const {
    switch (kind()) {
        case Kind::Empty: return ByteArray{};
        case Kind::Text: return ByteArray(Text()->begin(), Text()->end());
        case Kind::Bytes: return *Bytes();
        case Kind::Integer: break;
    }
    return std::nullopt;
}

std::optional<std::int32_t> Variant::ToInteger() const {
    switch (kind()) {
        case Kind::Empty: return 0;
        case Kind::Integer: return *Integer();
        case Kind::Text: {
            std::string_view digits = TrimBlanks(*Text());
            if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-') {
                digits.remove_prefix(1);
            }
            std::int32_t number = 0;
            const char* end = digits.data() + digits.size();
            const auto [stop, error] = std::from_chars(digits.data(), end, number);
            if (digits.empty() || error != std::errc{} || stop != end) {
                return std::nullopt;
            }
            return number;
        }
        case Kind::Bytes: break;
    }
    return std::nullopt;
}

std::string Describe(const Variant& value) {
    switch (value.kind()) {
        case Variant::Kind::Empty: return "Empty";
        case Variant::Kind::Integer: return std::to_string(*value.Integer());
        case Variant::Kind::Text: {
            std::string shown = "\"";
            for (const char c : *value.Text()) {
                if (c == '\0') {
                    shown += "\\0";
                } else {
                    shown += c;
                }
            }
            return shown + "\"";
        }
        case Variant::Kind::Bytes: {
            std::string shown = "bytes {";
            constexpr std::string_view kHexDigits = "0123456789ABCDEF";
            for (const unsigned byte : *value.Bytes()) {
                if (shown.size() > 7) {
                    shown += ' ';
                }
                shown += kHexDigits[byte >> 4U];
                shown += kHexDigits[byte & 0x0FU];
            }
            return shown + "}";
        }
    }
    return {};
}

}  // namespace kestrova
