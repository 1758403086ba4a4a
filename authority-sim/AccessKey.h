#pragma once

#include <QString>

// The 44-digit access key of a CT-e: cUF(2) AAMM(4) CNPJ(14) mod(2) serie(3) nCT(9) tpEmis(1)
// cCT(8) cDV(1). Pure functions, shared by the checks of every service.
namespace accesskey {

struct Parts
{
    QString uf; // 2 digits
    QString yymm; // 4 digits
    QString cnpj; // 14 digits (or a CPF padded with zeros)
    QString model; // 2 digits
    QString series; // 3 digits
    QString number; // 9 digits
    QString emission; // 1 digit
    QString code; // 8 digits
};

// Mod-11 check digit over the digits (weights 2..9 from the right; 0 or 1 remainders give 0).
int checkDigit(QStringView digits);
// The 44 digits of `parts` followed by their check digit; empty when a part has a wrong width.
QString compose(const Parts &parts);
Parts split(QStringView key);
bool isValidCnpj(QStringView cnpj);
bool isKnownUf(QStringView ufCode);
// The two letters of a UF code ("35" → "SP"); empty when unknown.
QString ufLetters(QStringView ufCode);
// Why a key given on its own (status query, events) is not acceptable; empty when it is.
QString problem(QStringView key, int currentYear);

} // namespace accesskey
