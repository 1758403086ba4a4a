#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace dacte {

// What the printed correction letter shows: the document it corrects, the letter's sequence and
// the authority's protocol, each correction, and the condition of use.
struct CorrectionLetterData
{
    struct Item
    {
        QString group;
        QString field;
        QString value;
        int item = 0; // 0: not a list
    };

    QString accessKey;
    QString number;
    QString series;
    QString issuerName;
    QString issuerCnpj;
    int sequence = 0;
    QDateTime eventAt;
    QString protocol;
    QDateTime registeredAt;
    QList<Item> corrections;
    QString condition;
};

// One A4 page, fonts embedded; corrections that do not fit end in an ellipsis.
QByteArray correctionLetterPdf(const CorrectionLetterData &letter);

} // namespace dacte
