#pragma once
// Owning handles for the OpenSSL objects the mobile-licence code uses: every EVP_PKEY, context,
// certificate and store is held by one of these, so no early return leaks one.

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/kdf.h>
#include <openssl/param_build.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include <memory>

namespace Mdl {

template <typename T, void (*Free)(T*)> struct OpenSslDeleter {
    void operator()(T* p) const { Free(p); }
};

template <typename T, void (*Free)(T*)> using OpenSslPtr = std::unique_ptr<T, OpenSslDeleter<T, Free>>;

using PkeyPtr = OpenSslPtr<EVP_PKEY, EVP_PKEY_free>;
using PkeyCtxPtr = OpenSslPtr<EVP_PKEY_CTX, EVP_PKEY_CTX_free>;
using MdCtxPtr = OpenSslPtr<EVP_MD_CTX, EVP_MD_CTX_free>;
using CipherCtxPtr = OpenSslPtr<EVP_CIPHER_CTX, EVP_CIPHER_CTX_free>;
using KdfPtr = OpenSslPtr<EVP_KDF, EVP_KDF_free>;
using KdfCtxPtr = OpenSslPtr<EVP_KDF_CTX, EVP_KDF_CTX_free>;
using MacPtr = OpenSslPtr<EVP_MAC, EVP_MAC_free>;
using MacCtxPtr = OpenSslPtr<EVP_MAC_CTX, EVP_MAC_CTX_free>;
using BignumPtr = OpenSslPtr<BIGNUM, BN_free>;
using BnCtxPtr = OpenSslPtr<BN_CTX, BN_CTX_free>;
using EcGroupPtr = OpenSslPtr<EC_GROUP, EC_GROUP_free>;
using EcPointPtr = OpenSslPtr<EC_POINT, EC_POINT_free>;
using EcdsaSigPtr = OpenSslPtr<ECDSA_SIG, ECDSA_SIG_free>;
using X509Ptr = OpenSslPtr<X509, X509_free>;
using X509StorePtr = OpenSslPtr<X509_STORE, X509_STORE_free>;
using X509StoreCtxPtr = OpenSslPtr<X509_STORE_CTX, X509_STORE_CTX_free>;
using BioPtr = OpenSslPtr<BIO, BIO_free_all>;
using AsnObjectPtr = OpenSslPtr<ASN1_OBJECT, ASN1_OBJECT_free>;
using ExtKeyUsagePtr = OpenSslPtr<EXTENDED_KEY_USAGE, EXTENDED_KEY_USAGE_free>;
using OsslParamBldPtr = OpenSslPtr<OSSL_PARAM_BLD, OSSL_PARAM_BLD_free>;
using OsslParamPtr = OpenSslPtr<OSSL_PARAM, OSSL_PARAM_free>;

// The certificates of one chain, each owned; freed with their stack.
inline void FreeX509Stack(STACK_OF(X509) * stack) {
    sk_X509_pop_free(stack, X509_free);
}
using X509StackPtr = std::unique_ptr<STACK_OF(X509), void (*)(STACK_OF(X509)*)>;

} // namespace Mdl
