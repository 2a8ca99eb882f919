#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace fw {

// The values a progress message can carry.
using Variant = std::variant<std::monostate, bool, std::int64_t, double, std::string>;

struct Pair {
    std::string key;
    Variant value;
};

// A small ordered key/value map; keys compare exactly.
class Dictionary {
public:
    Dictionary() = default;
    explicit Dictionary(std::vector<Pair> pairs) : m_pairs(std::move(pairs)) {}

    [[nodiscard]] bool HasKey(const std::string& key) const {
        for (const auto& p : m_pairs)
            if (p.key == key)
                return true;
        return false;
    }
    // The value of the key; std::monostate when absent.
    [[nodiscard]] Variant Value(const std::string& key) const {
        for (const auto& p : m_pairs)
            if (p.key == key)
                return p.value;
        return {};
    }
    void setValue(const std::string& key, Variant value) {
        for (auto& p : m_pairs)
            if (p.key == key) {
                p.value = std::move(value);
                return;
            }
        m_pairs.push_back({key, std::move(value)});
    }
    [[nodiscard]] const std::vector<Pair>& pairs() const { return m_pairs; }
    [[nodiscard]] std::size_t Count() const { return m_pairs.size(); }

private:
    std::vector<Pair> m_pairs;
};

}  // namespace fw
