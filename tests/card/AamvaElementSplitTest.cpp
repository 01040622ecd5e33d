// The split of separated AAMVA elements: the separators are found eight bytes at a time where every one
// of them is a control byte, one at a time otherwise. Values of every length around the eight-byte steps,
// control and non-ASCII bytes that end nothing, and separators the header declares.

#include "AamvaElementSplit.h"

#include <gtest/gtest.h>

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

} // namespace
