#pragma once
// Helpers of the venue tests: the raw bytes of a file, a scan from the card fixtures, a fixed identity key.

#include "IdentityKey.h"

#include <fstream>
#include <iterator>
#include <string>

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string CardScan(const std::string& name) {
    return ReadBytes(std::string(KESTRIN_TEST_DATA) + "/card/" + name);
}

// The key 00 01 02 ... 1f, which the vectors below were made with by the openssl command line.
inline Venue::IdentityKey TestKey() {
    std::string key;
    for (int i = 0; i < 32; ++i)
        key += static_cast<char>(i);
    return Venue::IdentityKey(key, 1);
}
