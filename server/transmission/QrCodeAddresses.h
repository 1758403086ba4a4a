#pragma once

#include <QHash>
#include <QString>

// The public query address that a CT-e's QR code points to: the authorising state's portal, one
// for production and one for homologation. The defaults follow the list the national portal
// publishes; the server's settings may replace any of them.
class QrCodeAddresses
{
public:
    // `environment`: 1 production, 2 homologation. Empty for an unknown state.
    QString address(const QString &uf, int environment) const;
    void set(const QString &uf, int environment, const QString &address);

    static QrCodeAddresses defaults();

private:
    QHash<QString, QString> m_addresses; // "UF/environment" -> address
};
