#include "TempHive.h"

#include "Settings.h"
#include "iMenuItem.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <utility>
#include <vector>

namespace {

using AuxW32::iMenuItem;

class RecordingMenu final : public AuxW32::IMenu {
public:
    void CheckMenuItem(int id, bool checked) override { calls.emplace_back(id, checked); }
    std::vector<std::pair<int, bool>> calls;
};

struct Option {
    const char* caption;
    int id;
    const char* valueName;
    std::function<std::unique_ptr<iMenuItem>(AuxW32::IMenu*, int)> make;
    std::function<std::int32_t()> read;
};

void PrintTo(const Option& option, std::ostream* os) {
    *os << option.caption;
}

template <typename Item> std::unique_ptr<iMenuItem> Make(AuxW32::IMenu* menu, int id) {
    return std::make_unique<Item>(menu, id);
}

const std::vector<Option>& Options() {
    static const std::vector<Option> options{
        {"CountValidDlOnly", 32792, "Count Valid DL Only", Make<AuxW32::MenuItem_OnlyValidAge>,
         Settings::GetCountValidOnly},
        {"CreateLog", 32781, "Enable Log", Make<AuxW32::MenuItem_Log>, Settings::GetEnableLog},
        {"Comments", 32787, "Enable Comments", Make<AuxW32::MenuItem_Comments>, Settings::GetEnableComments},
        {"AlwaysOnTop", 32780, "Enable Ontop", Make<AuxW32::MenuItem_Ontop>, Settings::GetEnableOntop},
    };
    return options;
}

class OptionItemTest : public ::testing::TestWithParam<Option> {
protected:
    TempHive hive;
    RecordingMenu menu;
    const Option& option = GetParam();

    std::unique_ptr<iMenuItem> Make() { return option.make(&menu, option.id); }
};

std::vector<std::pair<int, bool>> Marks(int id, std::initializer_list<bool> states) {
    std::vector<std::pair<int, bool>> marks;
    for (bool s : states)
        marks.emplace_back(id, s);
    return marks;
}

TEST_P(OptionItemTest, EmptyKeyStartsCheckedAndWritesOne) {
    hive.Write({});
    const auto item = Make();
    EXPECT_TRUE(item->IsChecked());
    EXPECT_EQ(menu.calls, Marks(option.id, {true}));
    EXPECT_EQ(option.read(), 1);
}

TEST_P(OptionItemTest, StoredZeroStartsUncheckedAndWritesNothing) {
    hive.Write({{option.valueName, std::uint32_t{0}}});
    const std::string before = hive.Contents();
    const auto item = Make();
    EXPECT_FALSE(item->IsChecked());
    EXPECT_EQ(menu.calls, Marks(option.id, {false}));
    EXPECT_EQ(hive.Contents(), before);
}

TEST_P(OptionItemTest, StoredOneStartsCheckedAndWritesNothing) {
    hive.Write({{option.valueName, std::uint32_t{1}}});
    const std::string before = hive.Contents();
    const auto item = Make();
    EXPECT_TRUE(item->IsChecked());
    EXPECT_EQ(menu.calls, Marks(option.id, {true}));
    EXPECT_EQ(hive.Contents(), before);
}

TEST_P(OptionItemTest, InvalidStoredStateStartsCheckedAndIsRewrittenAsOne) {
    const std::vector<TempHive::Value> invalid{
        {option.valueName, std::uint32_t{7}},
        {option.valueName, std::uint32_t{0xFFFFFFFF}}, // -1, the readers' "absent"
        {option.valueName, std::uint32_t{2}},
        {option.valueName, std::string("0")}, // a text is not a number: counts as missing
    };
    for (const TempHive::Value& stored : invalid) {
        hive.Write({stored});
        menu.calls.clear();
        const auto item = Make();
        EXPECT_TRUE(item->IsChecked());
        EXPECT_EQ(menu.calls, Marks(option.id, {true}));
        EXPECT_EQ(option.read(), 1);
    }
}

TEST_P(OptionItemTest, EachToggleStoresAtOnceAndTwoLeaveTheValue) {
    hive.Write({{option.valueName, std::uint32_t{1}}});
    const auto item = Make();
    item->Toggle();
    EXPECT_FALSE(item->IsChecked());
    EXPECT_EQ(option.read(), 0);
    item->Toggle();
    EXPECT_TRUE(item->IsChecked());
    EXPECT_EQ(option.read(), 1);
    EXPECT_EQ(menu.calls, Marks(option.id, {true, false, true}));
}

TEST_P(OptionItemTest, OtherValuesAreLeftAlone) {
    hive.Write({{"Valid Age", std::uint32_t{21}}, {"Log Name", std::string("Door 2")}});
    const auto item = Make();
    item->Toggle();
    EXPECT_EQ(Settings::GetValidAge(), 21);
    EXPECT_EQ(Settings::GetLogName(), "Door 2");
}

TEST_P(OptionItemTest, DeletingStoresNothing) {
    hive.Write({{option.valueName, std::uint32_t{0}}});
    auto item = Make();
    const std::string before = hive.Contents();
    item.reset();
    EXPECT_EQ(hive.Contents(), before);
}

using OptionItemDeathTest = OptionItemTest;

TEST_P(OptionItemDeathTest, UnopenableKeyEndsTheProgramWithCodeOne) {
    // No hive file: the key cannot be opened, so writing the default is fatal.
    EXPECT_EXIT(Make(), ::testing::ExitedWithCode(1), "Cannot continue");
}

std::string CaptionName(const ::testing::TestParamInfo<Option>& param) {
    return param.param.caption;
}

INSTANTIATE_TEST_SUITE_P(Options, OptionItemTest, ::testing::ValuesIn(Options()), CaptionName);
INSTANTIATE_TEST_SUITE_P(Options, OptionItemDeathTest, ::testing::ValuesIn(Options()), CaptionName);

TEST(OptionItems, AreIndependentOfEachOther) {
    TempHive hive;
    hive.Write({{"Enable Log", std::uint32_t{0}}, {"Enable Comments", std::uint32_t{1}}});
    RecordingMenu menu;
    AuxW32::MenuItem_Log log(&menu, 32781);
    AuxW32::MenuItem_Comments comments(&menu, 32787);
    EXPECT_FALSE(log.IsChecked());
    EXPECT_TRUE(comments.IsChecked());
    log.Toggle();
    EXPECT_TRUE(comments.IsChecked());
    EXPECT_EQ(Settings::GetEnableComments(), 1);
    EXPECT_EQ(Settings::GetEnableLog(), 1);
}

} // namespace
