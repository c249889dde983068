// Activation as a client that does not link the library sees it: load Sondrel
// at run time, create KorvaneConnection by class identifier, call it early- and
// late-bound, and get clear errors for wrong identifiers.
#include "sondrel_client.h"
#include "sondrel_ids.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace korvane::testing {
namespace {

using namespace sondrel;
using client::SondrelLibrary;

constexpr Guid SomeOtherId{0x12345678, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};

class ActivationTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // An empty ports folder: port 16 then names no device on any machine.
        char folder[] = "/tmp/sondrel-activation-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        portsFolder_ = folder;
        setenv("SONDREL_PORTS", folder, 1);
        library_ = SondrelLibrary::load();
    }
    static void TearDownTestSuite() {
        library_.reset();
        std::filesystem::remove_all(portsFolder_);
    }
    static inline std::shared_ptr<SondrelLibrary> library_;
    static inline std::string portsFolder_;
};

TEST_F(ActivationTest, FindsTheLibraryBesideTheProgram) {
    const auto program = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(std::filesystem::path(library_->path()).parent_path(), program.parent_path());
    EXPECT_EQ(std::filesystem::path(library_->path()).filename(), client::SondrelFileName);
}

TEST_F(ActivationTest, CreatesTheObjectWithItsInterfaces) {
    client::ConnectionPtr connection = library_->createConnection();
    ASSERT_TRUE(connection);
    for (const Guid& iid : {IID_IUnknown, IID_IDispatch, IID__KorvaneConnection}) {
        void* same = nullptr;
        ASSERT_EQ(connection->QueryInterface(iid, &same), S_Ok);
        EXPECT_EQ(same, connection.get());
        connection->Release();
    }
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(connection->QueryInterface(SomeOtherId, &other), E_NoInterface);
    EXPECT_EQ(other, nullptr);
}

TEST_F(ActivationTest, WrongIdentifiersGiveClearErrors) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(library_->getClassObject(SomeOtherId, IID_IClassFactory, &object),
              ClassENotAvailable);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(library_->getClassObject(CLSID_KorvaneConnection, SomeOtherId, &object),
              E_NoInterface);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(library_->getClassObject(CLSID_KorvaneConnection, IID_IClassFactory, nullptr),
              E_Pointer);

    ASSERT_EQ(library_->getClassObject(CLSID_KorvaneConnection, IID_IClassFactory, &object), S_Ok);
    client::InterfacePtr<IClassFactoryLike> factory(static_cast<IClassFactoryLike*>(object));
    EXPECT_EQ(factory->CreateInstance(nullptr, SomeOtherId, &object), E_NoInterface);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->CreateInstance(factory.get(), IID__KorvaneConnection, &object),
              ClassENoAggregation);
    factory = {};
    EXPECT_TRUE(library_->canUnloadNow()); // the refused objects did not stay behind
}

TEST_F(ActivationTest, UnloadsOnlyWhenNothingIsHeld) {
    EXPECT_TRUE(library_->canUnloadNow());
    {
        client::ConnectionPtr connection = library_->createConnection();
        EXPECT_FALSE(library_->canUnloadNow());
    }
    EXPECT_TRUE(library_->canUnloadNow());

    void* object = nullptr;
    ASSERT_EQ(library_->getClassObject(CLSID_KorvaneConnection, IID_IClassFactory, &object), S_Ok);
    client::InterfacePtr<IClassFactoryLike> factory(static_cast<IClassFactoryLike*>(object));
    EXPECT_FALSE(library_->canUnloadNow());
    factory->LockServer(true);
    factory = {};
    EXPECT_FALSE(library_->canUnloadNow());

    // A new object straight from the entry point, without the class object.
    ASSERT_EQ(library_->getClassObject(CLSID_KorvaneConnection, IID_IDispatch, &object), S_Ok);
    static_cast<IDispatchLike*>(object)->Release();

    ASSERT_EQ(library_->getClassObject(CLSID_KorvaneConnection, IID_IClassFactory, &object), S_Ok);
    factory = client::InterfacePtr<IClassFactoryLike>(static_cast<IClassFactoryLike*>(object));
    factory->LockServer(false);
    factory = {};
    EXPECT_TRUE(library_->canUnloadNow());
}

TEST_F(ActivationTest, EarlyBoundCallsReachTheirSlots) {
    client::ConnectionPtr connection = library_->createConnection();
    std::int16_t port = -1;
    ASSERT_EQ(connection->get_PortDevice(&port), S_Ok);
    EXPECT_EQ(port, 0);
    ASSERT_EQ(connection->put_PortDevice(16), S_Ok); // no device: returns all the same
    ASSERT_EQ(connection->get_PortDevice(&port), S_Ok);
    EXPECT_EQ(port, 16);

    VariantBool state = VariantFalse;
    ASSERT_EQ(connection->put_PortState(VariantTrue), S_Ok);
    ASSERT_EQ(connection->get_PortState(&state), S_Ok);
    EXPECT_EQ(state, VariantTrue);

    Variant result;
    ASSERT_EQ(connection->OpenDeviceConnection(&result), S_Ok);
    EXPECT_EQ(result, Variant::i2(0)); // the port cannot be opened
}

TEST_F(ActivationTest, LateBoundCallsGoThroughTheLibrarysDispatcher) {
    client::ConnectionPtr connection = library_->createConnection();
    IDispatchLike& dispatch = *connection.get();
    DispId id = 0;
    ASSERT_EQ(dispatch.GetIDsOfNames("pORTdEVICE", &id), S_Ok);
    EXPECT_EQ(id, 0x68030001);

    ExcepInfo excep;
    std::vector<Variant> value{Variant::r8(16.0)};
    ASSERT_EQ(dispatch.Invoke(id, InvokePropertyPut, value, nullptr, &excep), S_Ok);
    std::vector<Variant> none;
    Variant result;
    ASSERT_EQ(dispatch.Invoke(id, InvokePropertyGet, none, &result, &excep), S_Ok);
    EXPECT_EQ(result, Variant::i2(16));

    std::vector<Variant> tooMany{Variant::i2(1)};
    EXPECT_EQ(dispatch.Invoke(0x6003000F, InvokeMethod, tooMany, &result, &excep),
              DispEBadParamCount);
    EXPECT_FALSE(excep.description.empty());
    EXPECT_EQ(dispatch.GetIDsOfNames("Connect", &id), DispEUnknownName);
}

TEST_F(ActivationTest, TheInstalledYieldHookRunsInsideTheLibrary) {
    client::ConnectionPtr connection = library_->createConnection();
    int yields = 0;
    library_->setYieldHook([](void* count) { ++*static_cast<int*>(count); }, &yields);
    Variant result;
    // Selecting a plan yields once after its exchange, which fails quickly without a port.
    ASSERT_EQ(connection->CarryPlanNum(UserPlanA, &result), S_Ok);
    EXPECT_EQ(yields, 1);
    library_->setYieldHook(nullptr, nullptr);
    ASSERT_EQ(connection->CarryPlanNum(UserPlanA, &result), S_Ok);
    EXPECT_EQ(yields, 1);
}

TEST(LoadingFromAFile, ThatIsNotTheLibraryFailsWithTheReason) {
    try {
        SondrelLibrary::loadFrom("/nonexistent/libSondrel.so.2");
        FAIL() << "loaded a missing file";
    } catch (const client::LoadError& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent/libSondrel.so.2"), std::string::npos);
    }
    // A real shared object without the entry points.
    EXPECT_THROW(SondrelLibrary::loadFrom("libm.so.6"), client::LoadError);
}

} // namespace
} // namespace korvane::testing
