#pragma once
// The models count their edits so that the render reads them again only
// when they moved: each edit in a table of named edits must move the count.

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>

using NamedEdit = std::pair<const char*, std::function<void()>>;

template <size_t N>
void expectEveryEditMoves(const std::atomic<uint32_t>& count, const NamedEdit (&edits)[N]) {
    for (const auto& [name, edit] : edits) {
        const uint32_t before = count.load();
        edit();
        EXPECT_NE(count.load(), before) << name;
    }
}
