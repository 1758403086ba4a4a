#include "TransmissionSettings.h"

#include "ServerError.h"
#include "TransmissionMessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSettings>

using namespace Qt::StringLiterals;

namespace {

QMutex g_mutex;
TransmissionSettings g_settings;

QString resolved(const QDir &base, const QString &path)
{
    return path.isEmpty() ? path : QDir::cleanPath(base.absoluteFilePath(path));
}

} // namespace

TransmissionSettings readTransmissionSettings(const QString &path, QString *error)
{
    TransmissionSettings s = transmissionSettings();
    if (!QFileInfo(path).isReadable()) {
        *error = u"cannot read %1"_s.arg(path);
        return s;
    }
    const QDir base = QFileInfo(path).absoluteDir();
    QSettings ini(path, QSettings::IniFormat);
    s.certificateFile = resolved(base, ini.value(u"certificate/file"_s).toString());
    s.certificatePassword = ini.value(u"certificate/password"_s).toString().toUtf8();
    if (const QString file = ini.value(u"certificate/passwordFile"_s).toString(); !file.isEmpty()) {
        QFile f(resolved(base, file));
        if (!f.open(QIODevice::ReadOnly)) {
            *error = u"cannot read %1"_s.arg(f.fileName());
            return s;
        }
        s.certificatePassword = f.readLine().trimmed();
    }
    if (const QString dir = ini.value(u"schemas/dir"_s).toString(); !dir.isEmpty())
        s.schemaDir = resolved(base, dir);
    s.receptionUrl = ini.value(u"authority/reception"_s, s.receptionUrl).toString();
    s.queryUrl = ini.value(u"authority/query"_s, s.queryUrl).toString();
    s.eventUrl = ini.value(u"authority/event"_s, s.eventUrl).toString();
    if (const QString ca = ini.value(u"authority/caFile"_s).toString(); !ca.isEmpty())
        s.authorityCaFile = resolved(base, ca);
    s.timeoutMs = ini.value(u"authority/timeoutMs"_s, s.timeoutMs).toInt();
    for (const auto &[group, environment] :
         {std::pair {u"qrCodeProduction"_s, 1}, std::pair {u"qrCodeHomologation"_s, 2}}) {
        ini.beginGroup(group);
        for (const QString &uf : ini.childKeys())
            s.qrCodeAddresses.set(uf, environment, ini.value(uf).toString());
        ini.endGroup();
    }
    s.mail = readMailSettings(ini, base, error);
    return s;
}

QString serviceUrl(const TransmissionSettings &settings, const QString &name)
{
    const QString configured = name == u"CTeConsultaV4" ? settings.queryUrl : settings.eventUrl;
    if (!configured.isEmpty())
        return configured;
    QString url = settings.receptionUrl;
    return url.replace(u"CTeRecepcaoSincV4"_s, name);
}

void requireAuthority(const TransmissionSettings &settings)
{
    if (settings.receptionUrl.isEmpty())
        throw ServerError(txMsg("AUTORIDADE_NAO_CONFIGURADA"));
    if (!settings.authorityCaFile.isEmpty() && !QFileInfo(settings.authorityCaFile).isReadable())
        throw ServerError(txMsg("AUTORIDADE_CA_ARQUIVO").arg(settings.authorityCaFile));
}

void setTransmissionSettings(const TransmissionSettings &settings)
{
    QMutexLocker lock(&g_mutex);
    g_settings = settings;
}

TransmissionSettings transmissionSettings()
{
    QMutexLocker lock(&g_mutex);
    return g_settings;
}
