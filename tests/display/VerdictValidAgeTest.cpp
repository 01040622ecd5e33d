#include "VerdictValidAge.h"

#include "Settings.h"
#include "TempHive.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

const std::string kDamaged = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbelon\\Kes";

// One station run: the hive changes under it between verdicts; no change may give a minor a green
// verdict (an age read as -1 because the hive could not be read).
TEST(VerdictValidAge, NeverFailsOpenWhileRunning) {
    const TempHive hive;
    const struct {
        const char* what;
        std::function<void()> change;
        std::int32_t expected;
    } steps[] = {
        {"no hive yet", [] {}, 21},
        {"stored 18",
         [&] {
             hive.Write({{"Valid Age", std::uint32_t{18}}});
         },
         18},
        {"hive damaged", [&] { hive.WriteText(kDamaged); }, 18},
        {"hive emptied", [&] { hive.WriteText(""); }, 18},
        {"value gone from the key",
         [&] {
             hive.Write({{"Log Name", std::string("x")}});
         },
         18},
        {"value of another type",
         [&] {
             hive.Write({{"Valid Age", std::string("21")}});
         },
         18},
        {"stored 0xffffffff is an age",
         [&] {
             hive.Write({{"Valid Age", std::uint32_t{0xffffffffu}}});
         },
         -1},
        {"stored 0",
         [&] {
             hive.Write({{"Valid Age", std::uint32_t{0}}});
         },
         0},
        {"stored 25",
         [&] {
             hive.Write({{"Valid Age", std::uint32_t{25}}});
         },
         25},
        {"hive removed", [&] { std::remove(hive.Path().c_str()); }, 25},
    };
    for (const auto& step : steps) {
        step.change();
        EXPECT_EQ(VerdictValidAge(), step.expected) << step.what;
    }
}

TEST(VerdictValidAge, StartStoresTwentyOneOnlyWhereThereIsNoAge) {
    const TempHive hive;
    const struct {
        const char* what;
        std::vector<TempHive::Value> values;
        std::int32_t expected;
    } cases[] = {
        {"absent", {}, 21},
        {"of another type", {{"Valid Age", std::string("18")}}, 21},
        {"stored 18", {{"Valid Age", std::uint32_t{18}}}, 18},
        {"stored -1 stays", {{"Valid Age", std::uint32_t{0xffffffffu}}}, -1},
    };
    for (const auto& c : cases) {
        hive.Write(c.values);
        StoreDefaultValidAge();
        EXPECT_EQ(Settings::GetValidAge(), c.expected) << c.what;
    }
}

} // namespace
