#pragma once

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <optional>

// The stand-in's own SQLite database: the registered issuers, the authorised documents with
// their protocols, the registered events and the fault switches. Each worker thread gets its own
// connection; writes that must see a consistent picture run in one immediate transaction.
namespace store {

struct Issuer
{
    QString uf; // two letters
    QString ie;
    QString cnpj;
    bool enabled = true;
};

struct Document
{
    QString key;
    QString ufCode;
    QString cnpj;
    QString model;
    int series = 0;
    qint64 number = 0;
    int environment = 0;
    QDateTime issuedAt;
    QString protocol;
    QDateTime authorizedAt;
    QString digest;
    QByteArray xml;
    QByteArray protocolXml; // the protCTe element as answered
    int status = 100; // 100 authorised, 101 cancelled
};

struct Event
{
    QString key;
    QString type;
    int sequence = 1;
    QString organ;
    QString protocol;
    QDateTime registeredAt;
    QByteArray procXml; // procEventoCTe
};

// A range of numbers voided (inutCTe) by an issuer.
struct Voiding
{
    QString cnpj;
    QString model;
    int series = 0;
    qint64 first = 0;
    qint64 last = 0;
    int environment = 0;
    QString protocol;
    QDateTime registeredAt;
};

struct Fault
{
    QString scope; // "*" or an access key
    QString kind; // slow, unavailable, drop, reject
    QString value;
};

// Opens (creating when needed) the database file in `folder`; false with `error` otherwise.
bool open(const QString &folder, QString *error);
QString databasePath();

QSqlDatabase connection();

void addIssuer(const Issuer &issuer);
std::optional<Issuer> issuerByIe(const QString &uf, const QString &ie);

std::optional<Document> documentByKey(const QString &key);

// Stores an authorised document unless one with the same natural key exists: then that one is
// returned and nothing is written. `makeProtocol` is called inside the transaction with the
// protocol number to build the stored protCTe.
struct AuthorizeOutcome
{
    bool stored = false;
    std::optional<Document> existing;
};
AuthorizeOutcome authorize(Document doc,
                           const std::function<QByteArray(const Document &)> &makeProtocol);

QList<Event> eventsOf(const QString &key);
// Registers an event (and, for a cancellation, marks the document cancelled) unless the same
// organ/type/key/sequence is registered already: then that one is returned.
struct RegisterOutcome
{
    bool stored = false;
    std::optional<Event> existing;
    Event event;
};
RegisterOutcome registerEvent(Event event, bool cancels,
                              const std::function<QByteArray(const Event &)> &makeProc);

// Registers a voided range after checking, in one transaction, that no number of it was used or
// voided before. `code` says why not: 0 stored, 682 the same range (`existing` is it), 256 one
// voided before, 241 one used.
struct VoidingOutcome
{
    int code = 0;
    Voiding voiding;
};
VoidingOutcome registerVoiding(Voiding voiding, const QString &ufCode);
// The voided range holding a number, if any.
std::optional<Voiding> voidingOf(const QString &cnpj, const QString &model, int series,
                                 qint64 number, int environment);

// A new 15-digit protocol number: type, UF, year and a sequence of this database.
QString nextProtocol(const QString &ufCode, const QDateTime &at);

QList<Fault> faults();
void setFault(const Fault &fault);
void clearFaults(const QString &scope);

} // namespace store
