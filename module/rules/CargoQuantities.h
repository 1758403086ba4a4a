#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

class TClientDataSet;

// The cargo quantities of a document and the fiscal documents they come from. Two quantity rows
// are kept by the system (IDGERADAAUTO "S"): the gross weight ("01", summed from the documents'
// "NF" unit rows) and the number of volumes ("03", from "VL"); unit rows of any other reference
// change nothing.

// The text shown for unit code `code`: `texts` holds the texts of "00" to "05" in order; an empty
// code shows nothing, and so does a code that is not one of those six.
QString UnitDisplayText(const QString &code, const QStringList &texts);

// The code a typed unit text stands for: the display text of a code or the two-digit code itself
// ("00" to "05"); nothing for any other text (the field then keeps its value).
std::optional<QString> UnitCodeForText(const QString &text, const QStringList &texts);

// True when the text of a unit cell names no unit: its first two characters are not a number
// from 0 to 5. An empty text is not refused here.
bool UnitCellRefused(const QString &cellText);

// Keys accepted while typing in the unit column: digits, backspace and tab.
bool UnitKeyAccepted(QChar key);

// Sets the gross-weight row ("NF") of one fiscal document's `units` to `weight`, what its row in
// the document kept: added when missing, dropped when the row kept none.
void KeepRowWeight(TClientDataSet *units, const QVariant &weight);

// Adds (sign +1) or subtracts (sign -1) the unit rows of one fiscal document (`units`:
// REFERENCIA, QTUNIDADE) to the system-kept rows of document `cdCte` in `quantities`. Adding
// creates a missing row; subtracting deletes a row that comes to exactly 0 and ignores a row that
// is missing. The refusing before-edit and before-delete handlers of `quantities` are detached
// meanwhile and re-attached afterwards, also on failure.
void ApplyDocumentQuantities(TClientDataSet *quantities, TClientDataSet *units, double cdCte,
                             int sign);

// The criteria that name a fiscal-document row to the server (access key, branch, entry).
struct TFiscalDocumentCriteria
{
    QString accessKey;
    QString branch;
    QString entry;

    bool IsEmpty() const { return accessKey.isEmpty() && branch.isEmpty() && entry.isEmpty(); }
    // The key looked up among the document's fiscal documents: branch + entry, else access key.
    QString ListKey() const;
    // Every empty criterion becomes "T" (any).
    TFiscalDocumentCriteria WithAnyForEmpty() const;
};
// Adding a row: branch and entry when either is given (access key empty), otherwise the access
// key alone.
TFiscalDocumentCriteria CriteriaToAdd(const QString &accessKey, const QString &branch,
                                      const QString &entry);
// Removing a row, as sent: its access key when it has one (branch and entry "T"), otherwise
// branch and entry as they are, even empty (access key "T").
TFiscalDocumentCriteria CriteriaToRemove(const QString &accessKey, const QString &branch,
                                         const QString &entry);

// Fills `request` (NRACESSONFE, CDFILIAL, NRLANCTONF; emptied first) with one row per key of the
// document's fiscal documents, in order: a key of 44 characters is an access key, any other is a
// branch (characters 1 to 4) followed by an entry number (characters 5 to 14).
void FillProductRequest(TClientDataSet *request, const QStringList &keys);
