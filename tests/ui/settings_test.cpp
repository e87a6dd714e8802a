#include "ui/settings.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/fakes.h"
#include "ui/language.h"

namespace velmora {
namespace {

using test::MemorySettingsStore;

// Fills the slots from a list, slot 0 first, through the stored form the program reads.
SearchHistory HistoryOf(const std::vector<std::string>& slots) {
    Binary bytes(SearchHistory::kBytes, 0);
    for (std::size_t i = 0; i < slots.size(); ++i) {
        std::copy(slots[i].begin(), slots[i].end(), bytes.begin() + i * SearchHistory::kSlotBytes);
    }
    MemorySettingsStore store;
    store.Set("SearchArray", bytes);
    SearchHistory history;
    history.Load(store);
    return history;
}

std::vector<std::string> SlotsOf(const SearchHistory& history) {
    std::vector<std::string> slots;
    for (std::size_t i = 0; i < SearchHistory::kMaskSlots; ++i) slots.push_back(history.Slot(i));
    return slots;
}

TEST(SearchHistoryTest, SameMaskTradesPlacesWithSlotZero) {
    auto history = HistoryOf({"*.txt", "*.mp3", "*.gif", "*.jpg", "*.amr"});
    history.Remember("*.jpg");
    EXPECT_EQ(SlotsOf(history), (std::vector<std::string>{"*.jpg", "*.mp3", "*.gif", "*.txt",
                                                          "*.amr", "", "", "", "", ""}));
}

TEST(SearchHistoryTest, PrefixReplacesTheLongerMask) {
    auto history = HistoryOf({"*.txt", "*.mp3", "*.jpg"});
    history.Remember("*.j");
    EXPECT_EQ(history.Masks(), (std::vector<std::string>{"*.j", "*.mp3", "*.txt"}));

    auto other = HistoryOf({"x", "y", "z", "abcdef"});
    other.Remember("abc");
    EXPECT_EQ(other.Masks(), (std::vector<std::string>{"abc", "y", "z", "x"}));
}

TEST(SearchHistoryTest, FirstMatchingSlotWins) {
    auto history = HistoryOf({"a", "*.jpg", "*.jpeg"});
    history.Remember("*.jp");
    EXPECT_EQ(history.Masks(), (std::vector<std::string>{"*.jp", "a", "*.jpeg"}));
}

TEST(SearchHistoryTest, EmptyMaskEmptiesSlotZero) {
    auto history = HistoryOf({"*.txt", "*.mp3"});
    history.Remember("");
    EXPECT_EQ(history.Slot(0), "");
    EXPECT_EQ(history.Masks(), (std::vector<std::string>{"*.mp3"}));
}

TEST(SearchHistoryTest, NewMaskShiftsDownAndDropsTheOldest) {
    SearchHistory history;
    for (int i = 0; i < 11; ++i) history.Remember("m" + std::to_string(i));
    EXPECT_EQ(history.Masks(), (std::vector<std::string>{"m10", "m9", "m8", "m7", "m6", "m5", "m4",
                                                         "m3", "m2", "m1"}));
    // The first mask into an empty history: slot 0 matches nothing but empty texts.
    SearchHistory fresh;
    fresh.Remember("*.amr");
    EXPECT_EQ(fresh.Masks(), (std::vector<std::string>{"*.amr"}));
}

TEST(SearchHistoryTest, LongMaskIsCutToTheSlot) {
    SearchHistory history;
    history.Remember(std::string(259, 'x'));
    EXPECT_EQ(history.Slot(0), std::string(35, 'x'));
    EXPECT_EQ(history.Bytes()[35], 0);  // terminator stays inside the slot
    EXPECT_EQ(history.Bytes()[36], 0);

    // Slots hold the phone's text: 35 characters, whatever their UTF-8 length.
    history.Remember(std::string(34, 'a') + "жз");
    EXPECT_EQ(history.Slot(0), std::string(34, 'a') + "ж");
    EXPECT_EQ(history.Bytes()[34], 0xE6);
    EXPECT_EQ(history.Slot(1), std::string(35, 'x'));
}

TEST(SearchHistoryTest, RoundTripThroughTheStore) {
    SearchHistory history;
    history.Remember("*.jpg");
    history.Remember("/a/mobile/*");
    MemorySettingsStore store;
    history.Store(store);

    const auto stored = store.ReadBinary("searcharray");
    ASSERT_TRUE(stored);
    ASSERT_EQ(stored->size(), 360u);
    EXPECT_TRUE(std::equal(stored->begin(), stored->end(), history.Bytes().begin()));

    SearchHistory reread;
    reread.Load(store);
    EXPECT_EQ(reread.Bytes(), history.Bytes());
    EXPECT_EQ(reread.Masks(), (std::vector<std::string>{"/a/mobile/*", "*.jpg"}));
}

TEST(SearchHistoryTest, LoadIgnoresOversizedAndMistypedValues) {
    MemorySettingsStore store;
    Binary big(400, 0);
    big[0] = 'q';
    store.Set("SearchArray", big);
    SearchHistory history;
    history.Remember("*.txt");
    history.Load(store);
    EXPECT_EQ(history.Masks(), (std::vector<std::string>{"*.txt"}));

    store.Set("SearchArray", std::string("*.jpg"));
    history.Load(store);
    store.Set("SearchArray", std::uint32_t{7});
    history.Load(store);
    EXPECT_EQ(history.Masks(), (std::vector<std::string>{"*.txt"}));
}

TEST(SearchHistoryTest, ShortValueFillsFromTheStart) {
    MemorySettingsStore store;
    store.Set("SearchArray", Binary{'*', '.', 'a', 0, 0, 0});
    SearchHistory history;
    history.Remember("old");
    history.Load(store);
    EXPECT_EQ(history.Masks(), (std::vector<std::string>{"*.a"}));
}

// Slots an earlier version wrote in UTF-8 read as what they said; phone text stays as it is.
TEST(SearchHistoryTest, SlotsOfEarlierVersionsAreRead) {
    MemorySettingsStore store;
    Binary array(360, 0);
    const std::string old = "*Фото*", phone = "*\xD4\xEE\xF2\xEE*";
    std::copy(old.begin(), old.end(), array.begin());
    std::copy(phone.begin(), phone.end(), array.begin() + 36);
    store.Set("SearchArray", array);
    SearchHistory history;
    history.Load(store);
    EXPECT_EQ(history.Masks(), (std::vector<std::string>{"*Фото*", "*Фото*"}));
    EXPECT_EQ(history.Bytes()[1], 0xD4);
}

TEST(SearchHistoryTest, UnterminatedStoredSlotsStayWithinTheirSlot) {
    MemorySettingsStore store;
    store.Set("SearchArray", Binary(360, 'z'));
    SearchHistory history;
    history.Load(store);
    const auto masks = history.Masks();
    ASSERT_EQ(masks.size(), 10u);
    for (const auto& mask : masks) EXPECT_EQ(mask, std::string(35, 'z'));
}

TEST(SearchHistoryTest, StoreNeedsAnExistingKey) {
    MemorySettingsStore store(false);
    SearchHistory history;
    history.Remember("*.jpg");
    history.Store(store);
    EXPECT_FALSE(store.KeyExists());
    EXPECT_EQ(store.writes(), 0);
}

TEST(LanguageSettingTest, OldValuesReadAsBeforeAndACodeWhileItsCatalogIsThere) {
    using Text = std::string;
    const struct {
        std::optional<SettingValue> index, code;
        std::optional<std::string> language;
    } cases[] = {
        {{}, {}, std::nullopt},  // nothing stored: the desktop decides
        {0u, {}, "en"},
        {1u, {}, "ru"},
        {2u, {}, "en"},
        {Text("1"), {}, std::nullopt},
        {Binary{1, 0, 0, 0}, {}, std::nullopt},
        {0u, Text("de"), "de"},
        {1u, Text("fr"), "ru"},  // fr has no catalog
        {1u, Text(), "ru"},
        {{}, Text("de"), "de"},
    };
    for (const auto& c : cases) {
        MemorySettingsStore store;
        if (c.index) store.Set("language", *c.index);
        if (c.code) store.Set("LanguageCode", *c.code);
        EXPECT_EQ(StoredLanguage(store, {"en", "de", "ru"}), c.language) << &c - cases;
    }
    EXPECT_EQ(StoredLanguage(MemorySettingsStore(false), {"en", "ru"}), std::nullopt);
}

TEST(LanguageSettingTest, StoresTheIndexAndAnotherLanguagesCodeOnlyIntoAnExistingKey) {
    MemorySettingsStore store;
    StoreLanguage(store, "ru");
    EXPECT_EQ(store.ReadDword("Language"), 1u);
    EXPECT_FALSE(store.Read("LanguageCode")) << "no new value for the two old languages";
    StoreLanguage(store, "de");
    EXPECT_EQ(store.ReadDword("Language"), 0u);  // what an older version then shows
    EXPECT_EQ(store.ReadText("LanguageCode"), "de");
    StoreLanguage(store, "ru");
    EXPECT_EQ(store.ReadDword("Language"), 1u);
    EXPECT_EQ(store.ReadText("LanguageCode"), "");

    MemorySettingsStore missing(false);
    StoreLanguage(missing, "ru");
    EXPECT_FALSE(missing.KeyExists());
    EXPECT_EQ(missing.writes(), 0);

    MemorySettingsStore failing;
    failing.failWrite = true;
    StoreLanguage(failing, "ru");  // silent
    EXPECT_FALSE(failing.ReadDword("Language"));
}

TEST(ViewSettingTest, TakesOnlyTheFourModes) {
    MemorySettingsStore store;
    EXPECT_FALSE(ReadView(store));
    for (std::uint32_t view = 0; view <= 3; ++view) {
        store.Set("View", view);
        EXPECT_EQ(ReadView(store), static_cast<std::int32_t>(view));
    }
    store.Set("View", std::uint32_t{7});
    EXPECT_FALSE(ReadView(store));
    store.Set("View", std::uint32_t{0xFFFFFFFF});
    EXPECT_FALSE(ReadView(store));
    store.Set("View", std::string("1"));
    EXPECT_FALSE(ReadView(store));
}

TEST(ViewSettingTest, ReadsAnyCaseAndWritesIntoAnExistingKey) {
    MemorySettingsStore store;
    store.Set("VIEW", std::uint32_t{2});
    EXPECT_EQ(ReadView(store), 2);
    StoreView(store, 3);
    EXPECT_EQ(ReadView(store), 3);

    MemorySettingsStore missing(false);
    StoreView(missing, 1);
    EXPECT_FALSE(missing.KeyExists());
    EXPECT_EQ(missing.writes(), 0);
}

}  // namespace
}  // namespace velmora
