#include "TransmissionSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSettings>

using namespace Qt::StringLiterals;

namespace {

QMutex g_mutex;
TransmissionSettings g_settings = [] {
    TransmissionSettings s;
#ifdef CTE_DEFAULT_SCHEMA_DIR
    s.schemaDir = QStringLiteral(CTE_DEFAULT_SCHEMA_DIR);
#endif
    return s;
}();

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
    s.timeoutMs = ini.value(u"authority/timeoutMs"_s, s.timeoutMs).toInt();
    s.qrCodeUrl = ini.value(u"authority/qrCode"_s, s.qrCodeUrl).toString();
    s.utcOffset = ini.value(u"issuer/utcOffset"_s, s.utcOffset).toString();
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
