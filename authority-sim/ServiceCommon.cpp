#include "AccessKey.h"
#include "Services.h"

namespace services {

QString ufOfKey(const QString &key)
{
    const QString uf = key.left(2);
    return accesskey::isKnownUf(uf) ? uf : QString::fromLatin1(kDefaultUf);
}

QByteArray element(const char *name, const QString &value)
{
    QByteArray out = "<";
    out += name;
    out += '>';
    out += value.toHtmlEscaped().toUtf8();
    out += "</";
    out += name;
    out += '>';
    return out;
}

QString keyOf(soap::Service service, xmlDoc *doc)
{
    xmlNode *root = xmlDocGetRootElement(doc);
    switch (service) {
    case soap::Service::Reception: {
        const QString id = xml::attribute(xml::child(root, "infCte"), "Id");
        return id.startsWith(QLatin1StringView("CTe")) ? id.mid(3) : QString();
    }
    case soap::Service::Query:
        return xml::text(root, "chCTe").trimmed();
    case soap::Service::Event:
        return xml::text(xml::child(root, "infEvento"), "chCTe").trimmed();
    case soap::Service::Status:
    case soap::Service::Voiding:
        return {};
    }
    return {};
}

Outcome rejection(soap::Service service, const Context &ctx, int cstat, const QString &detail,
                  const QString &key)
{
    switch (service) {
    case soap::Service::Reception:
        return rejectReception(ctx, cstat, detail, key);
    case soap::Service::Query:
        return rejectQuery(ctx, cstat, detail, key);
    case soap::Service::Event:
        return rejectEvent(ctx, cstat, detail, key);
    case soap::Service::Status:
        return rejectStatus(ctx, cstat, detail);
    case soap::Service::Voiding:
        return rejectVoiding(ctx, cstat, detail);
    }
    return {};
}

} // namespace services
