#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace emulator {

// A value with the word the control lines call it by.
template <typename Value> struct Named {
    std::string_view name;
    Value value;
};

// A table of them is a plain array: constexpr Named<Fault> kFaultNames[] = {...};
template <typename Value, std::size_t Count> using NameTable = Named<Value>[Count];

// The value called exactly name; nullopt for a word not in the table.
template <typename Value, std::size_t Count>
std::optional<Value> valueNamed(const NameTable<Value, Count>& table, std::string_view name) {
    for (const Named<Value>& entry : table) {
        if (entry.name == name) {
            return entry.value;
        }
    }
    return std::nullopt;
}

// The word for value; empty for a value the table leaves out.
template <typename Value, std::size_t Count>
std::string_view nameOf(const NameTable<Value, Count>& table, Value value) {
    for (const Named<Value>& entry : table) {
        if (entry.value == value) {
            return entry.name;
        }
    }
    return {};
}

} // namespace emulator
