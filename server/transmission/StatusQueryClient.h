#pragma once

#include "A1Certificate.h"
#include "TransmissionSettings.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>

// The authority's status query (consSitCTe) and event reception (eventoCTe) and what they answer.

// An event the authority registered for a document, as its status query lists it.
struct RegisteredEvent
{
    QString type; // tpEvento
    int sequence = 0;
    QString protocol;
    QDateTime registeredAt;
    QByteArray procXml; // procEventoCTe as received
};

// What the authority knows of one access key.
struct SituationAnswer
{
    bool answered = false;
    QString problem; // when not answered, why
    QString status; // cStat of the query: 100 authorised, 101 cancelled, 217 unknown, …
    QString reason; // xMotivo
    QString protocol; // the authorisation's nProt
    QDateTime authorizedAt;
    QString digestValue; // the authorisation's digVal: the digest of the content it holds
    QByteArray protocolXml; // protCTe as received
    QString cancelProtocol; // the registered cancellation event's nProt
    QDateTime cancelledAt;
    QByteArray cancellationXml; // its procEventoCTe as received
    QList<RegisteredEvent> events; // every registered event, in the answer's order
};

// What the event reception answered.
struct EventAnswer
{
    bool answered = false;
    QString problem;
    QString status; // 135 registered, 136 / 155 registered late or without link, else refused
    QString reason;
    QString protocol;
    QDateTime registeredAt;
    QByteArray retEventoXml; // retEventoCTe as received
    bool registered() const { return status == u"135" || status == u"136" || status == u"155"; }
};

// What the voiding service (inutCTe) answered.
struct VoidingAnswer
{
    bool answered = false;
    QString problem;
    QString status; // 102 voided, else refused
    QString reason;
    QString protocol;
    QDateTime receivedAt;
    QByteArray retInutXml; // retInutCTe as received
};

// The authority's services reached with the server's settings and certificate.
class AuthorityServices
{
public:
    // Reads the settings and the certificate; raises ServerError when either is missing.
    AuthorityServices();
    AuthorityServices(TransmissionSettings settings,
                      std::shared_ptr<const A1Certificate> certificate);

    SituationAnswer querySituation(const QString &accessKey, const QString &environment) const;
    EventAnswer sendEvent(const QByteArray &signedEvent) const;
    VoidingAnswer sendVoiding(const QByteArray &signedRequest) const;

    const A1Certificate &certificate() const { return *m_certificate; }
    const TransmissionSettings &settings() const { return m_settings; }

private:
    TransmissionSettings m_settings;
    std::shared_ptr<const A1Certificate> m_certificate;
};
