// Results, exceptions, traces, reference counts and the host-interface
// wrappers' defaults.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "FakeHost.h"
#include "aax/AAXException.h"
#include "aax/AAX_CheckedResult.h"
#include "aax/AAX_VCollection.h"
#include "aax/AAX_VComponentDescriptor.h"
#include "aax/AAX_VDescriptionHost.h"
#include "aax/AAX_VController.h"
#include "aax/AAX_VHostServices.h"
#include "aax/AAX_VPropertyMap.h"
#include "aax/AAX_VTransport.h"
#include "aax/AAX_VViewContainer.h"
#include "aax/CACFUnknown.h"
#include "aax/HostServices.h"
#include "aax/OwnerThreadMutex.h"

namespace {

// Installs the fake host's services as the library's host services.
struct ServicesInstalled {
    FakeHost host;
    ServicesInstalled() {
        host.offered = {"factory", "services"};
        hostServicesSet(host.unknown());
    }
    ~ServicesInstalled() { hostServicesSet(nullptr); }
};

}  // namespace

TEST(AAXFramework, ResultNamesCoverTheNamedRangeAndNothingElse) {
    const struct {
        AAX_Result code;
        const char* name;
    } cases[] = {
        {0, "AAX_SUCCESS"},
        {-20001, "AAX_ERROR_INVALID_PARAMETER_ID"},
        {-20004, "AAX_ERROR_NULL_OBJECT"},
        {-20009, "AAX_ERROR_UNIMPLEMENTED"},
        {-20026, "AAX_ERROR_MALFORMED_CHUNK"},
        {-20039, "AAX_ERROR_PROPERTY_UNDEFINED"},
        {-20046, "AAX_ERROR_ARGUMENT_BUFFER_OVERFLOW"},
        {-20600, "plug-in defined error"},
        {-20700, "plug-in defined error"},
        {-21000, "plug-in defined error"},
        {-21001, "<unknown error code>"},
        {-20000, "<unknown error code>"},
        {-20047, "<unknown error code>"},
        {20700, "<unknown error code>"},
    };
    for (const auto& c : cases) EXPECT_STREQ(resultToString(c.code), c.name) << c.code;
    EXPECT_STREQ(AAX::Exception::Any("text", "Fn", "12").what(), "text func:Fn line:12");
    EXPECT_STREQ(AAX::Exception::Any("text", "", "12").what(), "text line:12");
}

TEST(AAXFramework, CheckedResultTracesThenThrowsTheCodeAndDropsTracesWithoutHost) {
    try {
        AAX_CheckedResult checked(AAX_ERROR_UNIMPLEMENTED);
        FAIL() << "no throw";
    } catch (const AAX::Exception::ResultError& error) {  // no host services: nothing traced, still thrown
        EXPECT_EQ(error.Result(), AAX_ERROR_UNIMPLEMENTED);
        EXPECT_STREQ(error.what(), "AAX_ERROR_UNIMPLEMENTED (-20009)");
    }
    EXPECT_EQ(hostTrace(kTracePriorityError, "dropped"), AAX_SUCCESS);

    ServicesInstalled installed;
    AAX_CheckedResult checked;
    EXPECT_NO_THROW(checked = AAX_SUCCESS);
    EXPECT_THROW(checked = AAX_ERROR_NULL_OBJECT, AAX::Exception::ResultError);
    EXPECT_EQ(checked.LastError(), AAX_ERROR_NULL_OBJECT);
    ASSERT_EQ(installed.host.traces.size(), 1u);
    EXPECT_EQ(installed.host.traces[0], "0x4000000 AAX_CheckedResult - throwing AAX_ERROR_NULL_OBJECT (-20004)");
    hostAssert("file", 7, "x > 0");
    EXPECT_EQ(installed.host.asserts, std::vector<std::string>{"file:7:x > 0"});
}

TEST(AAXFramework, HostServicesAreMadeOnceAndAFactoryWithoutObjectThrows) {
    FakeHost host;
    host.offered = {"factory", "services"};
    hostServicesSet(host.unknown());
    AAX_VHostServices* first = hostServices();
    hostServicesSet(host.unknown());
    EXPECT_EQ(hostServices(), first);
    hostServicesSet(nullptr);
    EXPECT_EQ(hostServices(), nullptr);

    host.nullFactory = true;
    EXPECT_THROW(AAX_VHostServices services(host.unknown()), ACFRESULT);
    FakeHost refusing;  // no factory at all: services without host interfaces
    AAX_VHostServices empty(refusing.unknown());
    EXPECT_EQ(empty.Trace(0, "x"), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ(empty.StackTrace(0, 0, "x"), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ(host.references, 0);
}

namespace {
class Counted : public CACFUnknown {};
}  // namespace

TEST(AAXFramework, ObjectsCountReferencesAndLiveInstances) {
    const int32_t before = CACFUnknown::GetActiveObjectCount();
    auto* object = new Counted;
    EXPECT_EQ(CACFUnknown::GetActiveObjectCount(), before + 1);
    void* out = &out;
    EXPECT_EQ(object->InternalQueryInterface(zorvaneHostID(99), &out), ACF_E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(object->InternalQueryInterface(IID_IACFUnknown, nullptr), ACF_E_POINTER);
    ASSERT_EQ(object->InternalQueryInterface(IID_IACFUnknown, &out), ACF_OK);
    auto* unknown = static_cast<IACFUnknown*>(out);
    EXPECT_EQ(unknown->AddRef(), 2u);
    EXPECT_EQ(unknown->Release(), 1u);
    EXPECT_EQ(unknown->Release(), 0u);  // deletes
    EXPECT_EQ(CACFUnknown::GetActiveObjectCount(), before);
}

TEST(AAXFramework, WrappersForwardOrAnswerTheirDefaults) {
    FakeHost host;
    host.offered = {"controller", "transport"};
    AAX_VController controller(host.unknown());
    float rate = 0;
    EXPECT_EQ(controller.GetSampleRate(&rate), AAX_SUCCESS);
    EXPECT_EQ(rate, 48000.f);
    EXPECT_EQ(controller.SendNotification(1, nullptr, 0), AAX_ERROR_UNIMPLEMENTED);
    IACFUnknown* agent = host.unknown();
    EXPECT_EQ(controller.CreateTaskAgent(&agent), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ(agent, nullptr);
    EXPECT_EQ(controller.CreateTableCopyForEffect("e", "l", 0, 0), nullptr);
    AAX_VTransport transport(host.unknown());
    double tempo = 0;
    EXPECT_EQ(transport.GetCurrentTempo(&tempo), AAX_SUCCESS);
    EXPECT_EQ(tempo, 96.0);
    EXPECT_EQ(transport.IsMetronomeEnabled(nullptr), AAX_ERROR_UNIMPLEMENTED);

    FakeHost bare;  // no interface at all
    AAX_VTransport noTransport(bare.unknown());
    tempo = 120;
    EXPECT_EQ(noTransport.GetCurrentTempo(&tempo), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ(tempo, 120.0);
    EXPECT_EQ(noTransport.GetTimeCodeInfo(nullptr, nullptr), AAX_ERROR_UNIMPLEMENTED);
    AAX_VViewContainer noView(bare.unknown());
    AAX_Point size{697, 960};
    EXPECT_EQ(noView.SetViewSize(size), AAX_SUCCESS);
    EXPECT_EQ(noView.GetPtr(), nullptr);
    EXPECT_EQ(noView.GetType(), 0);
    EXPECT_EQ(noView.GetModifiers(nullptr), AAX_ERROR_UNIMPLEMENTED);
    AAX_VController noController(bare.unknown());
    EXPECT_EQ(noController.GetSampleRate(&rate), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ(noController.GetHybridSignalLatency(nullptr), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_GT(host.references, 0);
}

TEST(AAXFramework, WrappersReleaseEveryHostInterfaceTheyHeld) {
    FakeHost host;
    host.offered = {"controller", "transport", "view", "factory"};
    { AAX_VController controller(host.unknown()), other(host.unknown()); AAX_VViewContainer view(host.unknown()); }
    EXPECT_EQ(host.references, 0);
}

TEST(AAXFramework, ChannelFormatsAreCheckedOnlyWithoutTheNewestMap) {
    const struct {
        int versions;
        int32_t property;
        uint32_t value;
        AAX_Result result;
    } cases[] = {
        {2, 51, 1, AAX_SUCCESS},
        {2, 51, 0x00010002, AAX_SUCCESS},
        {2, 52, 0xCFFFF, AAX_SUCCESS},
        {2, 51, 0xD0000, AAX_ERROR_PROPERTY_UNDEFINED},
        {2, 52, 0xFFFF0000, AAX_SUCCESS},
        {2, 52, 0xFF9C0000, AAX_SUCCESS},
        {2, 52, 0xFFFFFFFF, AAX_ERROR_PROPERTY_UNDEFINED},
        {2, 13, 0xFFFFFFFF, AAX_SUCCESS},  // not a channel format
        {3, 51, 0xD0000, AAX_SUCCESS},     // the newest map decides itself
    };
    for (const auto& c : cases) {
        FakePropertyMap map(c.versions);
        AAX_VPropertyMap wrapper(&map);
        EXPECT_EQ(wrapper.AddProperty(c.property, int32_t(c.value)), c.result) << c.property << " " << c.value;
        EXPECT_EQ(map.values.count(c.property), c.result == AAX_SUCCESS ? 1u : 0u);
        EXPECT_EQ(wrapper.GetIUnknown(), static_cast<IACFUnknown*>(static_cast<AAX_IACFPropertyMap_V3*>(&map)));
    }
    AAX_VPropertyMap none(nullptr);
    int32_t value = 0;
    EXPECT_EQ(none.AddProperty(60, 1), AAX_ERROR_NULL_OBJECT);
    EXPECT_FALSE(none.GetProperty(60, &value));
    EXPECT_EQ(none.GetIUnknown(), nullptr);
}

TEST(AAXFramework, OwnerThreadMutexIsReenterableByItsOwnerOnly) {
    OwnerThreadMutex mutex;
    EXPECT_TRUE(mutex.Lock());
    EXPECT_FALSE(mutex.Lock());  // owner: nothing taken
    std::atomic<bool> entered{false};
    std::thread other([&] {
        mutex.Unlock();  // not the owner: no effect
        if (mutex.Lock()) {
            entered = true;
            mutex.Unlock();
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(entered.load());
    mutex.Unlock();  // one unlock frees it
    other.join();
    EXPECT_TRUE(entered.load());
}

TEST(AAXFramework, DescriptionWrappersCopyMapsAndAddProceduresByHand) {
    ServicesInstalled installed;
    FakeHost& host = installed.host;  // makes property maps, but no descriptors
    AAX_VCollection collection(host.unknown());
    EXPECT_EQ(collection.NewDescriptor(), nullptr);
    EXPECT_EQ(collection.AddEffect("com.brindlewick.aax.Zorvane", nullptr), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ(collection.SetManufacturerName("Brindlewick"), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ(collection.GetPlugInDefinition(), nullptr);
    EXPECT_EQ(collection.DescriptionHost()->AcquireFeatureProperties(zorvaneHostID(1)), nullptr);

    AAX_VComponentDescriptor component(host.unknown());
    EXPECT_EQ(component.AddAudioIn(1), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ(component.AddTemporaryData(1, 4), AAX_ERROR_UNIMPLEMENTED);
    AAX_VPropertyMap* source = component.NewPropertyMap();
    static int procedureStandIn;
    source->AddProperty(10, 5);
    source->AddProperty(401, -1);
    source->AddProperty(402, 9);  // beyond the copied range
    source->AddPointerProperty(AAX_eProperty_NativeProcessProc, &procedureStandIn);
    AAX_VPropertyMap* copy = component.DuplicatePropertyMap(*source);
    ASSERT_EQ(host.maps.size(), 2u);
    EXPECT_EQ(host.maps[1]->values, (std::map<int32_t, int32_t>{{10, 5}, {401, -1}}));
    EXPECT_EQ(host.maps[1]->pointers, (std::map<int32_t, intptr_t>{{36, reinterpret_cast<intptr_t>(&procedureStandIn)}}));

    int32_t selectors[2] = {};
    int32_t added = -1;
    EXPECT_EQ(component.AddProcessProc(copy, selectors, 2, &added), AAX_ERROR_NULL_OBJECT);  // no host descriptor
    EXPECT_EQ(added, 0);
    const std::vector<std::string> traces = {
        "0x4000000 AAX_VComponentDescriptor: ManuallyAddProcessProcs() - no value found for AAX_eProperty_TIProcessProc",
        "0x4000000 AAX_VComponentDescriptor: ManuallyAddProcessProcs() - no value found for AAX_eProperty_TIDLLFileName"};
    EXPECT_EQ(host.traces, traces);
}
