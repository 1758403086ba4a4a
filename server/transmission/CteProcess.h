#pragma once

#include <QByteArray>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

// The files that prove a document: the cteProc (the signed CT-e with the authority's protocol)
// and, once cancelled, the procEventoCTe of its cancellation, as stored.
struct CteProcess
{
    qint64 key = 0;
    QString number;
    QString status; // IDSTATUSCTE
    QString statusCode; // CDSTATUSCTE, the authority's last answer about it
    QString accessKey;
    QByteArray signedCte; // as stored
    QByteArray protocol; // protCTe, as stored
    QByteArray cteProc; // empty when the document holds no authorised XML
    QByteArray cancellation; // procEventoCTe; empty unless cancelled
    QList<QByteArray> corrections; // procEventoCTe of each correction letter, in sequence order

    // Only an accepted or a cancelled document has them.
    bool authorised() const { return status == u"A" || status == u"C"; }
    QString cteProcFileName() const { return accessKey + QStringLiteral("-procCTe.xml"); }
    QString cancellationFileName() const
    {
        return accessKey + QStringLiteral("-procEventoCTe.xml");
    }
    // Letter `sequence` (from 1): the event type and sequence keep each letter's name apart.
    QString correctionFileName(int sequence) const
    {
        return accessKey
            + QStringLiteral("-110110-%1-procEventoCTe.xml").arg(sequence, 2, 10, QLatin1Char('0'));
    }
};

// Nothing when the document does not exist.
std::optional<CteProcess> loadCteProcess(const QSqlDatabase &db, qint64 key);

// <cteProc> around the signed CT-e and its protCTe.
QByteArray cteProcOf(const QByteArray &signedCte, const QByteArray &protocol);
