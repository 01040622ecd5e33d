#include "BarcodeElements.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace MagneticStripeCards {
namespace {

constexpr std::size_t kNone = std::string_view::npos;
constexpr std::size_t kDbd = 15;

// The ID's place in kIds by its second and third letter (the first is always 'D'), built by the compiler:
// Locate asks it at every 'D' of the text.
constexpr std::array<std::int8_t, 26 * 26> kIndexOfLetters = [] {
    std::array<std::int8_t, 26 * 26> index{};
    for (auto& entry : index)
        entry = -1;
    for (std::size_t i = 0; i < BarcodeElements::kCount; ++i)
        index[static_cast<std::size_t>((BarcodeElements::kIds[i][1] - 'A') * 26 + BarcodeElements::kIds[i][2] - 'A')] =
            static_cast<std::int8_t>(i);
    return index;
}();

// The ID's place in kIds, or -1.
int IdIndex(char second, char third) {
    if (second < 'A' || second > 'Z' || third < 'A' || third > 'Z')
        return -1;
    return kIndexOfLetters[static_cast<std::size_t>((second - 'A') * 26 + third - 'A')];
}

} // namespace

BarcodeElements::BarcodeElements(std::string_view text) {
    if (!Locate(text))
        throw std::out_of_range("barcode element missing");
}

std::optional<BarcodeElements> BarcodeElements::Find(std::string_view text) {
    BarcodeElements elements;
    if (!elements.Locate(text))
        return std::nullopt;
    return elements;
}

bool BarcodeElements::Locate(std::string_view text) {
    m_text = text;
    std::array<std::size_t, kCount> first;
    first.fill(kNone);
    for (std::size_t i = text.find('D'); i != kNone && i + 2 < text.size(); i = text.find('D', i + 1)) {
        if (text[i + 1] != 'A' && text[i + 1] != 'B')
            continue;
        const int index = IdIndex(text[i + 1], text[i + 2]);
        if (index < 0)
            continue;
        const auto id = static_cast<std::size_t>(index);
        if (first[id] == kNone)
            first[id] = i;
        if (id == kDbd && m_dbdCount < kDbdKept)
            m_dbd[m_dbdCount++] = i;
    }
    for (std::size_t id = 0; id < kCount; ++id) {
        const std::size_t at = id == kDbd ? SurvivingDbd(kDbd) : first[id];
        if (at == kNone)
            return false;
        m_at[id] = at;
    }
    return true;
}

std::size_t BarcodeElements::SurvivingDbd(std::size_t inserted) const {
    const auto broken = [&](std::size_t q) {
        return std::find(m_at.begin(), m_at.begin() + inserted, q + 2) != m_at.begin() + inserted;
    };
    const auto* const end = m_dbd.begin() + m_dbdCount;
    const auto* const survivor = std::find_if_not(m_dbd.begin(), end, broken);
    return survivor == end ? kNone : *survivor;
}

std::optional<std::string_view> BarcodeElements::Value(std::string_view id) const {
    const int known = id.size() == 3 && id[0] == 'D' ? IdIndex(id[1], id[2]) : -1;
    if (known < 0)
        return std::nullopt;
    const auto index = static_cast<std::size_t>(known);
    // Line feeds inserted after DBD's turn may break its occurrence; the others cannot be broken.
    const std::size_t at = index == kDbd ? SurvivingDbd(kCount) : m_at[index];
    if (at == kNone)
        return std::nullopt;
    // The value ends at the next line feed: one of the text's own or one inserted before a later ID.
    std::size_t end = m_text.find('\n', at);
    for (const std::size_t inserted : m_at) {
        if (inserted > at && inserted < end)
            end = inserted;
    }
    if (end == kNone)
        return std::nullopt;
    return m_text.substr(at + 3, end - at - 3);
}

} // namespace MagneticStripeCards
