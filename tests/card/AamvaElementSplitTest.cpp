// The split of separated AAMVA elements: the separators are found sixteen bytes at a time where every one
// of them is compared at once, one at a time otherwise. Values of every length around the steps, control
// and non-ASCII bytes that end nothing, and separators the header declares. And the split of run-together
// elements: its shortcut for texts cut at every ID gives exactly what the full search gives.

#include "AamvaElementSplit.h"
#include "AamvaCardGenerator.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace MagneticStripeCards;

using Elements = std::vector<std::pair<std::string, std::string>>;

void ExpectElements(const std::string& name, const std::string& data, const std::string& separators,
                    const Elements& expected) {
    const AamvaElementValues values = SplitElements(data, SplitContext{}, separators);
    for (const auto& [id, value] : expected) {
        EXPECT_TRUE(values.Has(id)) << name << ": " << id;
        EXPECT_EQ(values.Get(id), value) << name << ": " << id;
    }
}

TEST(AamvaElementSplit, SeparatedElements) {
    const std::string dcs(17, 'M'); // with its ID and separator: 21 bytes, no multiple of eight
    const struct {
        const char* name;
        std::string data;
        std::string separators;
        Elements expected;
    } cases[] = {
        {"line feeds", "DAQ1\nDCSA\nDACB", "\n\x1e\r", {{"DAQ", "1"}, {"DCS", "A"}, {"DAC", "B"}}},
        {"a value across eight-byte steps",
         "DAQ12345678901\nDCS" + dcs + "\nDACX\rZ",
         "",
         {{"DAQ", "12345678901"}, {"DCS", dcs}, {"DAC", "X"}}},
        {"empty values and doubled separators", "DAQ\n\nDCS\nDACB\r\n", "", {{"DAQ", ""}, {"DCS", ""}, {"DAC", "B"}}},
        {"a tab and a unit separator end nothing",
         "DAG1 MAIN\tST\x1f"
         "APT\nDAIFRESNO",
         "",
         {{"DAG", "1 MAIN\tST\x1f"
                  "APT"},
          {"DAI", "FRESNO"}}},
        {"non-ASCII bytes end nothing",
         "DCSMU\xC3\x91OZ-\xC3\x89LAN\nDACJOS\xC3\x89",
         "",
         {{"DCS", "MU\xC3\x91OZ-\xC3\x89LAN"}, {"DAC", "JOS\xC3\x89"}}},
        {"a declared control separator",
         "DAQ123\x1d"
         "DCSLONGFAMILYNAME\x1d"
         "DACB",
         "\x1d",
         {{"DAQ", "123"}, {"DCS", "LONGFAMILYNAME"}, {"DAC", "B"}}},
        {"a declared printable separator",
         "DAQ123*DCSLONGFAMILYNAME*DACB",
         "*",
         {{"DAQ", "123"}, {"DCS", "LONGFAMILYNAME"}, {"DAC", "B"}}},
        {"more declared separators than compared at once",
         "DAQ123~DCSLONGFAMILYNAME|DACB",
         "!#$%&()*+,./:;<=>|~",
         {{"DAQ", "123"}, {"DCS", "LONGFAMILYNAME"}, {"DAC", "B"}}},
        {"declared letters and spaces separate nothing", "DAQ1 A\nDCSAB", "A ", {{"DAQ", "1 A"}, {"DCS", "AB"}}},
        {"the first ID kept", "DAQ1\nDAQ2\nDCSA", "", {{"DAQ", "1"}, {"DCS", "A"}}},
        {"separators around the data",
         "\n\r\x1e"
         "DAQ1\nDCSA\r\n",
         "",
         {{"DAQ", "1"}, {"DCS", "A"}}},
    };
    for (const auto& c : cases)
        ExpectElements(c.name, c.data, c.separators, c.expected);
}

// Without a separator the text is cut at IDs: the search for separators must not find one in values.
TEST(AamvaElementSplit, NoSeparatorMeansRunTogether) {
    const std::string data = "DAQ12345678DCSMORALESDACISABELDBB07041999DBA07042030";
    const AamvaElementValues values = SplitElements(data, SplitContext{}, "\n\x1e\r");
    EXPECT_EQ(values.Get("DCS"), "MORALES");
    EXPECT_EQ(values.Get("DAC"), "ISABEL");
    EXPECT_EQ(values.Get("DBB"), "07041999");
}

// The shortcut takes the reading that cuts at every ID only where it proves that reading the only best
// one. Held to the full search on generated cards as they are and with the edits that make other
// readings come close: padded values, an empty element, an element moved to the front, an ID inside a
// name, a short value cut off.
TEST(AamvaElementSplit, TheShortcutReadsAsTheSearch) {
    CardTests::AamvaCardGenerator generator(20261209);
    std::mt19937 random(5);
    const auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    const char* const insides[] = {"DAD", "DCU", "DDA", "DAQ", "DBB", "DAU"};
    for (int card = 0; card < 300; ++card) {
        const CardTests::GeneratedCard generated = generator.Next();
        const SplitContext context{AamvaElements::RulesVersion(generated.version), generated.type == "DL",
                                   generated.iin};
        std::vector<std::pair<std::string, std::string>> elements = generated.elements;
        for (int edit = 0; edit < 6; ++edit) {
            std::string data;
            for (const auto& [id, value] : elements)
                data += id + value;
            const AamvaElementValues shortcut = SplitElements(data, context, "");
            const AamvaElementValues search = SplitElementsBySearch(data, context, "");
            for (int slot = 0; slot < static_cast<int>(AamvaElements::kSlots); ++slot) {
                ASSERT_EQ(shortcut.Has(slot), search.Has(slot)) << data << " slot " << slot;
                ASSERT_EQ(shortcut.Get(slot), search.Get(slot)) << data << " slot " << slot;
                ASSERT_EQ(shortcut.Uncertain(slot), search.Uncertain(slot)) << data << " slot " << slot;
            }
            std::string& value = elements[pick(elements.size())].second;
            switch (edit) {
            case 0:
                value += "  ";
                break;
            case 1:
                elements.insert(elements.begin() + static_cast<std::ptrdiff_t>(pick(elements.size())), {"DCU", ""});
                break;
            case 2:
                std::swap(elements.front(), elements[pick(elements.size())]);
                break;
            case 3:
                value.insert(pick(value.size() + 1), insides[pick(std::size(insides))]);
                break;
            default:
                value = value.substr(0, 1);
                break;
            }
        }
    }
}

} // namespace
