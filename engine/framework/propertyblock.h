#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/framework/classregistry.h"

namespace fw {

struct BlockEntry {
    std::string name;
    PropertyValue value;
};

// Layout property blocks in their stored form: for each entry the property's name, one space, then
// the value without a type tag, its width fixed by the property's declared type:
//   Boolean 1 byte (0/1); Integer 8 bytes little-endian signed; font unit 1 byte; Single 4 bytes
//   and Double 8 bytes IEEE 754; colour 4 bytes (r, g, b, alpha); String 4-byte little-endian
//   byte count then the UTF-8 bytes.
namespace PropertyBlock {

// Encodes a declarative table for the class. An unknown property name, or a value whose type is
// not the property's declared type, raises RuntimeException naming both.
[[nodiscard]] std::string encode(const std::string& className,
                                 const std::vector<BlockEntry>& entries);
// Decodes a stored block against the class's declared types; raises RuntimeException when the
// block is malformed or names an unknown property.
[[nodiscard]] std::vector<BlockEntry> decode(const std::string& className, std::string_view block);
// Applies a stored block to the object, entry by entry in block order, through the registered
// setters of className (the object's class or a base of it).
void apply(Object& object, const std::string& className, std::string_view block);
// Encodes the table for className, then applies that stored form, so a table takes exactly the
// path of a block read back from storage.
void apply(Object& object, const std::string& className, const std::vector<BlockEntry>& entries);

}  // namespace PropertyBlock

}  // namespace fw
