#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// A SQL text with ":NAME" parameters, split at each parameter so that the database receives
// positional markers. A name may be used several times; ':' inside quotes, comments and the
// PostgreSQL cast "::" is left alone.
class TSqlText
{
public:
    TSqlText() = default;
    explicit TSqlText(const QString &sql);

    // The parameter names in order of first use, as written.
    const QStringList &ParamNames() const { return m_names; }
    // The parameter name of each placeholder, in order (a name repeats when used twice).
    const QStringList &Occurrences() const { return m_occurrences; }

    // The text with every parameter replaced by marker(i) for occurrence i; "?" by default.
    QString Positional(const std::function<QString(int)> &marker = {}) const;

private:
    QStringList m_pieces; // text around the parameters: one more piece than occurrences
    QStringList m_occurrences;
    QStringList m_names;
};
