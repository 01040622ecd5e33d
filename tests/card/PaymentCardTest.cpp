// Payment card numbers in texts kept on disk: masked to the first six and last four digits, the rest of
// their track dropped; everything else, a licence's track 2 too, stays as it is.

#include "PaymentCard.h"
#include "RowName.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct MaskCase {
    const char* name;
    std::string text;
    std::string masked;
};

class MasksPaymentCards : public ::testing::TestWithParam<MaskCase> {};

TEST_P(MasksPaymentCards, AsStated) {
    EXPECT_EQ(MagneticStripeCards::MaskPaymentCards(GetParam().text), GetParam().masked);
}

INSTANTIATE_TEST_SUITE_P(
    Text, MasksPaymentCards,
    ::testing::Values(
        MaskCase{"track_2", ";4111111111111111=29121010000000000000?", ";411111******1111?"},
        MaskCase{"track_1_loses_name_expiry_and_service_code", "%B4111111111111111^DOE/JOHN^2912101?",
                 "%B411111******1111?"},
        MaskCase{"without_end_sentinel_up_to_the_next_track", "%B4111111111111111^DOE/JOHN^2912;4111111111111111=29",
                 "%B411111******1111;411111******1111"},
        MaskCase{"text_around_kept", "x\n%B4111111111111111^A^1?\ny", "x\n%B411111******1111?\ny"},
        MaskCase{"thirteen_digits", ";4000000000006=29?", ";400000***0006?"},
        MaskCase{"nineteen_digits", ";4000000000000000006=29?", ";400000*********0006?"},
        MaskCase{"twelve_digits_are_no_card_number", ";400000000002=29?", ";400000000002=29?"},
        MaskCase{"twenty_digits_are_no_card_number", ";40000000000000000002=29?", ";40000000000000000002=29?"},
        MaskCase{"failing_the_luhn_check", ";4111111111111112=2912?", ";4111111111111112=2912?"},
        MaskCase{"aamva_issuer_is_a_licence", ";6360140000000005=2912?", ";6360140000000005=2912?"},
        MaskCase{"licence_track_1_starting_with_b", "%BCVANCOUVER^DOE$JO^1 A ST^?", "%BCVANCOUVER^DOE$JO^1 A ST^?"},
        MaskCase{"empty", "", ""}),
    RowName());

} // namespace
