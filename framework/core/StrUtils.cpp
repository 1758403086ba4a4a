#include "StrUtils.h"

#include "Exceptions.h"
#include "Messages.h"

bool EmptyString(const QString &text)
{
    for (const QChar c : text) {
        if (!c.isSpace())
            return false;
    }
    return true;
}

QString Ajusta(const QString &text, int width)
{
    const QString code = text.trimmed();
    if (code.isEmpty() || code.size() >= width)
        return code;
    return code.rightJustified(width, u'0');
}

QDate PriDiaMes(const QDate &date)
{
    return date.isValid() ? QDate(date.year(), date.month(), 1) : QDate();
}

QByteArray Decode64(const QString &text)
{
    // Line breaks and blanks are how mail and SOAP wrap Base64: they are not errors.
    QByteArray compact = text.toLatin1();
    compact.removeIf([](char c) { return c == '\n' || c == '\r' || c == ' ' || c == '\t'; });
    auto decoded = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        MensErro(FwMsg(QStringLiteral("FW_BASE64_INVALIDO")));
    return *decoded;
}
