#pragma once

#include <QStringView>

// The mod-11 check digit shared by the 44-digit access keys of the electronic fiscal documents
// (NF-e, CT-e): weights 2 to 9 from the rightmost digit leftwards, 0 when the rest is 0 or 1.
int AccessKeyCheckDigit(QStringView digits);

// 44 ASCII digits whose last one is the check digit of the 43 before it.
bool AccessKeyChecks(QStringView key);
