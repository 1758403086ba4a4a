#pragma once

#include "A1Certificate.h"
#include "XmlSigner.h"

#include <QDateTime>
#include <QString>

// The cancellation event (110111) of an authorised CT-e, as the issuer signs and sends it.
struct CancellationRequest
{
    QString accessKey;
    QString issuerCnpj;
    QString environment; // 1 production, 2 homologation
    QString protocol; // the authorisation's
    QString justification;
    int sequence = 1;
    QDateTime at;
    QString issuerUf; // the event's moment is written with this state's offset
};

// Why the authority would refuse `justification` (too short, too long, line breaks, characters
// outside its text type, blanks at either end), in words for the user; empty when it would not.
QString justificationProblem(const QString &justification);

// The signed eventoCTe; raises ServerError when it cannot be signed.
SignedXml buildCancellationEvent(const CancellationRequest &request,
                                 const A1Certificate &certificate);

// Empty when the signed event passes the event schema and its detail the cancellation schema
// (both from `schemaDir`), else the first problem.
QString validateCancellationEvent(const QByteArray &signedEvent, const QString &schemaDir);

// The procEventoCTe that keeps the event with the authority's answer.
QByteArray cancellationProcess(const QByteArray &signedEvent, const QByteArray &retEvento);
