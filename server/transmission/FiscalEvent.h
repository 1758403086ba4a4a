#pragma once

#include "A1Certificate.h"
#include "StatusQueryClient.h"
#include "XmlSigner.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

// The events of an authorised CT-e (cancellation 110111, correction letter 110110) as the
// issuer signs, checks, sends and keeps them: one envelope, the detail of each type inside.
struct EventHeader
{
    QString accessKey;
    QString issuerCnpj;
    QString environment; // 1 production, 2 homologation
    QString type; // tpEvento
    int sequence = 1;
    QDateTime at;
    QString issuerUf; // the event's moment is written with this state's offset
};

// The signed eventoCTe around `detail` (the type's own element, as written by XmlOut); raises
// ServerError when it cannot be signed.
SignedXml buildEvent(const EventHeader &header, const QByteArray &detail,
                     const A1Certificate &certificate);

// Empty when the signed event passes the event schema and its detail element `detailName` the
// type's schema `detailSchema` (both from `schemaDir`), else the first problem.
QString validateEvent(const QByteArray &signedEvent, const QString &schemaDir,
                      const QByteArray &detailName, const QString &detailSchema);

// An event signed, checked and sent: `schemaProblem` says why nothing was sent.
struct SentEvent
{
    SignedXml event;
    QString schemaProblem;
    EventAnswer answer;
};
SentEvent sendFiscalEvent(const AuthorityServices &authority, const EventHeader &header,
                          const QByteArray &detail, const QByteArray &detailName,
                          const QString &detailSchema);

// The procEventoCTe that keeps the event with the authority's answer.
QByteArray eventProcess(const QByteArray &signedEvent, const QByteArray &retEvento);

// Why the authority would refuse `justification` (too short, too long, line breaks, characters
// outside its text type, blanks at either end), in words for the user that name it as
// `subject`; empty when it would not.
QString justificationProblem(const QString &justification, const QString &subject);

// An accepted document as its events need it.
struct AcceptedDocument
{
    QString number;
    EventHeader header; // key, issuer, environment and state; type and sequence left to the event
    QString protocol; // the authorisation's
};

// Reads document `key`; raises ServerError when it does not exist, is not accepted
// (`situationText`, with the number and status) or has no authorisation.
AcceptedDocument readAcceptedDocument(const QSqlDatabase &db, qint64 key,
                                      const QString &situationText);

// The next sequence number of events of `type` of the document.
int nextEventSequence(const QSqlDatabase &db, qint64 key, const QString &type);

// Keeps a registered event with the document, inside the caller's transaction.
void insertEvent(const QSqlDatabase &db, qint64 key, const QString &type, int sequence,
                 const EventAnswer &answer, const QByteArray &process);
