// The demo data of the transmission: the establishments' CT-e parameters, one complete pending
// document ready to send, and the demo issuer's self-signed A1 certificate.
#include "DemoData.h"

#include "A1Certificate.h"
#include "CTeRecord.h"
#include "DemoDocument.h"
#include "Operations.h"
#include "SqlSupport.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QUuid>

using namespace Qt::StringLiterals;

namespace demodata {

namespace {

contracts::Delta insertRows(const QList<contracts::FieldDef> &fields,
                            const QList<FieldValues> &rows)
{
    contracts::Delta d;
    d.fields = fields;
    for (const FieldValues &values : rows) {
        contracts::Row row;
        for (const contracts::FieldDef &f : fields) {
            const QVariant v = values.value(f.name);
            row.append(v.isValid() || f.type != contracts::FieldType::Float ? v : QVariant(0.0));
        }
        d.changes.append({contracts::Change::Kind::Insert, {}, row});
    }
    return d;
}

} // namespace

void loadTransmissionDemo(const QSqlDatabase &db)
{
    for (const auto &[company, registration, rntrc] :
         {std::tuple {u"01", u"244187365112", u"44827163"},
          std::tuple {u"02", u"0963245178", u"31570284"},
          std::tuple {u"02", u"257894310", u"31570284"}}) {
        runSql(db,
               u"INSERT INTO CTEPARAMEMIT (CDEMPRESA, CDINSCESTA, NRRNTRC, IDCRT) "
               "VALUES (:E, :I, :R, '3')"_s,
               {{u":E", QString::fromUtf16(company)},
                {u":I", QString::fromUtf16(registration)},
                {u":R", QString::fromUtf16(rntrc)}});
    }
    insertCompleteDemoDocument(db);
}

qint64 insertCompleteDemoDocument(const QSqlDatabase &db)
{
    StoredDocument doc = demodocument::complete();
    doc.document.remove(u"NRCTE"_s); // numbered by the save
    doc.document.insert(u"CDCTE"_s, 0.0);
    CallContext ctx {db, u"demo"_s};
    const QVariant reply = AplicaAlteracoes(
        ctx,
        {QVariant::fromValue(insertRows(contracts::cte::documentFields(), {doc.document})),
         QVariant::fromValue(insertRows(contracts::cte::taxFields(), doc.taxes)),
         QVariant::fromValue(insertRows(contracts::cte::valueComponentFields(), doc.components)),
         QVariant::fromValue(
             insertRows(contracts::cte::fiscalDocumentFields(), doc.fiscalDocuments)),
         QVariant::fromValue(
             insertRows(contracts::cte::cargoQuantityFields(), doc.cargoQuantities)),
         QVariant::fromValue(insertRows(contracts::cte::additionalDataFields(), doc.observations)),
         QUuid::createUuid().toString(QUuid::WithoutBraces)});
    return qint64(reply.toList().value(1).toDouble());
}

bool writeDemoCertificate(const QString &path)
{
    QByteArray password;
    for (int i = 0; i < 24; ++i)
        password += "abcdefghijkmnpqrstuvwxyz23456789"[QRandomGenerator::system()->bounded(32)];
    if (!writeSelfSignedPkcs12(path + u".p12"_s, password,
                               QString::fromUtf16(demodocument::kIssuerCnpj),
                               QString::fromUtf16(demodocument::kIssuerName), 365))
        return false;
    QFile secret(path + u".password"_s);
    if (!secret.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    secret.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    secret.write(password + '\n');
    secret.close();
    // The certificate alone, for the authority stand-in to trust.
    const auto cert = A1Certificate::load(path + u".p12"_s, password);
    QFile pem(path + u".pem"_s);
    if (!pem.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    pem.write("-----BEGIN CERTIFICATE-----\n");
    const QByteArray b64 = cert->certificateBase64();
    for (qsizetype i = 0; i < b64.size(); i += 64)
        pem.write(b64.mid(i, 64) + '\n');
    pem.write("-----END CERTIFICATE-----\n");
    return true;
}

bool writeDemoIssuers(const QSqlDatabase &db, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QSqlQuery q = runSql(db,
                         u"SELECT SGESTADO, CDINSCESTA, NRINSJURIEST FROM INSCRESTAD "
                         "WHERE IDTPIJURIEST = 'J' ORDER BY CDEMPRESA, CDINSCESTA"_s);
    while (q.next())
        file.write(u"%1 %2 %3\n"_s
                       .arg(q.value(0).toString().trimmed(), q.value(1).toString().trimmed(),
                            q.value(2).toString().trimmed())
                       .toUtf8());
    return file.error() == QFile::NoError;
}

} // namespace demodata
