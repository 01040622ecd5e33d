#pragma once
// The sharing group's identity key and the identities it makes. A licence is known to the venue store
// only as HMAC-SHA256(key, "kestrin-id-v1" 0x00 IIN 0x00 number): without the key, a stolen table cannot
// be searched by licence number (a plain hash of a 9-digit number falls to a brute force in minutes).
//
//   "Venue Key File" (32 random bytes, mode 0640, made by `kestrin-venue key new`) --> IdentityKey
//   card --> IIN (the card's, else its jurisdiction's) + normalised number --> 32-byte identity
//
// The key is never written anywhere but its own file, and never logged.

#include <optional>
#include <string>

namespace MagneticStripeCards {
class Card;
}

namespace Venue {

class IdentityKey {
public:
    static constexpr std::size_t kKeyBytes = 32;

    // `key` must be kKeyBytes long.
    IdentityKey(std::string key, int version);

    // Reads the key file (exactly kKeyBytes bytes); nothing, with `error` saying why, when it cannot.
    static std::optional<IdentityKey> Load(const std::string& path, std::string& error);
    // Makes a new key file of 32 random bytes, mode 0640 in its folder's group. An existing file is never
    // replaced: the entries made under it would no longer match. False, with `error`, on failure.
    static bool Create(const std::string& path, std::string& error);

    // The 32-byte identity of licence `number` of the issuer `iin`; empty when either is empty after
    // normalising.
    std::string Identity(const std::string& iin, const std::string& number) const;
    // The card's identity; empty when the card carries no licence number.
    std::string IdentityOf(const MagneticStripeCards::Card& card) const;
    int Version() const { return m_version; }

    // The bytes the HMAC is taken over.
    static std::string Message(const std::string& iin, const std::string& number);
    // Upper-cased, only A-Z and 0-9 kept.
    static std::string NormalisedNumber(const std::string& number);
    // A stripe's licence number in its barcode form: where a jurisdiction's numbers start with a letter,
    // its stripes write that letter as two digits (01 = A ... 26 = Z), so the same card would otherwise
    // give two identities. Known so far: California (a letter and 7 digits). Others pass unchanged.
    static std::string BarcodeFormOfStripeNumber(const std::string& state, const std::string& number);
    // The card's issuer number, else that of its jurisdiction.
    static std::string IinOf(const MagneticStripeCards::Card& card);
    // The issuer number of a two-letter jurisdiction, for entries typed in without a card.
    static std::string IinOfState(const std::string& state);

private:
    std::string m_key;
    int m_version;
};

// Lowercase hexadecimal of raw bytes, and back (nothing for text that is not even-length hex).
std::string Hex(const std::string& bytes);
std::optional<std::string> FromHex(const std::string& hex);

} // namespace Venue
