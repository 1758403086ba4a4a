#pragma once

#include "SchemaSet.h"
#include "SignatureCheck.h"
#include "Soap.h"
#include "XmlDocument.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The five services. Each takes the data area as a document of its own and answers the XML of
// its result message (retCTe, retConsSitCTe, retEventoCTe, retConsStatServCTe, retInutCTe).
namespace services {

inline constexpr char kAppVersion[] = "SIM-CTe-4.00";
inline constexpr char kDefaultUf[] = "35";

struct Context
{
    const SchemaSet &schemas;
    const SignatureCheck &signatures;
    int environment = 2; // 1 production, 2 homologation
    QDateTime now;
};

struct Outcome
{
    QByteArray xml;
    int cstat = 0;
    QString key;
    QString detail;
};

// The access key a data area is about, for the per-key switches; empty when none.
QString keyOf(soap::Service service, xmlDoc *doc);
// The service's answer to a request refused before it was read (bad data area, a switch).
Outcome rejection(soap::Service service, const Context &ctx, int cstat, const QString &detail,
                  const QString &key = {});

Outcome receiveCte(const Context &ctx, xmlDoc *doc);
Outcome querySituation(const Context &ctx, xmlDoc *doc);
Outcome receiveEvent(const Context &ctx, xmlDoc *doc);
Outcome serviceStatus(const Context &ctx, xmlDoc *doc);
Outcome voidRange(const Context &ctx, xmlDoc *doc);

// Each service's answer with a rejection code and no further processing.
Outcome rejectReception(const Context &ctx, int code, const QString &detail, const QString &key);
Outcome rejectQuery(const Context &ctx, int code, const QString &detail, const QString &key);
Outcome rejectEvent(const Context &ctx, int code, const QString &detail, const QString &key);
Outcome rejectStatus(const Context &ctx, int code, const QString &detail);
Outcome rejectVoiding(const Context &ctx, int code, const QString &detail);

// Shared by the services.
QString ufOfKey(const QString &key);
QByteArray element(const char *name, const QString &value);

} // namespace services
