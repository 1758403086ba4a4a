#pragma once

#include <QList>
#include <QString>

// The CT-e layout's groups and fields a correction letter may name, as the correction dialog
// offers them and the server checks them. The law forbids correcting what sets the tax (values,
// taxes, quantities), the parties' registrations, the date of emission and the route's states;
// those stay in the list, marked, so that choosing one is answered with a reason.
namespace contracts::correction {

struct LayoutField
{
    QString group; // grupoAlterado
    QString field; // campoAlterado
    bool repeats = false; // the group is a list: the item number is required
    bool forbidden = false;
};

const QList<LayoutField> &layoutFields();

// The entry for group and field (compared without case), or nullptr when the layout has none.
const LayoutField *findField(const QString &group, const QString &field);

// A correction letter holds at most this many letters per document, and item numbers 1 to 99.
inline constexpr int kMaxLetters = 20;
inline constexpr int kMaxItem = 99;
inline constexpr int kMaxValue = 500;

} // namespace contracts::correction
