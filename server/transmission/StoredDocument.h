#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <optional>

// One stored CT-e with its child lists, read by field name: what the XML is built from.
using FieldValues = QHash<QString, QVariant>;

struct StoredDocument
{
    FieldValues document;
    QList<FieldValues> taxes;
    QList<FieldValues> components;
    QList<FieldValues> fiscalDocuments;
    QList<FieldValues> cargoQuantities;
    QList<FieldValues> observations;

    QString text(const QString &field) const { return textOf(document, field); }
    double number(const QString &field) const { return document.value(field).toDouble(); }

    static QString textOf(const FieldValues &row, const QString &field)
    {
        return row.value(field).toString().trimmed();
    }
};

// The parameters of an issuing establishment that the document record does not carry.
struct IssuerParameters
{
    QString rntrc; // the carrier's national road registration (8 digits)
    QString crt; // tax regime: 1 simples nacional, 2 excess of its limit, 3 normal, 4 MEI
};

// Reads the document `key` and its child lists; nothing when it does not exist.
std::optional<StoredDocument> loadStoredDocument(const QSqlDatabase &db, qint64 key);

// The parameters of the establishment (company, state registration); nothing when not set.
std::optional<IssuerParameters> loadIssuerParameters(const QSqlDatabase &db, const QString &company,
                                                     const QString &stateRegistration);
