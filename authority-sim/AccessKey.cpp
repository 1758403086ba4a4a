#include "AccessKey.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace accesskey {

namespace {

bool allDigits(QStringView s)
{
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return !s.isEmpty();
}

} // namespace

int checkDigit(QStringView digits)
{
    int sum = 0;
    int weight = 2;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        sum += (digits[i].unicode() - u'0') * weight;
        weight = weight == 9 ? 2 : weight + 1;
    }
    const int rest = sum % 11;
    return rest < 2 ? 0 : 11 - rest;
}

QString compose(const Parts &p)
{
    const QString body
        = p.uf + p.yymm + p.cnpj + p.model + p.series + p.number + p.emission + p.code;
    if (p.uf.size() != 2 || p.yymm.size() != 4 || p.cnpj.size() != 14 || p.model.size() != 2
        || p.series.size() != 3 || p.number.size() != 9 || p.emission.size() != 1
        || p.code.size() != 8 || !allDigits(body))
        return {};
    return body + QString::number(checkDigit(body));
}

Parts split(QStringView key)
{
    Parts p;
    if (key.size() != 44)
        return p;
    p.uf = key.mid(0, 2).toString();
    p.yymm = key.mid(2, 4).toString();
    p.cnpj = key.mid(6, 14).toString();
    p.model = key.mid(20, 2).toString();
    p.series = key.mid(22, 3).toString();
    p.number = key.mid(25, 9).toString();
    p.emission = key.mid(34, 1).toString();
    p.code = key.mid(35, 8).toString();
    return p;
}

bool isValidCnpj(QStringView cnpj)
{
    if (cnpj.size() != 14 || !allDigits(cnpj))
        return false;
    bool allSame = true;
    for (QChar c : cnpj)
        allSame = allSame && c == cnpj[0];
    if (allSame)
        return false;
    auto digit = [&](int length) {
        static const int weights[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
        const int offset = 13 - length;
        int sum = 0;
        for (int i = 0; i < length; ++i)
            sum += (cnpj[i].unicode() - u'0') * weights[offset + i];
        const int rest = sum % 11;
        return rest < 2 ? 0 : 11 - rest;
    };
    return digit(12) == cnpj[12].unicode() - u'0' && digit(13) == cnpj[13].unicode() - u'0';
}

QString ufLetters(QStringView ufCode)
{
    static const QHash<QString, QString> letters
        = {{u"11"_s, u"RO"_s}, {u"12"_s, u"AC"_s}, {u"13"_s, u"AM"_s}, {u"14"_s, u"RR"_s},
           {u"15"_s, u"PA"_s}, {u"16"_s, u"AP"_s}, {u"17"_s, u"TO"_s}, {u"21"_s, u"MA"_s},
           {u"22"_s, u"PI"_s}, {u"23"_s, u"CE"_s}, {u"24"_s, u"RN"_s}, {u"25"_s, u"PB"_s},
           {u"26"_s, u"PE"_s}, {u"27"_s, u"AL"_s}, {u"28"_s, u"SE"_s}, {u"29"_s, u"BA"_s},
           {u"31"_s, u"MG"_s}, {u"32"_s, u"ES"_s}, {u"33"_s, u"RJ"_s}, {u"35"_s, u"SP"_s},
           {u"41"_s, u"PR"_s}, {u"42"_s, u"SC"_s}, {u"43"_s, u"RS"_s}, {u"50"_s, u"MS"_s},
           {u"51"_s, u"MT"_s}, {u"52"_s, u"GO"_s}, {u"53"_s, u"DF"_s}};
    return letters.value(ufCode.toString());
}

bool isKnownUf(QStringView ufCode)
{
    return !ufLetters(ufCode).isEmpty();
}

QString problem(QStringView key, int currentYear)
{
    if (key.size() != 44 || !allDigits(key))
        return u"Chave com tamanho ou caracteres invalidos"_s;
    const Parts p = split(key);
    if (!isKnownUf(p.uf))
        return u"UF invalida"_s;
    const int year = 2000 + p.yymm.left(2).toInt();
    const int month = p.yymm.mid(2).toInt();
    if (year < 2009 || year > currentYear)
        return u"Ano invalido"_s;
    if (month < 1 || month > 12)
        return u"Mes invalido"_s;
    if (!isValidCnpj(p.cnpj))
        return u"CNPJ invalido"_s;
    if (p.model != u"57" && p.model != u"67" && p.model != u"64")
        return u"Modelo invalido"_s;
    if (p.number.toLongLong() == 0)
        return u"Numero zerado"_s;
    if (!QStringView(u"1345678").contains(p.emission[0]))
        return u"Tipo de emissao invalido"_s;
    if (checkDigit(key.left(43)) != key[43].unicode() - u'0')
        return u"DV invalido"_s;
    return {};
}

} // namespace accesskey
