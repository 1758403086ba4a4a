#pragma once

#include <QDate>
#include <QString>

class QSettings;
struct THostOptions;

// The values a login gives the session. Remembered between runs, except the password.
struct TLoginValues
{
    QString user;
    QString password;
    QString company;
    QString branch;
    QDate date;
    QString serverHost = QStringLiteral("127.0.0.1");
    int serverPort = 8850;
    QString database;

    // The values remembered by the last login; the date is always today's.
    static TLoginValues Remembered(const QSettings &settings);
    // Stores everything but the password.
    void Remember(QSettings &settings) const;
    // Takes every value the command line gave.
    void Apply(const THostOptions &options);
    // The key of the first missing value ("HOST_EMPRESA_DEVE"); empty when complete.
    QString MissingKey() const;
    // Fills the framework's login values (Orvglob) that the package reads.
    void Publish() const;
};
