#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>

// Documents the way an issuer writes them, for the stand-in's tests: a minimal but complete road
// CT-e of layout 4.00 (valid against cte_v4.00.xsd once signed), a cancellation event and the
// query messages. Every field a check looks at can be set; the key follows the fields unless
// overridden.
struct SampleCte
{
    static const QString kHomologationName;

    QString ufCode = QStringLiteral("35");
    QString ufLetters = QStringLiteral("SP"); // the issuer's address
    QString cnpj = QStringLiteral("12345678000195");
    QString ie = QStringLiteral("111111111119");
    QString model = QStringLiteral("57");
    int series = 1;
    qint64 number = 1;
    QString code = QStringLiteral("12345678");
    QString emission = QStringLiteral("1");
    QDateTime issuedAt = QDateTime::currentDateTimeUtc().addSecs(-60);
    int environment = 2;
    QString senderName = kHomologationName;
    QString recipientName = kHomologationName;
    QString idOverride; // replaces the Id attribute
    QString checkDigitOverride; // replaces cDV (the Id follows it)
    QString modalOverride; // replaces the rodo element
    QDateTime contingencyEntered; // dhCont, when valid
    QString contingencyReason; // xJust, when given
    // replaces the QR code's text (default: the state's address, the key and tpAmb); "-": none
    QString qrCodeOverride;

    // The QR code's text the authority expects for this São Paulo document (without sign).
    QString qrCode() const;

    QString key() const;
    QByteArray xml() const;
};

struct SampleCancellation
{
    QString key;
    QString protocol;
    QString cnpj = QStringLiteral("12345678000195");
    QDateTime at = QDateTime::currentDateTimeUtc().addSecs(-30);
    int sequence = 1;
    QString type = QStringLiteral("110111");
    QString organ {}; // default: the key's UF
    int environment = 2;
    QString idOverride {};
    // A correction letter (type 110110) carries one correction of this group and field.
    QString group = QStringLiteral("compl");
    QString field = QStringLiteral("xObs");

    QByteArray xml() const;
};

// A request voiding numbers first to last of a series.
struct SampleVoiding
{
    QString cnpj = QStringLiteral("12345678000195");
    int year = QDate::currentDate().year() % 100;
    int series = 1;
    qint64 first = 1;
    qint64 last = 1;

    QByteArray xml() const;
};

namespace samples {

QString dateTime(const QDateTime &moment); // yyyy-MM-ddTHH:mm:ss-03:00
QByteArray situationQuery(const QString &key, int environment = 2);
QByteArray serviceStatusQuery(int environment = 2, const QString &ufCode = QStringLiteral("35"));

} // namespace samples
