#pragma once

#include <QString>
#include <QStringList>

// Edit masks in the host's notation, "mask;save-literals;blank" (for example "!99/99/0000;1;_"):
//   0 digit required, 9 digit optional, # digit or sign optional, L letter required,
//   l letter optional, A letter or digit required, a optional, C any character required,
//   c optional, > upper case, < lower case, <> no case change, ! drop leading blanks,
//   \ the next character is a literal; every other character is a literal.
// The second section says whether the literals are kept in the stored value (1) or not (0,
// the default when the mask has no second section is to keep them); the third is the blank.
struct TEditMask
{
    QString mask; // the placeholders and literals, without the sections
    bool saveLiterals = true; // stored value keeps the literals
    QChar blank = u'_';

    static TEditMask Parse(const QString &editMask);
    bool isEmpty() const { return mask.isEmpty(); }

    // The same mask in QLineEdit::setInputMask notation, with the blank character.
    QString ToQtInputMask() const;
    // Number of positions a user types into (placeholders).
    int PlaceholderCount() const;
    // The stored value of `typed` (the text a control shows): literals kept or dropped as the
    // mask says, blanks removed.
    QString StoredValue(const QString &typed) const;
};

// The registration mask of a person type: "J" CNPJ, "F" CPF, anything else no mask. The masks
// keep no literals: a registration typed through them is stored as its digits.
QString PictPess(const QString &personType);

// Formats `value` with `editMask`. When the mask keeps no literals, `value` holds only the typed
// characters and the literals are inserted between them (unless it already carries them: longer
// than the placeholders, with no more letters and digits than they take); otherwise `value` is
// returned as it is.
// An empty value stays empty; characters beyond the mask are dropped.
QString FormatMaskText(const QString &editMask, const QString &value);

// `text` with every character that is not a letter or a digit removed ("12.345/0001-9" ->
// "1234500019").
QString OnlyAlphanumeric(const QString &text);
