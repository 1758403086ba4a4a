// Transmission figures, per document, in one process and one thread:
//   xml_build_per_s            CT-e XML of a complete document with a new access key
//   sign_per_s                 enveloped signature (C14N, SHA-1 digest, RSA-SHA1)
//   build_sign_validate_per_s  both, then validation against the official schema
//   rsa2048_sign_per_s         the RSA-2048 sign rate of `openssl speed rsa2048`, same run
// Rates are per CPU second of the measuring thread, as `openssl speed` gives its own.
//   sign_vs_rsa                sign_per_s / rsa2048_sign_per_s
#include "A1Certificate.h"
#include "AccessKey.h"
#include "CteXmlBuilder.h"
#include "DemoDocument.h"
#include "SchemaValidator.h"
#include "XmlSigner.h"

#include "BenchRate.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

QTextStream out(stdout);

double opensslRsaSignRate()
{
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(u"openssl"_s, {u"speed"_s, u"-seconds"_s, u"3"_s, u"rsa2048"_s});
    p.waitForFinished(-1);
    // "rsa 2048 bits 0.000250s 0.000007s   4000.0 140000.0": the third number is sign/s.
    static const QRegularExpression line(
        u"^rsa\\s+2048 bits\\s+([0-9.]+)s\\s+([0-9.]+)s\\s+([0-9.]+)"_s,
        QRegularExpression::MultilineOption);
    const auto match = line.match(QString::fromUtf8(p.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(3).toDouble() : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString p12 = dir.filePath(u"bench.p12"_s);
    if (!writeSelfSignedPkcs12(p12, "bench", QString::fromUtf16(demodocument::kIssuerCnpj),
                               QString::fromUtf16(demodocument::kIssuerName), 30)) {
        qCritical("bench_transmission: cannot make a certificate");
        return 1;
    }
    const auto cert = A1Certificate::load(p12, "bench");
    const auto schema = SchemaValidator::cteSchema(QStringLiteral(CTE_SCHEMA_DIR));
    const StoredDocument doc = demodocument::complete(u"4321"_s);
    const IssuerParameters issuer = demodocument::issuerParameters();
    const QByteArray unsignedXml = buildCteXml(doc, issuer, u"12345678"_s).xml;
    if (const QString problem = schema->validate(signXml(unsignedXml, *cert).xml);
        !problem.isEmpty()) {
        qCritical("bench_transmission: the document is not valid: %s", qPrintable(problem));
        return 1;
    }

    qint64 sink = 0;
    const double build = rate(2.0, [&] {
        sink += buildCteXml(doc, issuer, accesskey::randomNumericCode(u"4321"_s)).xml.size();
    });
    const double sign = rate(2.0, [&] { sink += signXml(unsignedXml, *cert).xml.size(); });
    const double all = rate(2.0, [&] {
        const SignedXml s
            = signXml(buildCteXml(doc, issuer, accesskey::randomNumericCode(u"4321"_s)).xml, *cert);
        sink += schema->validate(s.xml).size() + s.xml.size();
    });
    const double rsa = opensslRsaSignRate();
    out << "xml_build_per_s " << qRound(build) << '\n';
    out << "sign_per_s " << qRound(sign) << '\n';
    out << "build_sign_validate_per_s " << qRound(all) << '\n';
    out << "rsa2048_sign_per_s " << qRound(rsa) << '\n';
    out << "sign_vs_rsa " << QString::number(rsa > 0 ? sign / rsa : 0, 'f', 2) << '\n';
    out.flush();
    return sink > 0 ? 0 : 1;
}
