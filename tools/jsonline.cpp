#include "tools/jsonline.h"

#include <cmath>
#include <cstdio>
#include <type_traits>

#include "engine/framework/text.h"

namespace {

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char ch : fw::sanitizedUtf8(text)) {
        const auto byte = static_cast<unsigned char>(ch);
        switch (ch) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                if (byte < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", byte);
                    out += escape;
                } else {
                    out += ch;
                }
        }
    }
    return out + "\"";
}

std::string value(const fw::Variant& v) {
    return std::visit(
        [](const auto& x) -> std::string {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                return "null";
            else if constexpr (std::is_same_v<T, bool>)
                return x ? "true" : "false";
            else if constexpr (std::is_same_v<T, std::int64_t>)
                return fw::Str(x);
            else if constexpr (std::is_same_v<T, double>) {
                if (!std::isfinite(x))
                    return "null";  // JSON has no NaN or infinity
                char number[32];
                std::snprintf(number, sizeof number, "%.17g", x);
                return number;
            } else
                return quoted(x);
        },
        v);
}

}  // namespace

std::string jsonLine(const fw::Dictionary& message) {
    std::string line = "{";
    for (const auto& pair : message.pairs()) {
        if (line.size() > 1)
            line += ",";
        line += quoted(pair.key) + ":" + value(pair.value);
    }
    return line + "}";
}
