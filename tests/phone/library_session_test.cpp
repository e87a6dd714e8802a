#include "phone/library_session.h"

#include <gtest/gtest.h>

#include "support/fakes.h"
#include "support/scripted_pst.h"

namespace velmora {
namespace {

using test::FakePrompts;
using test::MemorySettingsStore;
using test::ScriptedPst;

constexpr const char* kInitMessage = "Can't init phone interface. Command interface disabled";

struct NullSink : PstNotificationSink {
    void OnDeviceListChanged() override {}
};

class LibrarySessionTest : public ::testing::Test {
  protected:
    ScriptedPst pst;
    MemorySettingsStore settings;
    FakePrompts prompts;
    NullSink sink;
    LibrarySession session{pst, settings, prompts, sink};

    std::vector<std::int32_t> InitModes() const {
        std::vector<std::int32_t> modes;
        for (const auto& call : pst.Calls("PSTInitializeEx")) modes.push_back(call.interfaceMode);
        return modes;
    }
};

TEST_F(LibrarySessionTest, StoredModeSelectsTheInterface) {
    struct Case {
        std::optional<SettingValue> stored;
        std::int32_t mode;
    };
    const Case cases[] = {
        {std::uint32_t{1}, kInterfaceUsb},   {std::uint32_t{2}, kInterfaceRs232},
        {std::uint32_t{3}, kInterfaceUsb},   {std::uint32_t{0}, kInterfaceUsb},
        {std::nullopt, kInterfaceUsb},       {std::string("2"), kInterfaceUsb},
        {Binary{2, 0, 0, 0}, kInterfaceUsb},
    };
    for (const auto& c : cases) {
        ScriptedPst library;
        MemorySettingsStore store;
        if (c.stored) store.Set("InterfaceMode", *c.stored);
        LibrarySession started(library, store, prompts, sink);
        started.Start();
        EXPECT_EQ(started.InterfaceMode(), c.mode);
        EXPECT_EQ(started.Rs232Flag(), c.mode == kInterfaceRs232 ? 1 : 0);
        auto inits = library.Calls("PSTInitializeEx");
        ASSERT_EQ(inits.size(), 1u);
        EXPECT_EQ(inits[0].interfaceMode, c.mode);
        EXPECT_EQ(inits[0].window, &sink);
        EXPECT_TRUE(library.Calls("PSTUninitialize").empty());
        EXPECT_TRUE(started.LibraryReady());
        EXPECT_EQ(store.writes(), 0);
    }
    EXPECT_TRUE(prompts.Boxes().empty());
}

TEST_F(LibrarySessionTest, RefusedInitialisationClearsReadySilently) {
    pst.initResult = 7;
    session.Start();
    EXPECT_FALSE(session.LibraryReady());
    EXPECT_TRUE(prompts.Boxes().empty());
}

TEST_F(LibrarySessionTest, RaisedInitialisationClearsReadyWithAMessage) {
    pst.initThrows = true;
    session.Start();
    EXPECT_FALSE(session.LibraryReady());
    auto boxes = prompts.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kInitMessage);
    EXPECT_EQ(boxes[0].title, "Velmora");
    EXPECT_EQ(boxes[0].icon, PromptIcon::Stop);
}

TEST_F(LibrarySessionTest, SwitchReinitialisesInTheNewModeAndStoresIt) {
    session.Start();
    session.SwitchInterface(kInterfaceRs232);
    EXPECT_EQ(session.InterfaceMode(), kInterfaceRs232);
    EXPECT_EQ(session.Rs232Flag(), 1);
    auto calls = pst.Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[1].operation, "PSTUninitialize");
    EXPECT_EQ(calls[2].operation, "PSTInitializeEx");
    EXPECT_EQ(calls[2].interfaceMode, kInterfaceRs232);
    EXPECT_EQ(calls[2].window, &sink);
    EXPECT_EQ(settings.ReadDword("InterfaceMode"), std::uint32_t{2});
    EXPECT_TRUE(prompts.Boxes().empty());
}

// Whatever the re-initialisations return, only the start decides whether commands run.
TEST_F(LibrarySessionTest, SwitchingBackAndForthKeepsReadyAsAtStart) {
    for (bool startOk : {true, false}) {
        ScriptedPst library;
        MemorySettingsStore store;
        LibrarySession switched(library, store, prompts, sink);
        library.initResult = startOk ? 0 : 1;
        switched.Start();
        library.initResult = startOk ? 1 : 0;  // the opposite from now on
        library.uninitResult = 4;
        for (int round = 0; round < 2; ++round) {
            switched.SwitchInterface(kInterfaceRs232);
            switched.SwitchInterface(kInterfaceUsb);
        }
        EXPECT_EQ(switched.LibraryReady(), startOk);
        EXPECT_EQ(switched.InterfaceMode(), kInterfaceUsb);
        EXPECT_EQ(store.ReadDword("InterfaceMode"), std::uint32_t{1});
    }
    EXPECT_TRUE(prompts.Boxes().empty());
}

TEST_F(LibrarySessionTest, RaisedReinitialisationShowsTheStartMessageOnce) {
    session.Start();
    pst.initThrows = true;
    session.SwitchInterface(kInterfaceRs232);
    pst.initThrows = false;
    pst.uninitThrows = true;
    session.SwitchInterface(kInterfaceUsb);
    pst.initThrows = true;
    session.SwitchInterface(kInterfaceRs232);

    EXPECT_EQ(prompts.Texts(), (std::vector<std::string>(3, kInitMessage)));
    EXPECT_TRUE(session.LibraryReady());
    // A raising uninitialisation still lets the library start in the new mode.
    EXPECT_EQ(InitModes(), (std::vector<std::int32_t>{kInterfaceUsb, kInterfaceRs232, kInterfaceUsb,
                                                      kInterfaceRs232}));
    EXPECT_EQ(settings.ReadDword("InterfaceMode"), std::uint32_t{2});
}

TEST_F(LibrarySessionTest, SwitchCreatesTheMissingKeyAndFailsSilently) {
    MemorySettingsStore missing(false);
    LibrarySession switched(pst, missing, prompts, sink);
    switched.Start();
    switched.SwitchInterface(kInterfaceRs232);
    EXPECT_EQ(missing.ReadDword("InterfaceMode"), std::uint32_t{2});

    MemorySettingsStore locked(false);
    locked.failCreate = true;
    LibrarySession refused(pst, locked, prompts, sink);
    refused.Start();
    refused.SwitchInterface(kInterfaceRs232);
    EXPECT_EQ(refused.InterfaceMode(), kInterfaceRs232);
    EXPECT_FALSE(locked.KeyExists());
    EXPECT_TRUE(prompts.Boxes().empty());
}

}  // namespace
}  // namespace velmora
