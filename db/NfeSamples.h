#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

// NF-e 4.00 files made up for the demo, the tests and the benchmarks: the elements a CT-e takes
// from an invoice, in the layout's order, under a key whose check digit is computed (or spoiled
// on purpose). They carry no signature: nothing here checks one.
namespace NfeSamples {

struct Sample
{
    QString ufCode = QStringLiteral("35");
    QDate issued = QDate(2026, 12, 1);
    QString issuerRegistration = QStringLiteral("61348257000123"); // CNPJ, or an 11-digit CPF
    QString issuerName = QStringLiteral("METALURGICA VALE DO PARAIBA LTDA");
    QString recipientRegistration = QStringLiteral("70821439000160");
    QString recipientName = QStringLiteral("CERAMICA LITORAL PAULISTA LTDA");
    QString model = QStringLiteral("55");
    int series = 1;
    qint64 number = 1;
    QList<std::pair<QString, qint64>> products; // name and value in cents
    double grossWeight = 0; // no volume element when weights and volumes are all 0
    double netWeight = 0;
    int volumes = 0;
    bool withProtocol = true; // nfeProc with the authorisation, or NFe alone
    QString protocolStatus = QStringLiteral("100");
    bool spoilCheckDigit = false;
};

// The 44-digit key of the sample.
QString AccessKey(const Sample &sample);

QByteArray Xml(const Sample &sample);

// The demo's shipment: three invoices of client 101 (the sender) to client 112 (the recipient).
QList<Sample> DemoSamples();

// Writes each sample into `dir` as "<key>-nfe.xml"; returns the paths, or nothing when a file
// could not be written.
QStringList WriteFiles(const QList<Sample> &samples, const QString &dir);

} // namespace NfeSamples
