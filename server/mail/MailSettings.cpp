#include "MailSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSettings>

using namespace Qt::StringLiterals;

namespace {

QMutex g_mutex;
MailSettings g_settings;

} // namespace

MailSettings readMailSettings(const QString &path, QString *error)
{
    MailSettings s;
    const QDir base = QFileInfo(path).absoluteDir();
    QSettings ini(path, QSettings::IniFormat);
    ini.beginGroup(u"mail"_s);
    s.server = ini.value(u"server"_s).toString().trimmed();
    bool ok = true;
    s.port = ini.value(u"port"_s, s.port).toInt(&ok);
    if (!ok || s.port < 1 || s.port > 65535) {
        *error = u"[mail] port: %1 is not a port"_s.arg(ini.value(u"port"_s).toString());
        return s;
    }
    const QString security = ini.value(u"security"_s, u"starttls"_s).toString().toLower();
    if (security == u"none")
        s.security = MailSettings::Security::None;
    else if (security == u"tls")
        s.security = MailSettings::Security::Tls;
    else if (security == u"starttls")
        s.security = MailSettings::Security::StartTls;
    else {
        *error = u"[mail] security: %1 (use starttls, tls or none)"_s.arg(security);
        return s;
    }
    s.user = ini.value(u"user"_s).toString();
    if (const QString file = ini.value(u"passwordFile"_s).toString(); !file.isEmpty()) {
        QFile f(QDir::cleanPath(base.absoluteFilePath(file)));
        if (!f.open(QIODevice::ReadOnly)) {
            *error = u"cannot read %1"_s.arg(f.fileName());
            return s;
        }
        s.password = f.readLine().trimmed();
    }
    s.from = ini.value(u"from"_s).toString().trimmed();
    if (const QString ca = ini.value(u"caFile"_s).toString(); !ca.isEmpty())
        s.caFile = QDir::cleanPath(base.absoluteFilePath(ca));
    s.timeoutMs = ini.value(u"timeoutMs"_s, s.timeoutMs).toInt();
    if (!s.server.isEmpty() && s.from.isEmpty())
        *error = u"[mail] from: the sender's address is missing"_s;
    return s;
}

void setMailSettings(const MailSettings &settings)
{
    QMutexLocker lock(&g_mutex);
    g_settings = settings;
}

MailSettings mailSettings()
{
    QMutexLocker lock(&g_mutex);
    return g_settings;
}
