#pragma once
// Electronic seals: PAdES signatures (CMS SignedData, CAdES detached, over
// the file's byte ranges) made with OpenSSL's libcrypto, their checking, and
// a self-signed seal certificate for trying it out. The signature's visible
// appearance is the stamped seal (PdfStamp.h places it).
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <memory>
#include <vector>

namespace plomet {

// A signer's private key, certificate and chain, read from PKCS#12. The key
// lives only in this process's memory; it is never written anywhere.
class SigningKey {
public:
    ~SigningKey();
    SigningKey(const SigningKey&) = delete;
    SigningKey& operator=(const SigningKey&) = delete;

    // The certificate's subject, readable (UTF-8).
    QString subject() const;

    struct Impl;
    const Impl& impl() const { return *impl_; }

private:
    explicit SigningKey(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
    friend std::shared_ptr<const SigningKey> loadSigningKey(const QByteArray&, QByteArray&, const QString&);
};

// Reads a PKCS#12 file's bytes. password is wiped before returning. Throws
// PlometError, one line, for a wrong password, a file that is not PKCS#12,
// no key or certificate in it, a certificate that is expired or not yet
// valid, or one whose key usage does not allow signing.
std::shared_ptr<const SigningKey> loadSigningKey(const QByteArray& p12, QByteArray& password, const QString& name);

// What the signature dictionary says besides the signature itself.
struct SignOptions {
    QString fieldName;      // empty: "Signature1", or the next free number
    QString reason;
    QString location;
    QString contact;
    QDateTime time;         // invalid: now
    // An RFC 3161 time-stamping service (http://...): the signature gets
    // its token (PAdES B-T). Empty: none.
    QString tsaUrl;
};

// One signature as a reader checks it.
struct SignatureCheck {
    QString field;
    QString subFilter;
    QString signer;         // the signing certificate's subject, UTF-8
    QString time;           // the dictionary's /M as written, ISO 8601 when readable
    QString hash;           // the digest algorithm, "SHA256"
    bool intact = false;    // the signed bytes and the signature agree
    QString problem;        // why not intact, one line
    bool wholeFile = false; // the signed ranges reach the file's end
    qint64 bytesAfter = 0;  // otherwise: bytes of later revisions
    bool chainValid = false;
    QString chainProblem;   // why the chain is not trusted, one line
};

// Checks every signature field of the document in bytes. Certificates are
// trusted from trustPem (PEM, one or more) when given, else from the
// system's store. Throws PlometError, one line, for a file that is not a
// PDF or cannot be read; a damaged signature is a check, not a throw.
std::vector<SignatureCheck> verifyPdfBytes(const QByteArray& bytes, const QString& name,
                                           const QByteArray& trustPem = {});

// A new RSA key and a self-signed certificate for it, subject CN and O the
// given (UTF-8) name, key usage digitalSignature and nonRepudiation, valid
// from now for `days`; as PKCS#12 protected by password (wiped before
// returning). Not issued by any authority: readers will not trust it.
QByteArray makeSelfSignedP12(const QString& name, QByteArray& password, int days = 365);

// The signature dictionary written into a document before its byte ranges
// are known, and filling it in afterwards. Used by the stamping path.
struct PendingSignature {
    QByteArray body;
    qsizetype byteRangeAt = 0;      // the '[' of /ByteRange, within body
    qsizetype byteRangeWidth = 0;   // up to and with the ']' and its padding
    qsizetype contentsAt = 0;       // the '<' of /Contents, within body
    qsizetype contentsLength = 0;   // with the '<' and the '>'
};
PendingSignature pendingSignature(const SigningKey& key, const SignOptions& options, const QDateTime& time);
// file holds body at bodyOffset: puts in the byte ranges and the CMS
// signature over them.
void completeSignature(QByteArray& file, qint64 bodyOffset, const PendingSignature& pending, const SigningKey& key,
                       const QString& tsaUrl = {});

} // namespace plomet
