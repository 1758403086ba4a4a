#pragma once

#include <QString>

class TMessages;

// What a document's status (IDSTATUSCTE) allows and how the list shows it. Pending ("P") and
// rejected ("R") documents are the editable ones; accepted, transmitted, cancelled and denied
// ones ("A", "T", "C", "D") are only looked at.

// "P" or "R": the document may be altered, deleted and marked.
bool StatusEditable(const QString &status);

// "P", "R" or "T": the document may be marked for the batch actions; a transmitted one waits
// for the status query that settles it.
bool StatusMarkable(const QString &status);

// Shown read-only: a current document whose status starts with "A", "C", "D" or "T". An empty
// list is never read-only.
bool StatusReadOnly(bool listEmpty, const QString &status);

// The list draws the grey mark for accepted and cancelled documents, whatever their mark.
bool StatusGreyMark(const QString &status);

// The list's text of a status: the list catalogue's text under the status code; empty stays empty.
QString StatusText(const QString &status, const TMessages &msgListaDados);

// OPER_BLOQ_CTE_STATUS with the status text in lower case: why a document cannot be changed.
QString StatusBlockedText(const QString &status, const TMessages &msgPadrao,
                          const TMessages &msgListaDados);

// The list's text of the e-mail state: "E" sent (ENVIADO), anything else pending (PENDENTE),
// empty stays empty.
QString EmailText(const QString &idEmail, const TMessages &msgPadrao);

// The navigation bar's text of the current document (RODAPE), empty for an empty list.
QString FooterText(bool listEmpty, const QString &cdCte, const QString &nrCte,
                   const TMessages &msgPadrao);

// Replaces each "%s" of `pattern`, in order, by the next of `args`.
QString FormatPercentS(const QString &pattern, const QStringList &args);
