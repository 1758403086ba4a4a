#pragma once

#include <QString>

class TClientDataSet;

// A party of a document comes from a register row (client or supplier) or, for the payer, from
// another role of the same document. The copies assign the source indicator first: its change
// handler empties the section, and the assignments that follow fill it again.

// A registration as the user compares it: without "/", "-", ".", "(", ")" and ",".
QString RetSemMascara(const QString &text);

// Fills role `role` ("REME", …) of the document's current row from the current row of `row`, a
// client (GetCliente) or supplier (GetFornecedor) packet: indicator "C" or "F", the register
// code, the section's fields; the recipient's SUFRAMA registration last.
void CopyRegisterRow(TClientDataSet *document, const QString &role, const TClientDataSet *row,
                     bool supplier);

// Fills the payer's section from role `source`: indicator, both register codes and the section's
// fields; the recipient's SUFRAMA registration stays behind.
void CopyToPayer(TClientDataSet *document, const QString &source);

// Role `role` has neither a client nor a supplier code.
bool PartyMissing(const TClientDataSet *document, const QString &role);
