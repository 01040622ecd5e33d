#include "AamvaCardGenerator.h"

#include <algorithm>
#include <cstdio>

namespace CardTests {
namespace {

using Elements = std::vector<std::pair<std::string, std::string>>;

// Names of every kind, and (a quarter of the cards) names that hold element IDs or their first letters.
const char* const kLastNames[] = {"MORALES",  "NGUYEN",   "O'BRIEN", "SMITH-JONES", "DE LA CRUZ", "TREMBLAY",
                                  "KOWALSKI", "FERGUSON", "JOHNSON", "MARTIN",      "LEE",        "GARCIA"};
const char* const kTrickyLastNames[] = {"HADDAD",   "DAVIDSON", "DACOSTA", "ADDISON",  "DIAZ",
                                        "BAGHDADI", "MCDADE",   "DAY",     "ABDALLAH", "DAHL"};
const char* const kFirstNames[] = {"ISABEL", "JOHN", "MARIA", "JAMES", "SOPHIE", "LUIS", "EMILY", "OMAR"};
const char* const kTrickyFirstNames[] = {"AMANDA", "RHONDA", "WANDA",  "DAVID", "DANA", "ADDIE",
                                         "LINDA",  "DAGNY",  "DAHLIA", "EDDIE", "FREDA"};
const char* const kMiddleNames[] = {"MARIA", "LEE", "ANN", "DAVID", "ROSE,LUZ", "DAWN"};
const char* const kStreets[] = {"1450 OAK GROVE AVE", "12 DAHLIA ST", "88 DACOSTA RD", "7 DAY ST",
                                "301 DADE BLVD",      "55 MAIN ST",   "4 DAKOTA AVE",  "2200 RUE SAINTE-CATHERINE",
                                "19 ADDISON CT",      "600 W 4TH AVE"};
const char* const kSecondLines[] = {"APT 5", "UNIT 12B", "PO BOX 7"};
const char* const kCities[] = {"FRESNO", "DADE CITY", "ST LOUIS",   "DALLAS",   "TORONTO",
                               "DAYTON", "DAVENPORT", "SACRAMENTO", "MONTREAL", "ADDISON"};
const char* const kEyes[] = {"BRO", "BLU", "GRN", "HAZ", "GRY", "BLK"};
const char* const kHair[] = {"BRO", "BLK", "BLN", "RED", "GRY", "WHI"};
const char* const kSuffixes[] = {"JR", "SR", "III"};

struct Issuer {
    const char* iin;
    const char* jurisdiction;
    bool canadian;
};
const Issuer kIssuers[] = {{"636014", "CA", false}, {"636030", "MO", false}, {"636015", "TX", false},
                           {"636001", "NY", false}, {"636010", "FL", false}, {"636023", "OH", false},
                           {"636018", "IA", false}, {"636012", "ON", true},  {"604428", "QC", true},
                           {"636028", "BC", true}};

// The order of the standard's table of required elements.
const char* const kTableOrder[] = {"DCA", "DCB", "DCD", "DBA", "DCS", "DAC", "DAD", "DBD", "DBB", "DBC", "DAY",
                                   "DAU", "DAG", "DAI", "DAJ", "DAK", "DAQ", "DCF", "DCG", "DDE", "DDF", "DDG"};

std::string TwoDigits(int n) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

std::string DateText(int year, int month, int day, bool yearFirst) {
    const std::string y = std::to_string(year);
    return yearFirst ? y + TwoDigits(month) + TwoDigits(day) : TwoDigits(month) + TwoDigits(day) + y;
}

std::string Iso(int year, int month, int day) {
    return std::to_string(year) + "-" + TwoDigits(month) + "-" + TwoDigits(day);
}

std::string Padded(std::string value, std::size_t width) {
    if (value.size() < width)
        value.append(width - value.size(), ' ');
    return value;
}

std::string Render(const GeneratedCard& card, bool separated) {
    const std::string lf = separated ? "\n" : "";
    const std::string cr = separated ? "\r" : "";
    std::string body = card.type;
    for (std::size_t i = 0; i < card.elements.size(); ++i)
        body += card.elements[i].first + card.elements[i].second + (i + 1 < card.elements.size() ? lf : cr);
    const std::string jurisdictionSubfile = "ZXZXA" + card.iin.substr(3) + cr;
    std::string header = "@" + lf + (separated ? "\x1e" : "") + cr + "ANSI " + card.iin + TwoDigits(card.version);
    if (card.version > 1)
        header += "00";
    header += "02";
    // Counted in the separated text, as the card writes them.
    const std::size_t designators = (card.version > 1 ? 21 : 19) + 20;
    const std::size_t bodyLength = body.size() + (separated ? 0 : card.elements.size());
    char designator[32];
    std::snprintf(designator, sizeof designator, "%s%04zu%04zuZX%04zu%04zu", card.type.c_str(), designators, bodyLength,
                  designators + bodyLength, jurisdictionSubfile.size() + (separated ? 0 : 1));
    return header + designator + body + jurisdictionSubfile;
}

} // namespace

std::string GeneratedCard::Separated() const {
    return Render(*this, true);
}

std::string GeneratedCard::RunTogether() const {
    return Render(*this, false);
}

std::string AamvaCardGenerator::Digits(int count) {
    std::string digits;
    for (int i = 0; i < count; ++i)
        digits += static_cast<char>('0' + Below(10));
    return digits;
}

// A real day in the `years` from `firstYear` (the 28th at the latest: every month has it).
std::string AamvaCardGenerator::Date(int firstYear, int years, bool yearFirst, int& year, int& month, int& day) {
    year = firstYear + static_cast<int>(Below(static_cast<std::uint32_t>(years)));
    month = 1 + static_cast<int>(Below(12));
    day = 1 + static_cast<int>(Below(28));
    return DateText(year, month, day, yearFirst);
}

// The sample cards' order (as built), the table's, New York's (the first name among the street lines),
// a few elements moved, or all shuffled.
void AamvaCardGenerator::Order(Elements& elements) {
    const auto at = [&elements](const char* id) {
        return std::find_if(elements.begin(), elements.end(), [id](const auto& e) { return e.first == id; });
    };
    const std::uint32_t kind = Below(100);
    if (kind < 40)
        return;
    if (kind < 55) {
        Elements ordered;
        for (const char* id : kTableOrder) {
            const auto e = at(id);
            if (e != elements.end()) {
                ordered.push_back(*e);
                elements.erase(e);
            }
        }
        ordered.insert(ordered.end(), elements.begin(), elements.end());
        elements.swap(ordered);
    } else if (kind < 65) {
        const auto first = at("DAC");
        if (first == elements.end())
            return;
        const auto moved = *first;
        elements.erase(first);
        elements.insert(at("DAG") + 1, moved);
    } else if (kind < 90) {
        const std::uint32_t moves = 1 + Below(3);
        for (std::uint32_t m = 0; m < moves; ++m) {
            const auto from = elements.begin() + Below(static_cast<std::uint32_t>(elements.size()));
            const auto moved = *from;
            elements.erase(from);
            elements.insert(elements.begin() + Below(static_cast<std::uint32_t>(elements.size() + 1)), moved);
        }
    } else {
        for (std::size_t i = elements.size(); i > 1; --i)
            std::swap(elements[i - 1], elements[Below(static_cast<std::uint32_t>(i))]);
    }
}

GeneratedCard AamvaCardGenerator::Next() {
    GeneratedCard card;
    card.version = 1 + static_cast<int>(Below(11));
    const Issuer& issuer = Pick(kIssuers);
    card.iin = issuer.iin;
    card.canadian = issuer.canadian;
    card.type = Chance(80) ? "DL" : "ID";
    const bool licence = card.type == "DL";
    const int v = card.version;
    const bool yearFirst = v == 1 || card.canadian;

    const std::string last = Chance(25) ? Pick(kTrickyLastNames) : Pick(kLastNames);
    const std::string first = Chance(25) ? Pick(kTrickyFirstNames) : Pick(kFirstNames);
    const std::string middle = Chance(70) ? Pick(kMiddleNames) : "";
    card.lastName = last;
    card.dlNumber = Chance(50) ? std::string(1, static_cast<char>('A' + Below(26))) + Digits(7) : Digits(9);
    int by = 0, bm = 0, bd = 0, iy = 0, im = 0, id = 0;
    const std::string birth = Date(1940, 68, yearFirst, by, bm, bd);
    const std::string issued = Date(2015, 11, yearFirst, iy, im, id);
    card.birthIso = Iso(by, bm, bd);
    const std::string expiry = DateText(iy + 4 + static_cast<int>(Below(5)), bm, bd, yearFirst);
    const std::string postal = card.canadian ? "M5V 2T6" : (Chance(50) ? Digits(5) + "0000" : Digits(5));
    const std::string sex = v == 1 ? (Chance(50) ? "M" : "F") : (Chance(10) ? "9" : Chance(50) ? "1" : "2");
    const std::string height = v == 1
                                   ? std::to_string(5 + Below(2)) + TwoDigits(static_cast<int>(Below(12)))
                                   : (Chance(70) ? "0" + std::to_string(58 + Below(20)) + (Chance(80) ? " in" : " IN")
                                                 : std::to_string(150 + Below(45)) + " cm");

    Elements& e = card.elements;
    e.emplace_back("DAQ", Chance(20) ? Padded(card.dlNumber, card.dlNumber.size() + 1 + Below(4)) : card.dlNumber);
    if (v == 1) {
        if (Chance(70)) {
            e.emplace_back("DAA", last + "," + first + (middle.empty() ? "" : "," + middle));
        } else {
            // Not a tricky family name: "BAGHDADI" then reads as "BAGH" with the middle name "I" (DAD), one
            // optional element more than the truth, which no rule of the standard rules out.
            card.lastName = Pick(kLastNames);
            e.emplace_back("DAB", card.lastName);
            e.emplace_back("DAC", first);
            if (!middle.empty())
                e.emplace_back("DAD", middle);
        }
    } else {
        e.emplace_back("DCS", Chance(10) ? Padded(last, 20) : last);
        if (v <= 3) {
            e.emplace_back("DCT", middle.empty() ? first : first + (Chance(50) ? "," : " ") + middle);
        } else {
            e.emplace_back("DDE", "N");
            e.emplace_back("DAC", first);
            e.emplace_back("DDF", "N");
            e.emplace_back("DAD", middle.empty() ? (Chance(50) ? "NONE" : "") : middle);
            e.emplace_back("DDG", "N");
        }
        if (Chance(10))
            e.emplace_back("DCU", Pick(kSuffixes));
    }
    if (licence) {
        const char* const classes[] = {"C", "D", "A", "M"};
        e.emplace_back(v == 1 ? "DAR" : "DCA", Pick(classes));
        // Some jurisdictions write more restrictions than the standard's twelve characters.
        e.emplace_back(v == 1 ? "DAS" : "DCB", Chance(20)   ? ""
                                               : Chance(70) ? "NONE"
                                               : Chance(80) ? "B"
                                                            : "B,C,E,F,G,K,L");
        e.emplace_back(v == 1 ? "DAT" : "DCD", Chance(20) ? "" : "NONE");
    }
    e.emplace_back("DBD", issued);
    e.emplace_back("DBB", birth);
    e.emplace_back("DBA", expiry);
    e.emplace_back("DBC", sex);
    e.emplace_back("DAU", height);
    if (v > 1 || Chance(50))
        e.emplace_back("DAY", Pick(kEyes));
    e.emplace_back("DAG", Pick(kStreets));
    if (Chance(20))
        e.emplace_back("DAH", Pick(kSecondLines));
    e.emplace_back("DAI", Pick(kCities));
    e.emplace_back("DAJ", issuer.jurisdiction);
    e.emplace_back("DAK", Chance(60) ? Padded(postal, 11) : postal);
    if (v > 1) {
        const std::string discriminator = Digits(4) + "A" + Digits(5) + "Q";
        e.emplace_back("DCF", Chance(20) ? Padded(discriminator, 25) : discriminator);
        e.emplace_back("DCG", card.canadian ? "CAN" : "USA");
    }
    if (Chance(50))
        e.emplace_back("DAW", std::to_string(110 + Below(120)));
    if (Chance(50))
        e.emplace_back("DAZ", Pick(kHair));
    if (v > 1 && Chance(50))
        e.emplace_back("DCK", Digits(10 + static_cast<int>(Below(12))));
    if (v >= 4) {
        if (Chance(60))
            e.emplace_back("DDA", v <= 8 && Chance(30) ? "M" : Chance(70) ? "F" : "N");
        if (Chance(40)) {
            int ry = 0, rm = 0, rd = 0;
            e.emplace_back("DDB", Date(2010, 10, false, ry, rm, rd));
        }
        if (Chance(20))
            e.emplace_back("DDD", "1");
        if (v >= 5 && Chance(60)) {
            e.emplace_back("DDH", DateText(by + 18, bm, bd, yearFirst));
            e.emplace_back("DDI", DateText(by + 19, bm, bd, yearFirst));
            e.emplace_back("DDJ", DateText(by + 21, bm, bd, yearFirst));
        }
        if (Chance(20))
            e.emplace_back("DDK", "1");
        if (Chance(10))
            e.emplace_back("DDL", "1");
    }
    Order(e);
    return card;
}

} // namespace CardTests
