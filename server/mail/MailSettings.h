#pragma once

#include <QByteArray>
#include <QDir>
#include <QSettings>
#include <QString>

// How the server reaches its SMTP server: the [mail] group of the server's settings file, read
// with the others (TransmissionSettings).
struct MailSettings
{
    enum class Security { None, StartTls, Tls };

    QString server; // empty: e-mail is not configured
    int port = 25;
    Security security = Security::StartTls;
    QString user; // empty: no login
    QByteArray password;
    QString from; // the sender's address
    QString caFile; // certificates (PEM) the server's must chain to; empty: the system's
    int timeoutMs = 30000;
};

// Reads the [mail] group of `ini`:
//   server=smtp.example.com  port=587  security=starttls|tls|none  user=…
//   passwordFile=… (first line of that file)  from=cte@example.com  caFile=…  timeoutMs=30000
// Relative paths are taken from `base`. Gives the error text on a wrong value.
MailSettings readMailSettings(QSettings &ini, const QDir &base, QString *error);
