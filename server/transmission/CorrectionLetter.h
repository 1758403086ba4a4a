#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

// The correction letter (event 110110) of an accepted document: the corrections it carries,
// their check against the layout, and the letters kept with a document.
struct Correction
{
    QString group;
    QString field;
    QString value;
    int item = 0; // 0: the group does not repeat
};

// Why the corrections cannot be sent (none, a field the layout lacks or the law forbids, an item
// number missing or out of range, a value empty or too long), in words for the user; empty
// when they can.
QString correctionsProblem(const QList<Correction> &corrections);

// The evCCeCTe detail with the fixed condition of use.
QByteArray correctionDetail(const QList<Correction> &corrections);

// What a kept letter's event XML says: its corrections in order, the condition of use and the
// moment of the event.
struct LetterContent
{
    QList<Correction> corrections;
    QString condition;
    QDateTime eventAt;
};
LetterContent letterContent(const QByteArray &eventXml);

// The procEventoCTe of each correction letter registered for document `key`, in sequence order:
// what goes with the document's own XML when it is e-mailed or exported.
QList<QByteArray> correctionLetterXmls(const QSqlDatabase &db, qint64 key);
