#pragma once

#include "MailSettings.h"
#include "QrCodeAddresses.h"

#include <QByteArray>
#include <QString>

// Where the transmission finds its certificate, the schemas and the authority. Read once at
// start-up from the server's settings file (never from the repository) and shared by every
// worker thread.
struct TransmissionSettings
{
    QString certificateFile; // PKCS#12 (A1)
    QByteArray certificatePassword;
    QString schemaDir; // folder of cte_v4.00.xsd and its includes
    QString receptionUrl; // the authority's synchronous reception (SOAP 1.2)
    QString queryUrl; // its status query; empty: beside the reception (see serviceUrl)
    QString eventUrl; // its event reception; empty: beside the reception
    // The certificates (PEM) the authority's TLS certificate must chain to; empty: the system's.
    QString authorityCaFile;
    int timeoutMs = 30000;
    QrCodeAddresses qrCodeAddresses = QrCodeAddresses::defaults();
    MailSettings mail;
};

// Reads an INI file:
//   [certificate] file=…  password=…  or passwordFile=… (first line of that file)
//   [authority]   reception=http(s)://…  query=…  event=…  caFile=…  timeoutMs=30000
//   [schemas]     dir=…
//   [qrCodeProduction] / [qrCodeHomologation]   SP=https://…  (one state per key)
//   [mail]        the SMTP server (MailSettings.h)
// Relative paths are taken from the file's folder. Gives the error text when the file cannot
// be read.
TransmissionSettings readTransmissionSettings(const QString &path, QString *error);

// The address of the authority's service `name` (CTeConsultaV4, CTeRecepcaoEventoV4): the one
// configured, else the reception's with its service name replaced, as the authorities publish
// their services side by side.
QString serviceUrl(const TransmissionSettings &settings, const QString &name);

// Raises ServerError when the authority cannot be reached as configured: no reception address,
// or a CA file that cannot be read.
void requireAuthority(const TransmissionSettings &settings);

void setTransmissionSettings(const TransmissionSettings &settings);
TransmissionSettings transmissionSettings();
