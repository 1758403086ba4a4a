#include "MailSettings.h"

#include <QFile>

using namespace Qt::StringLiterals;

MailSettings readMailSettings(QSettings &ini, const QDir &base, QString *error)
{
    MailSettings s;
    ini.beginGroup(u"mail"_s);
    s.server = ini.value(u"server"_s).toString().trimmed();
    const QString port = ini.value(u"port"_s, s.port).toString();
    const QString security = ini.value(u"security"_s, u"starttls"_s).toString().toLower();
    s.user = ini.value(u"user"_s).toString();
    const QString passwordFile = ini.value(u"passwordFile"_s).toString();
    s.from = ini.value(u"from"_s).toString().trimmed();
    const QString ca = ini.value(u"caFile"_s).toString();
    s.timeoutMs = ini.value(u"timeoutMs"_s, s.timeoutMs).toInt();
    ini.endGroup();

    bool ok = true;
    s.port = port.toInt(&ok);
    if (!ok || s.port < 1 || s.port > 65535)
        *error = u"[mail] port: %1 is not a port"_s.arg(port);
    if (security == u"none")
        s.security = MailSettings::Security::None;
    else if (security == u"tls")
        s.security = MailSettings::Security::Tls;
    else if (security != u"starttls")
        *error = u"[mail] security: %1 (use starttls, tls or none)"_s.arg(security);
    if (!passwordFile.isEmpty()) {
        QFile f(QDir::cleanPath(base.absoluteFilePath(passwordFile)));
        if (f.open(QIODevice::ReadOnly))
            s.password = f.readLine().trimmed();
        else
            *error = u"cannot read %1"_s.arg(f.fileName());
    }
    if (!ca.isEmpty())
        s.caFile = QDir::cleanPath(base.absoluteFilePath(ca));
    if (!s.server.isEmpty() && s.from.isEmpty())
        *error = u"[mail] from: the sender's address is missing"_s;
    return s;
}
