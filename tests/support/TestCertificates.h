#pragma once
// Certificates for tests of secure connections, made at run time in a folder of their own
// (no key is ever committed): a test CA, and server certificates signed by it or not. Each
// server file holds the certificate and its key in PEM, as a TLS server loads them.
//
//   TestCertificates certificates("/tmp/wispel-tls-XXXX");
//   setenv("SSL_CERT_FILE", certificates.ca.c_str(), 1);  // trust the test CA
//   LocalHttpServer server(root, certificates.good);

#include <string>

namespace wispel::test {

struct TestCertificates {
    // Writes the files into `folder`, which must exist; raises std::runtime_error.
    explicit TestCertificates(const std::string& folder);

    std::string ca;             // the test CA's certificate
    std::string good;           // for 127.0.0.1 and localhost, by the test CA
    std::string expired;        // as good, but its time ended yesterday
    std::string wrongHost;      // for other.example only, by the test CA
    std::string unknownIssuer;  // as good, but by a CA nobody trusts
};

}  // namespace wispel::test
