#pragma once

#include "StatusQueryClient.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

// Settling a document by what the authority says of its access key: authorised ("A" with the
// protocol), cancelled ("C" with the event's protocol and procEventoCTe), denied ("D"), or not
// known to it (back to "R", to be sent again). The row moves only from the status it was read
// in, so a concurrent change wins; batches holding the document take the answer too.
struct Settled
{
    QString status; // the document's status afterwards
    QString text; // what the authority said, or why it could not be asked
    bool answered = false;
};

// Stores `answer` for document `key`, read in status `from` with access key `accessKey` (the
// authority's own when it names another one, as a duplicate's answer does). `sentDigest` is the
// digest signed under that key: an authorisation of another digest is none of what was sent and
// leaves the document as it is. Empty when unknown (the authority's key is not the one signed):
// the authority's digest is then stored as the document's.
Settled storeSituation(const QSqlDatabase &db, qint64 key, const QString &from,
                       const QString &accessKey, const QString &sentDigest,
                       const SituationAnswer &answer);

// Queries the situation of the stored access key of document `key` and stores it; a document
// without an access key is left as it is.
Settled settleDocument(const QSqlDatabase &db, const AuthorityServices &authority, qint64 key);

// Settles each of `keys` in turn. The reply to the client: success unless the authority could
// not be asked about any of them (then the first reason why).
QVariant settleAll(const QSqlDatabase &db, const QList<qint64> &keys);
