#pragma once

#include <QString>

// The 44-digit access key of a CT-e: state, year and month of emission, issuer's registration,
// model, series, number, emission form, numeric code and a mod-11 check digit.
namespace accesskey {

struct Parts
{
    QString ufCode; // 2 digits (IBGE)
    QString yearMonth; // YYMM
    QString issuerRegistration; // CNPJ, or CPF (padded to 14 with zeros on the left)
    QString model; // 2 digits
    QString series; // up to 3 digits
    QString number; // up to 9 digits
    QString emissionForm; // 1 digit
    QString numericCode; // 8 digits
};

// The check digit of a run of digits: weights 2 to 9 from the right, 0 when the rest is 0 or 1.
int checkDigit(QStringView digits);

// The 44 digits, or an empty text when a part is not made of digits or is too long.
QString compose(const Parts &parts);

// A key of 44 digits whose check digit matches.
bool isValid(QStringView key);

// A random 8-digit numeric code from a cryptographic source, different from the document's
// number written in 8 digits (the manual refuses a code equal to the number).
QString randomNumericCode(const QString &documentNumber);

} // namespace accesskey
