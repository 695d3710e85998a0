#include "core/PointerList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
struct Recorder : TimingListener {
    std::vector<std::string>* log;
    std::string name;
    Recorder(std::vector<std::string>* l, std::string n) : log(l), name(std::move(n)) {}
    void updateTiming() override { log->push_back(name + ".timing"); }
    void prepare() override { log->push_back(name + ".prepare"); }
};
}  // namespace

TEST(PointerList, RemoveTakesFirstOccurrenceAndBroadcastsKeepOrder) {
    std::vector<std::string> log;
    Recorder a(&log, "a"), b(&log, "b");
    PointerList list;
    list.append(&a);
    list.append(&b);
    list.append(&a);
    list.remove(&a);
    list.remove(nullptr);  // absent: ignored
    ASSERT_EQ(list.size(), 2u);
    list.notifyTiming();
    list.notifyPrepare();
    EXPECT_EQ(log, (std::vector<std::string>{"b.timing", "a.timing", "b.prepare", "a.prepare"}));
}
