#include "tests/support/TestCertificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

namespace wispel::test {

namespace {

constexpr long kDay = 24 * 60 * 60;

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertificateFree {
    void operator()(X509* certificate) const { X509_free(certificate); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Certificate = std::unique_ptr<X509, CertificateFree>;

void check(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(std::string("test certificates: ") + what);
}

Key newKey() {
    Key key(EVP_EC_gen("P-256"));
    check(key != nullptr, "key generation");
    return key;
}

void addExtension(X509* certificate, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
    check(extension != nullptr, "extension");
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

struct Signer {
    X509* certificate;  // null: self-signed
    EVP_PKEY* key;
};

// A certificate for `key`, valid from `from` to `to` seconds from now; a CA when `names` is
// empty, else a server certificate for those subject alternative names.
Certificate newCertificate(EVP_PKEY* key, const char* commonName, const std::string& names,
                           long from, long to, Signer signer) {
    static long serial = 1;
    Certificate certificate(X509_new());
    X509* x = certificate.get();
    X509_set_version(x, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(x), serial++);
    X509_gmtime_adj(X509_getm_notBefore(x), from);
    X509_gmtime_adj(X509_getm_notAfter(x), to);
    X509_set_pubkey(x, key);
    X509_NAME* subject = X509_get_subject_name(x);
    X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    X509* issuer = signer.certificate != nullptr ? signer.certificate : x;
    X509_set_issuer_name(x, X509_get_subject_name(issuer));
    if (names.empty()) {
        addExtension(x, issuer, NID_basic_constraints, "critical,CA:TRUE");
        addExtension(x, issuer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        addExtension(x, issuer, NID_basic_constraints, "CA:FALSE");
        addExtension(x, issuer, NID_subject_alt_name, names);
    }
    check(X509_sign(x, signer.key != nullptr ? signer.key : key, EVP_sha256()) > 0, "signing");
    return certificate;
}

void writePem(const std::string& path, X509* certificate, EVP_PKEY* key) {
    FILE* file = std::fopen(path.c_str(), "w");
    check(file != nullptr, "cannot write a file");
    bool ok = PEM_write_X509(file, certificate) == 1 &&
              (key == nullptr ||
               PEM_write_PrivateKey(file, key, nullptr, nullptr, 0, nullptr, nullptr) == 1);
    std::fclose(file);
    check(ok, "PEM output");
}

}  // namespace

TestCertificates::TestCertificates(const std::string& folder)
    : ca(folder + "/ca.pem"),
      good(folder + "/good.pem"),
      expired(folder + "/expired.pem"),
      wrongHost(folder + "/wrong-host.pem"),
      unknownIssuer(folder + "/unknown-issuer.pem") {
    Key caKey = newKey();
    Certificate caCertificate =
        newCertificate(caKey.get(), "Wispel Test CA", "", -kDay, 30 * kDay, {nullptr, nullptr});
    writePem(ca, caCertificate.get(), nullptr);
    Key otherCaKey = newKey();
    Certificate otherCa = newCertificate(otherCaKey.get(), "Wispel Unknown CA", "", -kDay,
                                         30 * kDay, {nullptr, nullptr});
    const std::string local = "DNS:localhost,IP:127.0.0.1";
    struct Server {
        const std::string& path;
        const std::string& names;
        long from, to;
        Signer signer;
    };
    const Server servers[] = {
        {good, local, -kDay, 30 * kDay, {caCertificate.get(), caKey.get()}},
        {expired, local, -30 * kDay, -kDay, {caCertificate.get(), caKey.get()}},
        {wrongHost, "DNS:other.example", -kDay, 30 * kDay, {caCertificate.get(), caKey.get()}},
        {unknownIssuer, local, -kDay, 30 * kDay, {otherCa.get(), otherCaKey.get()}},
    };
    for (const auto& server : servers) {
        Key key = newKey();
        Certificate certificate = newCertificate(key.get(), "127.0.0.1", server.names, server.from,
                                                 server.to, server.signer);
        writePem(server.path, certificate.get(), key.get());
    }
}

}  // namespace wispel::test
