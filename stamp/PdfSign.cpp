#include "stamp/PdfSign.h"

#include "seal/Errors.h"
#include "stamp/QpdfReason.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFExc.hh>

#include <openssl/bn.h>
#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/http.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>
#include <openssl/provider.h>
#include <openssl/rand.h>
#include <openssl/ts.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <QScopeGuard>

#include <cstdlib>
#include <cstring>
#include <QTimeZone>
#include <QCoreApplication>

namespace plomet {

namespace {

[[noreturn]] void refuse(const QString& message)
{
    throw PlometError(PlometError::Kind::Format, message);
}

// OpenSSL's first queued error, one line, and the queue emptied.
QString sslReason()
{
    const unsigned long e = ERR_peek_last_error();
    char text[256] = {};
    if (e)
        ERR_error_string_n(e, text, sizeof text);
    ERR_clear_error();
    return QString::fromLatin1(text);
}

// Why a signer's certificate chain is not trusted: the common reasons in
// the user's language (a trial certificate is self-signed); any other by
// OpenSSL's number.
QString chainReason(int error)
{
    switch (error) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        return QCoreApplication::translate("Stamp", "the certificate is self-signed");
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        return QCoreApplication::translate("Stamp", "the chain ends in a self-signed certificate that is not trusted");
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        return QCoreApplication::translate("Stamp", "the issuer's certificate is neither in the signature nor trusted");
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return QCoreApplication::translate("Stamp", "a certificate of the chain has expired");
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return QCoreApplication::translate("Stamp", "a certificate of the chain is not valid yet");
    case X509_V_ERR_CERT_REVOKED:
        return QCoreApplication::translate("Stamp", "a certificate of the chain is revoked");
    case X509_V_ERR_CERT_SIGNATURE_FAILURE:
        return QCoreApplication::translate("Stamp", "a certificate's signature is wrong");
    case X509_V_ERR_INVALID_PURPOSE:
        return QCoreApplication::translate("Stamp", "a certificate of the chain may not be used for signing");
    default: {
        // OpenSSL's own words are English: added only where the message is too.
        static const char kWords[] = QT_TRANSLATE_NOOP("Stamp", "the chain cannot be verified (OpenSSL error %1)");
        const QString words = QCoreApplication::translate("Stamp", kWords);
        QString reason = words.arg(error);
        if (words == QLatin1String(kWords))
            reason += QStringLiteral(": ") + QString::fromLatin1(X509_verify_cert_error_string(error));
        return reason;
    }
    }
}

template <typename T, void (*Free)(T*)> struct Deleter {
    void operator()(T* p) const { Free(p); }
};
using Bio = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;
using Cms = std::unique_ptr<CMS_ContentInfo, Deleter<CMS_ContentInfo, CMS_ContentInfo_free>>;
using Pkcs12 = std::unique_ptr<PKCS12, Deleter<PKCS12, PKCS12_free>>;
using Pkey = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using Cert = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using Store = std::unique_ptr<X509_STORE, Deleter<X509_STORE, X509_STORE_free>>;
using StoreCtx = std::unique_ptr<X509_STORE_CTX, Deleter<X509_STORE_CTX, X509_STORE_CTX_free>>;

void freeCerts(STACK_OF(X509)* s) { sk_X509_pop_free(s, X509_free); }
using Certs = std::unique_ptr<STACK_OF(X509), Deleter<STACK_OF(X509), freeCerts>>;

// PKCS#12 files from older tools use RC2 and 3DES, which OpenSSL 3 keeps in
// its legacy provider; loaded once, when there.
void loadProviders()
{
    static OSSL_PROVIDER* legacy = nullptr;
    static OSSL_PROVIDER* standard = nullptr;
    static const bool loaded = [] {
        legacy = OSSL_PROVIDER_load(nullptr, "legacy");
        standard = OSSL_PROVIDER_load(nullptr, "default");
        ERR_clear_error();
        // Given back before OpenSSL's own clean-up at exit, which runs
        // after this (registered earlier).
        std::atexit([] {
            if (legacy)
                OSSL_PROVIDER_unload(legacy);
            if (standard)
                OSSL_PROVIDER_unload(standard);
        });
        return true;
    }();
    (void)loaded;
}

QString nameText(const X509_NAME* name)
{
    Bio bio(BIO_new(BIO_s_mem()));
    // UTF-8 as it is: Chinese names stay readable, not \-escaped.
    X509_NAME_print_ex(bio.get(), name, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
    char* data = nullptr;
    const long n = BIO_get_mem_data(bio.get(), &data);
    return QString::fromUtf8(data, static_cast<qsizetype>(n));
}

QString commonName(const X509* cert)
{
    const X509_NAME* name = X509_get_subject_name(cert);
    const int i = X509_NAME_get_index_by_NID(name, NID_commonName, -1);
    if (i < 0)
        return nameText(name);
    unsigned char* utf8 = nullptr;
    const int n = ASN1_STRING_to_UTF8(&utf8, X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, i)));
    if (n < 0)
        return nameText(name);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(utf8), n);
    OPENSSL_free(utf8);
    return text;
}

QString timeText(const ASN1_TIME* t)
{
    struct tm tm = {};
    if (!ASN1_TIME_to_tm(t, &tm))
        return QStringLiteral("?");
    return QStringLiteral("%1-%2-%3").arg(tm.tm_year + 1900).arg(tm.tm_mon + 1, 2, 10, QLatin1Char('0'))
        .arg(tm.tm_mday, 2, 10, QLatin1Char('0'));
}

// A PDF text string: UTF-16BE with its byte order mark, as hex.
QByteArray textString(const QString& text)
{
    QByteArray utf16("\xfe\xff", 2);
    for (const QChar c : text) {
        utf16 += char(c.unicode() >> 8);
        utf16 += char(c.unicode() & 0xff);
    }
    return '<' + utf16.toHex().toUpper() + '>';
}

QByteArray cmsSignature(const SigningKey::Impl& key, const QByteArray& data, const QString& tsaUrl = {});

} // namespace

struct SigningKey::Impl {
    Pkey key;
    Cert cert;
    Certs chain;
};

SigningKey::SigningKey(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SigningKey::~SigningKey() = default;

QString SigningKey::subject() const { return nameText(X509_get_subject_name(impl_->cert.get())); }

std::shared_ptr<const SigningKey> loadSigningKey(const QByteArray& p12, QByteArray& password, const QString& name)
{
    const auto wipe = qScopeGuard([&] {
        OPENSSL_cleanse(password.data(), static_cast<size_t>(password.size()));
        password.clear();
    });
    loadProviders();
    const unsigned char* p = reinterpret_cast<const unsigned char*>(p12.constData());
    Pkcs12 pk(d2i_PKCS12(nullptr, &p, static_cast<long>(p12.size())));
    if (!pk) {
        ERR_clear_error();
        refuse(QCoreApplication::translate("Stamp", "“%1” is not a PKCS#12 certificate file").arg(name));
    }
    // An empty password is either no password or an empty one.
    const char* pass = password.constData();
    if (PKCS12_mac_present(pk.get())) {
        if (!PKCS12_verify_mac(pk.get(), pass, static_cast<int>(password.size()))) {
            if (!password.isEmpty() || !PKCS12_verify_mac(pk.get(), nullptr, 0)) {
                ERR_clear_error();
                refuse(QCoreApplication::translate("Stamp", "the password of the certificate “%1” is wrong").arg(name));
            }
            pass = nullptr;
        }
    }
    EVP_PKEY* rawKey = nullptr;
    X509* rawCert = nullptr;
    STACK_OF(X509)* rawChain = nullptr;
    if (!PKCS12_parse(pk.get(), pass, &rawKey, &rawCert, &rawChain))
        refuse(QCoreApplication::translate("Stamp", "cannot read the certificate “%1”: %2").arg(name, sslReason()));
    auto impl = std::make_unique<SigningKey::Impl>();
    impl->key.reset(rawKey);
    impl->cert.reset(rawCert);
    impl->chain.reset(rawChain ? rawChain : sk_X509_new_null());
    if (!impl->key || !impl->cert)
        refuse(QCoreApplication::translate("Stamp", "the certificate file “%1” holds no private key with its certificate").arg(name));
    X509* cert = impl->cert.get();
    if (X509_cmp_current_time(X509_get0_notAfter(cert)) < 0)
        refuse(QCoreApplication::translate("Stamp", "the certificate “%1” expired on %2").arg(name, timeText(X509_get0_notAfter(cert))));
    if (X509_cmp_current_time(X509_get0_notBefore(cert)) > 0)
        refuse(QCoreApplication::translate("Stamp", "the certificate “%1” is valid only from %2").arg(name, timeText(X509_get0_notBefore(cert))));
    if ((X509_get_extension_flags(cert) & EXFLAG_KUSAGE)
        && !(X509_get_key_usage(cert) & (KU_DIGITAL_SIGNATURE | KU_NON_REPUDIATION)))
        refuse(QCoreApplication::translate("Stamp", "the certificate “%1” is not meant for signing (digital signature or non-repudiation)").arg(name));
    ERR_clear_error();
    return std::shared_ptr<const SigningKey>(new SigningKey(std::move(impl)));
}

namespace {

// The time-stamp token for the signature value from the service at url
// (RFC 3161 over HTTP), as DER. Bounded: 30 s, a 1 MiB answer.
QByteArray timeStampToken(const QString& url, const ASN1_OCTET_STRING* signature)
{
    auto fail = [&](const QString& why) {
        refuse(QCoreApplication::translate("Stamp", "the time-stamp service “%1” gave no time stamp: %2").arg(url, why));
    };
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestLength = 0;
    EVP_Digest(ASN1_STRING_get0_data(signature), static_cast<size_t>(ASN1_STRING_length(signature)), digest,
               &digestLength, EVP_sha256(), nullptr);
    std::unique_ptr<TS_REQ, Deleter<TS_REQ, TS_REQ_free>> request(TS_REQ_new());
    std::unique_ptr<TS_MSG_IMPRINT, Deleter<TS_MSG_IMPRINT, TS_MSG_IMPRINT_free>> imprint(TS_MSG_IMPRINT_new());
    std::unique_ptr<X509_ALGOR, Deleter<X509_ALGOR, X509_ALGOR_free>> algorithm(X509_ALGOR_new());
    X509_ALGOR_set_md(algorithm.get(), EVP_sha256());
    TS_MSG_IMPRINT_set_algo(imprint.get(), algorithm.get());
    TS_MSG_IMPRINT_set_msg(imprint.get(), digest, static_cast<int>(digestLength));
    TS_REQ_set_version(request.get(), 1);
    TS_REQ_set_msg_imprint(request.get(), imprint.get());
    TS_REQ_set_cert_req(request.get(), 1);
    unsigned char nonceBytes[8];
    RAND_bytes(nonceBytes, sizeof nonceBytes);
    nonceBytes[0] &= 0x7f;
    std::unique_ptr<BIGNUM, Deleter<BIGNUM, BN_free>> nonceNumber(BN_bin2bn(nonceBytes, sizeof nonceBytes, nullptr));
    std::unique_ptr<ASN1_INTEGER, Deleter<ASN1_INTEGER, ASN1_INTEGER_free>> nonce(
        BN_to_ASN1_INTEGER(nonceNumber.get(), nullptr));
    TS_REQ_set_nonce(request.get(), nonce.get());

    Bio body(BIO_new(BIO_s_mem()));
    i2d_TS_REQ_bio(body.get(), request.get());
    const QByteArray u = url.toUtf8();
    char *host = nullptr, *port = nullptr, *path = nullptr;
    int ssl = 0;
    if (!OSSL_HTTP_parse_url(u.constData(), &ssl, nullptr, &host, &port, nullptr, &path, nullptr, nullptr))
        fail(QCoreApplication::translate("Stamp", "the address is wrong"));
    Bio answer(OSSL_HTTP_transfer(nullptr, host, port, path, ssl, nullptr, nullptr, nullptr, nullptr, nullptr,
                                  nullptr, 0, nullptr, "application/timestamp-query", body.get(),
                                  "application/timestamp-reply", 1, 1024 * 1024, 30, 0));
    OPENSSL_free(host);
    OPENSSL_free(port);
    OPENSSL_free(path);
    if (!answer)
        fail(sslReason());
    std::unique_ptr<TS_RESP, Deleter<TS_RESP, TS_RESP_free>> response(d2i_TS_RESP_bio(answer.get(), nullptr));
    if (!response)
        fail(QCoreApplication::translate("Stamp", "the answer cannot be read"));
    const long status = ASN1_INTEGER_get(TS_STATUS_INFO_get0_status(TS_RESP_get_status_info(response.get())));
    PKCS7* token = TS_RESP_get_token(response.get());
    if ((status != 0 && status != 1) || !token)
        fail(QCoreApplication::translate("Stamp", "the service refused (status %1)").arg(status));
    // The answer must be for this signature and this request.
    TS_TST_INFO* info = TS_RESP_get_tst_info(response.get());
    const ASN1_OCTET_STRING* echoed = info ? TS_MSG_IMPRINT_get_msg(TS_TST_INFO_get_msg_imprint(info)) : nullptr;
    if (!echoed || ASN1_STRING_length(echoed) != static_cast<int>(digestLength)
        || memcmp(ASN1_STRING_get0_data(echoed), digest, digestLength) != 0
        || !TS_TST_INFO_get_nonce(info) || ASN1_INTEGER_cmp(TS_TST_INFO_get_nonce(info), nonce.get()) != 0)
        fail(QCoreApplication::translate("Stamp", "the time stamp is not for this signature"));
    unsigned char* der = nullptr;
    const int n = i2d_PKCS7(token, &der);
    if (n <= 0)
        fail(sslReason());
    QByteArray out(reinterpret_cast<const char*>(der), n);
    OPENSSL_free(der);
    return out;
}

QByteArray cmsSignature(const SigningKey::Impl& key, const QByteArray& data, const QString& tsaUrl)
{
    // CAdES: signing-certificate-v2 among the signed attributes; no S/MIME
    // capabilities, which mean nothing in a PDF.
    const unsigned flags = CMS_DETACHED | CMS_BINARY | CMS_CADES | CMS_NOSMIMECAP | CMS_PARTIAL;
    Bio in(BIO_new_mem_buf(data.constData(), static_cast<int>(data.size())));
    Cms cms(CMS_sign(nullptr, nullptr, key.chain.get(), nullptr, flags));
    if (!cms || !CMS_add1_signer(cms.get(), key.cert.get(), key.key.get(), EVP_sha256(), flags)
        || !CMS_final(cms.get(), in.get(), nullptr, flags))
        refuse(QCoreApplication::translate("Stamp", "signing failed: %1").arg(sslReason()));
    if (!tsaUrl.isEmpty()) {
        // PAdES B-T: the token over the signature value, unsigned.
        CMS_SignerInfo* si = sk_CMS_SignerInfo_value(CMS_get0_SignerInfos(cms.get()), 0);
        const QByteArray token = timeStampToken(tsaUrl, CMS_SignerInfo_get0_signature(si));
        if (!CMS_unsigned_add1_attr_by_NID(si, NID_id_smime_aa_timeStampToken, V_ASN1_SEQUENCE, token.constData(),
                                           static_cast<int>(token.size())))
            refuse(QCoreApplication::translate("Stamp", "signing failed: %1").arg(sslReason()));
    }
    unsigned char* der = nullptr;
    const int n = i2d_CMS_ContentInfo(cms.get(), &der);
    if (n <= 0)
        refuse(QCoreApplication::translate("Stamp", "signing failed: %1").arg(sslReason()));
    QByteArray out(reinterpret_cast<const char*>(der), n);
    OPENSSL_free(der);
    return out;
}

// Room for the byte range's three numbers, whatever the file's size.
constexpr qsizetype kByteRangeWidth = 3 + 3 * 16 + 1;
// Above the signature's measured size: its numbers' lengths vary a little.
constexpr qsizetype kHeadroom = 512;

} // namespace

PendingSignature pendingSignature(const SigningKey& key, const SignOptions& options, const QDateTime& time)
{
    // A time-stamp token (with the service's certificates) is a few KiB.
    const qsizetype size = cmsSignature(key.impl(), QByteArray()).size() + kHeadroom
                         + (options.tsaUrl.isEmpty() ? 0 : 16384);
    PendingSignature p;
    p.body = "<< /Type /Sig /Filter /Adobe.PPKLite /SubFilter /ETSI.CAdES.detached /ByteRange ";
    p.byteRangeAt = p.body.size();
    p.byteRangeWidth = kByteRangeWidth;
    p.body += QByteArray("[0 0 0 0]").leftJustified(kByteRangeWidth, ' ');
    p.body += " /Contents ";
    p.contentsAt = p.body.size();
    p.contentsLength = 2 * size + 2;
    p.body += '<' + QByteArray(2 * size, '0') + '>';
    const QDateTime utc = time.toUTC();
    p.body += " /M (D:" + utc.toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + "+00'00')";
    p.body += " /Name " + textString(commonName(key.impl().cert.get()));
    if (!options.reason.isEmpty())
        p.body += " /Reason " + textString(options.reason);
    if (!options.location.isEmpty())
        p.body += " /Location " + textString(options.location);
    if (!options.contact.isEmpty())
        p.body += " /ContactInfo " + textString(options.contact);
    p.body += " >>";
    return p;
}

void completeSignature(QByteArray& file, qint64 bodyOffset, const PendingSignature& pending, const SigningKey& key,
                       const QString& tsaUrl)
{
    const qint64 a = bodyOffset + pending.contentsAt;
    const qint64 b = a + pending.contentsLength;
    const qint64 c = file.size() - b;
    const QByteArray range = ("[0 " + QByteArray::number(a) + ' ' + QByteArray::number(b) + ' '
                              + QByteArray::number(c) + ']').leftJustified(pending.byteRangeWidth, ' ');
    file.replace(static_cast<qsizetype>(bodyOffset + pending.byteRangeAt), pending.byteRangeWidth, range);
    const QByteArray der = cmsSignature(key.impl(), file.left(a) + file.mid(b), tsaUrl);
    const QByteArray hex = der.toHex().toUpper();
    if (hex.size() > pending.contentsLength - 2)
        refuse(QCoreApplication::translate("Stamp", "the signature is larger than the room kept for it (%1 bytes)").arg(der.size()));
    file.replace(static_cast<qsizetype>(a + 1), hex.size(), hex);
}

namespace {

QString isoTime(const QString& pdfDate)
{
    // D:YYYYMMDDHHmmSS followed by Z, or +HH'mm' / -HH'mm'.
    QString s = pdfDate;
    if (s.startsWith(QLatin1String("D:")))
        s = s.mid(2);
    QDateTime t = QDateTime::fromString(s.left(14), QStringLiteral("yyyyMMddHHmmss"));
    if (!t.isValid())
        return pdfDate;
    const QString zone = s.mid(14);
    int offset = 0;
    if (zone.size() >= 3 && (zone[0] == QLatin1Char('+') || zone[0] == QLatin1Char('-'))) {
        offset = zone.mid(1, 2).toInt() * 3600 + zone.mid(4, 2).toInt() * 60;
        if (zone[0] == QLatin1Char('-'))
            offset = -offset;
    }
    t.setOffsetFromUtc(offset);
    return t.toString(Qt::ISODate);
}

bool isHexOrSpace(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) || c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

void checkOne(SignatureCheck& c, QPDFObjectHandle v, const QByteArray& bytes, X509_STORE* store)
{
    if (v.getKey("/SubFilter").isName())
        c.subFilter = QString::fromStdString(v.getKey("/SubFilter").getName()).mid(1);
    if (v.getKey("/M").isString())
        c.time = isoTime(QString::fromStdString(v.getKey("/M").getUTF8Value()));
    QPDFObjectHandle br = v.getKey("/ByteRange");
    long long r[4] = {-1, -1, -1, -1};
    if (br.isArray() && br.getArrayNItems() == 4)
        for (int i = 0; i < 4; ++i)
            if (br.getArrayItem(i).isInteger())
                r[i] = br.getArrayItem(i).getIntValue();
    const long long size = bytes.size();
    if (r[0] != 0 || r[1] < 2 || r[2] < r[1] + 2 || r[3] < 0 || r[2] > size || r[3] > size - r[2]) {
        c.problem = QCoreApplication::translate("Stamp", "the signature's byte range is wrong");
        return;
    }
    c.bytesAfter = size - (r[2] + r[3]);
    c.wholeFile = c.bytesAfter == 0;
    // Between the two ranges there must be the signature and nothing else.
    bool hole = bytes[r[1]] == '<' && bytes[r[2] - 1] == '>';
    for (long long i = r[1] + 1; hole && i < r[2] - 1; ++i)
        hole = isHexOrSpace(bytes[static_cast<qsizetype>(i)]);
    if (!hole) {
        c.problem = QCoreApplication::translate("Stamp", "more than the signature lies between the two signed ranges");
        return;
    }
    if (!v.getKey("/Contents").isString()) {
        c.problem = QCoreApplication::translate("Stamp", "there is no signature data");
        return;
    }
    const std::string der = v.getKey("/Contents").getStringValue();
    const unsigned char* p = reinterpret_cast<const unsigned char*>(der.data());
    Cms cms(d2i_CMS_ContentInfo(nullptr, &p, static_cast<long>(der.size())));
    STACK_OF(CMS_SignerInfo)* infos = cms ? CMS_get0_SignerInfos(cms.get()) : nullptr;
    if (!infos || sk_CMS_SignerInfo_num(infos) != 1) {
        ERR_clear_error();
        c.problem = QCoreApplication::translate("Stamp", "the signature data cannot be read");
        return;
    }
    CMS_SignerInfo* si = sk_CMS_SignerInfo_value(infos, 0);
    X509_ALGOR* digest = nullptr;
    CMS_SignerInfo_get0_algs(si, nullptr, nullptr, &digest, nullptr);
    if (digest) {
        const ASN1_OBJECT* obj = nullptr;
        X509_ALGOR_get0(&obj, nullptr, nullptr, digest);
        c.hash = QString::fromLatin1(OBJ_nid2sn(OBJ_obj2nid(obj)));
    }
    Certs certs(CMS_get1_certs(cms.get()));
    X509* signer = nullptr;
    for (int i = 0; certs && i < sk_X509_num(certs.get()); ++i)
        if (CMS_SignerInfo_cert_cmp(si, sk_X509_value(certs.get(), i)) == 0)
            signer = sk_X509_value(certs.get(), i);
    if (signer)
        c.signer = nameText(X509_get_subject_name(signer));

    const QByteArray data = bytes.left(static_cast<qsizetype>(r[1]))
                          + bytes.mid(static_cast<qsizetype>(r[2]), static_cast<qsizetype>(r[3]));
    Bio content(BIO_new_mem_buf(data.constData(), static_cast<int>(data.size())));
    c.intact = CMS_verify(cms.get(), nullptr, nullptr, content.get(), nullptr,
                          CMS_BINARY | CMS_NO_SIGNER_CERT_VERIFY) == 1;
    if (!c.intact)
        c.problem = QCoreApplication::translate("Stamp", "the signature does not match the content: %1").arg(sslReason());
    if (!signer) {
        c.chainProblem = QCoreApplication::translate("Stamp", "the signature holds no certificate of its signer");
        return;
    }
    StoreCtx ctx(X509_STORE_CTX_new());
    if (ctx && X509_STORE_CTX_init(ctx.get(), store, signer, certs.get())) {
        c.chainValid = X509_verify_cert(ctx.get()) == 1;
        if (!c.chainValid)
            c.chainProblem = chainReason(X509_STORE_CTX_get_error(ctx.get()));
    } else {
        c.chainProblem = sslReason();
    }
    ERR_clear_error();
}

} // namespace

std::vector<SignatureCheck> verifyPdfBytes(const QByteArray& bytes, const QString& name, const QByteArray& trustPem)
{
    loadProviders();
    if (!bytes.left(1024).contains("%PDF-"))
        refuse(QCoreApplication::translate("Stamp", "“%1” is not a PDF file").arg(name));
    Store store(X509_STORE_new());
    if (trustPem.isEmpty()) {
        X509_STORE_set_default_paths(store.get());
    } else {
        Bio bio(BIO_new_mem_buf(trustPem.constData(), static_cast<int>(trustPem.size())));
        int added = 0;
        while (X509* cert = PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr)) {
            added += X509_STORE_add_cert(store.get(), cert);
            X509_free(cert);
        }
        if (!added)
            refuse(QCoreApplication::translate("Stamp", "the file of trusted certificates holds no PEM certificate"));
    }
    ERR_clear_error();

    std::vector<SignatureCheck> out;
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    const std::string label = name.toStdString();
    try {
        pdf.processMemoryFile(label.c_str(), bytes.constData(), static_cast<size_t>(bytes.size()));
        QPDFAcroFormDocumentHelper forms(pdf);
        for (QPDFFormFieldObjectHelper& field : forms.getFormFields()) {
            if (field.getFieldType() != "/Sig" || !field.getValue().isDictionary())
                continue;
            SignatureCheck c;
            c.field = QString::fromStdString(field.getFullyQualifiedName());
            checkOne(c, field.getValue(), bytes, store.get());
            out.push_back(c);
        }
    } catch (const QPDFExc& e) {
        if (e.getErrorCode() == qpdf_e_password)
            refuse(QCoreApplication::translate("Stamp", "“%1” needs a password to open").arg(name));
        refuse(QCoreApplication::translate("Stamp", "“%1” is damaged and cannot be read: %2").arg(name, qpdfReason(e)));
    } catch (const std::exception& e) {
        refuse(QCoreApplication::translate("Stamp", "“%1” is damaged and cannot be read: %2").arg(name, qpdfReason(e)));
    }
    return out;
}

QByteArray makeSelfSignedP12(const QString& name, QByteArray& password, int days)
{
    const auto wipe = qScopeGuard([&] {
        OPENSSL_cleanse(password.data(), static_cast<size_t>(password.size()));
        password.clear();
    });
    loadProviders();
    if (name.trimmed().isEmpty())
        refuse(QCoreApplication::translate("Stamp", "the certificate's name cannot be empty"));
    auto fail = [] { refuse(QCoreApplication::translate("Stamp", "cannot make the certificate: %1").arg(sslReason())); };
    Pkey key(EVP_RSA_gen(2048));
    Cert cert(X509_new());
    if (!key || !cert)
        fail();
    X509* x = cert.get();
    X509_set_version(x, 2);
    unsigned char serial[16];
    RAND_bytes(serial, sizeof serial);
    serial[0] &= 0x7f;   // positive
    std::unique_ptr<BIGNUM, Deleter<BIGNUM, BN_free>> bn(BN_bin2bn(serial, sizeof serial, nullptr));
    BN_to_ASN1_INTEGER(bn.get(), X509_get_serialNumber(x));
    X509_gmtime_adj(X509_getm_notBefore(x), 0);
    X509_time_adj_ex(X509_getm_notAfter(x), days, 0, nullptr);
    X509_set_pubkey(x, key.get());
    X509_NAME* subject = X509_get_subject_name(x);
    const QByteArray utf8 = name.trimmed().toUtf8();
    for (const char* field : {"O", "CN"})
        if (!X509_NAME_add_entry_by_txt(subject, field, MBSTRING_UTF8,
                                        reinterpret_cast<const unsigned char*>(utf8.constData()),
                                        static_cast<int>(utf8.size()), -1, 0))
            fail();
    X509_set_issuer_name(x, subject);
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, x, x, nullptr, nullptr, 0);
    for (const auto& [nid, value] : {std::pair{NID_basic_constraints, "critical,CA:FALSE"},
                                     std::pair{NID_key_usage, "critical,digitalSignature,nonRepudiation"},
                                     std::pair{NID_subject_key_identifier, "hash"}}) {
        X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
        if (!ext || !X509_add_ext(x, ext, -1))
            fail();
        X509_EXTENSION_free(ext);
    }
    if (!X509_sign(x, key.get(), EVP_sha256()))
        fail();
    const QByteArray friendly = utf8;
    Pkcs12 p12(PKCS12_create(password.constData(), friendly.constData(), key.get(), x, nullptr, 0, 0, 0, 0, 0));
    if (!p12)
        fail();
    unsigned char* der = nullptr;
    const int n = i2d_PKCS12(p12.get(), &der);
    if (n <= 0)
        fail();
    QByteArray out(reinterpret_cast<const char*>(der), n);
    OPENSSL_free(der);
    return out;
}

} // namespace plomet
