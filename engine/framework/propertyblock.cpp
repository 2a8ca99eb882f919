#include "engine/framework/propertyblock.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "engine/framework/exceptions.h"

namespace fw {

namespace {

static_assert(sizeof(float) == 4 && sizeof(double) == 8, "IEEE 754 single and double expected");

[[nodiscard]] const char* typeName(PropertyType type) {
    switch (type) {
        case PropertyType::Boolean:
            return "Boolean";
        case PropertyType::Integer:
            return "Integer";
        case PropertyType::FontUnit:
            return "font unit";
        case PropertyType::Single:
            return "Single";
        case PropertyType::Double:
            return "Double";
        case PropertyType::Color:
            return "colour";
        case PropertyType::String:
            return "String";
    }
    return "?";
}

void putLittleEndian(std::string& out, std::uint64_t bits, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

[[nodiscard]] std::uint64_t getLittleEndian(std::string_view in, std::size_t pos, int bytes) {
    std::uint64_t bits = 0;
    for (int i = 0; i < bytes; ++i)
        bits |= static_cast<std::uint64_t>(static_cast<unsigned char>(in[pos + i])) << (8 * i);
    return bits;
}

void encodeValue(std::string& out, const PropertyValue& value) {
    switch (typeOf(value)) {
        case PropertyType::Boolean:
            out.push_back(std::get<bool>(value) ? '\1' : '\0');
            break;
        case PropertyType::Integer:
            putLittleEndian(out, static_cast<std::uint64_t>(std::get<std::int64_t>(value)), 8);
            break;
        case PropertyType::FontUnit:
            out.push_back(static_cast<char>(std::get<FontUnitValue>(value).value));
            break;
        case PropertyType::Single:
            putLittleEndian(out, std::bit_cast<std::uint32_t>(std::get<float>(value)), 4);
            break;
        case PropertyType::Double:
            putLittleEndian(out, std::bit_cast<std::uint64_t>(std::get<double>(value)), 8);
            break;
        case PropertyType::Color: {
            const Color& c = std::get<Color>(value);
            out.push_back(static_cast<char>(c.red));
            out.push_back(static_cast<char>(c.green));
            out.push_back(static_cast<char>(c.blue));
            out.push_back(static_cast<char>(c.alpha));
            break;
        }
        case PropertyType::String: {
            const std::string& s = std::get<std::string>(value);
            if (s.size() > 0xFFFFFFFFu)
                throw RuntimeException("Block text too long");
            putLittleEndian(out, s.size(), 4);
            out += s;
            break;
        }
    }
}

// Reads one value of the declared type at pos; pos moves past it.
[[nodiscard]] PropertyValue decodeValue(std::string_view in, std::size_t& pos, PropertyType type,
                                        const std::string& where) {
    auto need = [&](std::size_t n) {
        if (in.size() - pos < n)
            throw RuntimeException("Layout block of " + where + " ends inside its value");
    };
    switch (type) {
        case PropertyType::Boolean: {
            need(1);
            const auto b = static_cast<unsigned char>(in[pos++]);
            if (b > 1)
                throw RuntimeException("Layout block of " + where + " holds no Boolean");
            return b == 1;
        }
        case PropertyType::Integer: {
            need(8);
            const auto v = static_cast<std::int64_t>(getLittleEndian(in, pos, 8));
            pos += 8;
            return v;
        }
        case PropertyType::FontUnit:
            need(1);
            return FontUnitValue{static_cast<std::uint8_t>(in[pos++])};
        case PropertyType::Single: {
            need(4);
            const auto v =
                std::bit_cast<float>(static_cast<std::uint32_t>(getLittleEndian(in, pos, 4)));
            pos += 4;
            return v;
        }
        case PropertyType::Double: {
            need(8);
            const auto v = std::bit_cast<double>(getLittleEndian(in, pos, 8));
            pos += 8;
            return v;
        }
        case PropertyType::Color: {
            need(4);
            Color c{static_cast<std::uint8_t>(in[pos]), static_cast<std::uint8_t>(in[pos + 1]),
                    static_cast<std::uint8_t>(in[pos + 2]), static_cast<std::uint8_t>(in[pos + 3])};
            pos += 4;
            return c;
        }
        case PropertyType::String: {
            need(4);
            const std::size_t length = getLittleEndian(in, pos, 4);
            pos += 4;
            need(length);
            std::string s(in.substr(pos, length));
            pos += length;
            return s;
        }
    }
    throw RuntimeException("Layout block of " + where + " has a property of unknown type");
}

[[nodiscard]] const PropertyInfo& requireProperty(const std::string& className,
                                                  const std::string& name) {
    const PropertyInfo* info = ClassRegistry::findProperty(className, name);
    if (info == nullptr) {
        if (ClassRegistry::find(className) == nullptr)
            throw RuntimeException("Unknown class " + className + " (property " + name + ")");
        throw RuntimeException("Class " + className + " has no property " + name);
    }
    return *info;
}

}  // namespace

namespace PropertyBlock {

std::string encode(const std::string& className, const std::vector<BlockEntry>& entries) {
    std::string out;
    for (const auto& entry : entries) {
        const PropertyInfo& info = requireProperty(className, entry.name);
        if (typeOf(entry.value) != info.type)
            throw RuntimeException("Property " + className + "." + entry.name + " takes a " +
                                   typeName(info.type) + ", not a " +
                                   typeName(typeOf(entry.value)));
        if (entry.name.find(' ') != std::string::npos || entry.name.empty())
            throw RuntimeException("Property name \"" + entry.name + "\" of " + className +
                                   " cannot be stored");
        out += entry.name;
        out.push_back(' ');
        encodeValue(out, entry.value);
    }
    return out;
}

std::vector<BlockEntry> decode(const std::string& className, std::string_view block) {
    std::vector<BlockEntry> entries;
    std::size_t pos = 0;
    while (pos < block.size()) {
        const std::size_t space = block.find(' ', pos);
        if (space == std::string_view::npos || space == pos)
            throw RuntimeException("Malformed layout block of " + className + " at byte " +
                                   std::to_string(pos));
        std::string name(block.substr(pos, space - pos));
        pos = space + 1;
        const PropertyInfo& info = requireProperty(className, name);
        PropertyValue value = decodeValue(block, pos, info.type, className + "." + name);
        entries.push_back({std::move(name), std::move(value)});
    }
    return entries;
}

void apply(Object& object, const std::string& className, std::string_view block) {
    // The whole block is checked before the first setter runs, so a faulty block leaves the
    // object as it was.
    const std::vector<BlockEntry> entries = decode(className, block);
    for (const auto& entry : entries)
        requireProperty(className, entry.name).set(object, entry.value);
}

void apply(Object& object, const std::string& className, const std::vector<BlockEntry>& entries) {
    apply(object, className, std::string_view(encode(className, entries)));
}

}  // namespace PropertyBlock

}  // namespace fw
