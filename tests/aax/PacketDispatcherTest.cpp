// Coefficient packets: dirty marking, posting once per change, the retry
// rules and the owner-thread lock.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "FakeHost.h"
#include "aax/AAX_CBinaryDisplayDelegate.h"
#include "aax/AAX_CBinaryTaperDelegate.h"
#include "aax/AAX_CEffectParameters.h"
#include "aax/AAX_CLinearTaperDelegate.h"
#include "aax/AAX_CNumberDisplayDelegate.h"
#include "aax/AAX_CPacketDispatcher.h"
#include "aax/AAX_CParameter.h"
#include "aax/AAX_VController.h"

namespace {

struct Handlers {
    AAX_CPacketDispatcher* dispatcher = nullptr;
    AAX_Result result = AAX_SUCCESS;
    int calls = 0;
    std::atomic<bool> inside{false};
    std::atomic<bool> letGo{true};

    AAX_Result fill(const char*, AAX_CPacket& packet) {
        ++calls;
        packet.Set(int32_t(0x04030201));
        return result;
    }
    AAX_Result reenter(AAX_CPacket& packet) {
        dispatcher->SetDirty("other", true);  // the owning thread goes straight in
        return fill(nullptr, packet);
    }
    AAX_Result wait(AAX_CPacket& packet) {
        inside = true;
        while (!letGo) std::this_thread::yield();
        inside = false;
        return fill(nullptr, packet);
    }
};

struct DispatchFixture : ::testing::Test {
    FakeHost host;
    std::unique_ptr<AAX_VController> controller;
    AAX_CPacketDispatcher dispatcher;
    Handlers handlers;

    void SetUp() override {
        host.offered = {"controller"};
        controller = std::make_unique<AAX_VController>(host.unknown());
        dispatcher.Initialize(controller.get(), nullptr);
        handlers.dispatcher = &dispatcher;
    }
    void registerFill(const char* id, int32_t port) {
        dispatcher.RegisterPacket(id, port, AAX_CPacketHandler<Handlers>(&handlers, &Handlers::fill));
    }
};

const std::vector<uint8_t> kFilled = {1, 1, 2, 3, 4};  // port 1, then the bytes

}  // namespace

TEST_F(DispatchFixture, APacketFedByTwoIdentifiersIsPostedOncePerChange) {
    registerFill("a", 1);
    registerFill("b", 1);
    EXPECT_EQ(dispatcher.Dispatch(), AAX_SUCCESS);  // new packets start dirty
    EXPECT_EQ(host.posts, std::vector<std::vector<uint8_t>>{kFilled});
    EXPECT_EQ(dispatcher.Dispatch(), AAX_SUCCESS);
    EXPECT_EQ(host.posts.size(), 1u);
    dispatcher.SetDirty("a");
    dispatcher.SetDirty("b");
    EXPECT_EQ(dispatcher.SetDirty("unknown"), AAX_SUCCESS);
    dispatcher.Dispatch();
    EXPECT_EQ(host.posts.size(), 2u);
    EXPECT_EQ(handlers.calls, 2);
}

TEST_F(DispatchFixture, AFailedHandlerWaitsForTheNextChangeAFailedPostIsRetried) {
    registerFill("a", 1);
    handlers.result = AAX_ERROR_NULL_OBJECT;
    dispatcher.Dispatch();
    handlers.result = AAX_SUCCESS;
    dispatcher.Dispatch();
    EXPECT_TRUE(host.posts.empty());
    EXPECT_EQ(handlers.calls, 1);

    dispatcher.SetDirty("a");
    host.postResult = -20021;
    EXPECT_EQ(dispatcher.Dispatch(), -20021);
    host.postResult = AAX_SUCCESS;
    EXPECT_EQ(dispatcher.Dispatch(), AAX_SUCCESS);
    EXPECT_EQ(host.posts.size(), 2u);
    dispatcher.Dispatch();
    EXPECT_EQ(host.posts.size(), 2u);

    AAX_CPacketDispatcher unconnected;  // no controller: kept for later
    unconnected.RegisterPacket("a", 1, AAX_CPacketHandler<Handlers>(&handlers, &Handlers::fill));
    EXPECT_EQ(unconnected.Dispatch(), AAX_ERROR_NULL_OBJECT);
    unconnected.RegisterPacket("n", -1, AAX_CPacketHandler<Handlers>(&handlers, &Handlers::fill));
    EXPECT_EQ(unconnected.SetDirty("n"), AAX_SUCCESS);  // an entry without a packet is left alone
}

TEST_F(DispatchFixture, AHandlerMayMarkPacketsFromTheDispatchingThread) {
    dispatcher.RegisterPacket("a", 1, AAX_CPacketHandler<Handlers>(&handlers, &Handlers::reenter));
    registerFill("other", 2);
    dispatcher.Dispatch();  // would deadlock on a plain mutex
    EXPECT_EQ(host.posts.size(), 2u);
}

TEST_F(DispatchFixture, DirtyMarkingFromAnotherThreadWaitsForTheDispatch) {
    dispatcher.RegisterPacket("a", 1, AAX_CPacketHandler<Handlers>(&handlers, &Handlers::wait));
    handlers.letGo = false;
    std::thread coefficients([&] { dispatcher.Dispatch(); });
    while (!handlers.inside) std::this_thread::yield();
    std::atomic<bool> marked{false};
    std::thread gui([&] {
        dispatcher.SetDirty("a");
        marked = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(marked.load());
    handlers.letGo = true;
    coefficients.join();
    gui.join();
    EXPECT_TRUE(marked.load());
    dispatcher.Dispatch();  // the mark made after the handler ran is kept
    EXPECT_EQ(host.posts.size(), 2u);
}

TEST(AAXPacketDispatcher, SingleValuePacketsCarryTheParameterValue) {
    FakeHost host;
    host.offered = {"controller"};
    // Parameters reach the effect the way subclasses add them.
    struct Effect : AAX_CEffectParameters {
        using AAX_CEffectParameters::mParameterManager;
    } effect;
    effect.Initialize(host.unknown());
    AAX_IParameter* parameter = nullptr;
    auto* bypass = new AAX_CParameter<bool>("MasterBypassID", "Master Bypass", true, AAX_CBinaryTaperDelegate<bool>(),
                                            AAX_CBinaryDisplayDelegate<bool>("bypass", "on"), true);
    auto* level = new AAX_CParameter<float>("3", "Level", 0.5f, AAX_CLinearTaperDelegate<float, 2147483647>(),
                                            AAX_CNumberDisplayDelegate<float, 2, 0>(), true);
    AAX_CPacketDispatcher dispatcher;
    dispatcher.Initialize(effect.Controller(), &effect);
    AAX_CPacket packet(0);
    EXPECT_EQ(dispatcher.GenerateSingleValuePacket("MasterBypassID", packet), AAX_ERROR_NULL_OBJECT);  // not there yet
    ASSERT_EQ(effect.GetParameter("3", &parameter), AAX_ERROR_INVALID_PARAMETER_ID);
    effect.mParameterManager.AddParameter(bypass);
    effect.mParameterManager.AddParameter(level);
    const AAX_CPacketHandler<AAX_CPacketDispatcher> single(&dispatcher, &AAX_CPacketDispatcher::GenerateSingleValuePacket);
    dispatcher.RegisterPacket("MasterBypassID", 0, single);
    dispatcher.RegisterPacket("3", 5, single);
    dispatcher.Dispatch();
    float half = 0.5f;
    std::vector<uint8_t> levelPost{5, 0, 0, 0, 0};
    std::memcpy(levelPost.data() + 1, &half, 4);
    EXPECT_EQ(host.posts, (std::vector<std::vector<uint8_t>>{levelPost, {0, 1, 0, 0, 0}}));  // identifier order
}
