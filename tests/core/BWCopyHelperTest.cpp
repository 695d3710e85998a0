#include "core/BWCopyHelper.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/BWInitInterface.h"

namespace {

// A model that records its own destruction.
struct Probe : BWInitInterface {
    Probe(int64_t own, int64_t shared, std::vector<int>* log, int tag) : log(log), tag(tag) {
        clipboardKey = own;
        sharedClipboardKey = shared;
    }
    ~Probe() override { log->push_back(tag); }
    std::vector<int>* log;
    int tag;
};

// The tag of the probe held under key; -1 when there is none.
int tagOf(const BWCopyHelper& clipboard, int64_t key) {
    int tag = -1;
    clipboard.read(key, [&](BWInitInterface& entry) { tag = static_cast<Probe&>(entry).tag; });
    return tag;
}

}  // namespace

TEST(BWCopyHelper, HoldsOneCopyPerKeyAndOwnsIt) {
    std::vector<int> destroyed;
    {
        BWCopyHelper clipboard;
        clipboard.store(std::make_unique<Probe>(5, 1, &destroyed, 1));
        clipboard.store(std::make_unique<Probe>(6, 1, &destroyed, 2));
        EXPECT_EQ(tagOf(clipboard, 5), 1);
        EXPECT_EQ(tagOf(clipboard, 7), -1);
        EXPECT_EQ(tagOf(clipboard, -1), -1);

        clipboard.store(std::make_unique<Probe>(5, 1, &destroyed, 3));  // replaces the first
        EXPECT_EQ(destroyed, std::vector<int>{1});
        EXPECT_EQ(clipboard.size(), 2u);
        EXPECT_EQ(tagOf(clipboard, 5), 3);

        clipboard.store(std::make_unique<Probe>(-1, 1, &destroyed, 4));  // no clipboard: dropped
        clipboard.store(nullptr);
        EXPECT_EQ(clipboard.size(), 2u);
        EXPECT_EQ(destroyed, (std::vector<int>{1, 4}));
    }
    EXPECT_EQ(destroyed, (std::vector<int>{1, 4, 2, 3}));  // list order at the end
}

TEST(BWCopyHelper, SharedClipboardsMatchTheSharedKey) {
    std::vector<int> destroyed;
    BWCopyHelper shared(BWCopyHelper::KeyField::shared);
    shared.store(std::make_unique<Probe>(100, 3, &destroyed, 1));
    shared.store(std::make_unique<Probe>(200, 3, &destroyed, 2));  // same shared key: replaces
    EXPECT_EQ(shared.size(), 1u);
    EXPECT_EQ(tagOf(shared, 3), 2);
    EXPECT_EQ(tagOf(shared, 200), -1);
    shared.clear();
    EXPECT_EQ(shared.size(), 0u);
    EXPECT_EQ(destroyed, (std::vector<int>{1, 2}));
}
