#pragma once

#include "DataPacket.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

// A dataset filter expression, parsed once and evaluated on stored rows:
//   FIELD = 'text'   FIELD = 12   FIELD <> 'x'   <, >, <=, >=   FIELD IS [NOT] NULL
//   terms joined by AND / OR, NOT, parentheses; keywords in any case; 'AB*' compares a prefix.
// Literals are converted to the field's type when parsed, so CDCTE = '12' and CDCTE = 12 are the
// same filter on a float field.
class TFilterExpression
{
public:
    struct FieldRef
    {
        int slot = -1; // position of the value in a stored row
        contracts::FieldType type = contracts::FieldType::String;
        int size = 0;
    };
    using FieldResolver = std::function<std::optional<FieldRef>(const QString &name)>;

    // Parses `text`; raises MensErro naming `dataSetName`, the text and the problem.
    static std::shared_ptr<const TFilterExpression>
    Parse(const QString &text, const FieldResolver &resolve, const QString &dataSetName);
    ~TFilterExpression();

    bool Matches(const QList<QVariant> &row) const;

    // An equality that every matching row satisfies (a top-level AND term FIELD = value), for
    // answering the filter from an index on that field. `accept` picks the usable slots.
    struct Equality
    {
        int slot = -1;
        QVariant value;
        bool whole = false; // the equality is the whole expression: its rows are the answer
    };
    std::optional<Equality> IndexableEquality(const std::function<bool(int slot)> &accept) const;

    struct Node;

private:
    explicit TFilterExpression(std::unique_ptr<Node> root);
    std::unique_ptr<Node> m_root;
};
