#pragma once
// Whether the keys typed so far are provably one whole scan, so that the scan cycle may decode at an Enter
// instead of waiting for the keyboard to go quiet:
//
//   swipe text + where the Enters fell --> three tracks, each closed by its end sentinel?      --> complete
//                                      \-> AAMVA header, every declared subfile there in full? --> complete
//                                      \-> anything else (or any doubt)                        --> not proven
//
// A scan read as complete while the reader is still typing would be cut in two, so every rule here errs
// towards "not proven": the cycle then keeps its quiet period, which costs a second and nothing else.
//
// The AAMVA rule walks the subfiles in the order the header lists them, counting one unit per byte a
// reader may deliver: a character, or an Enter (a reader in its default mode types every LF and CR as
// Enter, which adds no character). A subfile is there in full when its declared length, counted that way
// from its two-letter type, ends exactly on its terminator (CR or Enter). The header's offsets are not
// used: in the default mode the RS of the header is lost, and real cards write wrong offsets. Wherever a
// reader drops a separator (an LF lost instead of typed as Enter) the count falls short and nothing is
// decided early; a reader that adds keys (CR typed as CR LF) leaves a unit between subfiles where the
// next type must stand, and nothing is decided early either.

#include <cstddef>
#include <string_view>
#include <vector>

namespace MagneticStripeCards {

// `enters` holds, in ascending order, for each Enter typed so far the number of characters of `text`
// that came before it.
bool IsProvablyCompleteScan(std::string_view text, const std::vector<std::size_t>& enters);

// The two rules on their own.
bool IsCompleteThreeTrackStripe(std::string_view text, const std::vector<std::size_t>& enters);
bool IsCompleteAamvaBarcode(std::string_view text, const std::vector<std::size_t>& enters);

} // namespace MagneticStripeCards
