#include "DocumentStatus.h"

#include "Messages.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {
QChar firstOf(const QString &status)
{
    return status.isEmpty() ? QChar() : status.at(0);
}
} // namespace

bool StatusEditable(const QString &status)
{
    const QChar c = firstOf(status);
    return c == u'P' || c == u'R';
}

bool StatusMarkable(const QString &status)
{
    return StatusEditable(status) || status == u"T"_s;
}

bool StatusReadOnly(bool listEmpty, const QString &status)
{
    if (listEmpty)
        return false;
    const QChar c = firstOf(status);
    return c == u'A' || c == u'C' || c == u'D' || c == u'T';
}

bool StatusGreyMark(const QString &status)
{
    const QChar c = firstOf(status);
    return c == u'A' || c == u'C';
}

QString StatusText(const QString &status, const TMessages &msgListaDados)
{
    return status.isEmpty() ? QString() : msgListaDados.Msg(status);
}

QString StatusBlockedText(const QString &status, const TMessages &msgPadrao,
                          const TMessages &msgListaDados)
{
    return FormatPercentS(msgPadrao.Msg(u"OPER_BLOQ_CTE_STATUS"_s),
                          {StatusText(status, msgListaDados).toLower()});
}

QString EmailText(const QString &idEmail, const TMessages &msgPadrao)
{
    if (idEmail.isEmpty())
        return {};
    return msgPadrao.Msg(idEmail == u"E"_s ? u"ENVIADO"_s : u"PENDENTE"_s);
}

QString FooterText(bool listEmpty, const QString &cdCte, const QString &nrCte,
                   const TMessages &msgPadrao)
{
    if (listEmpty)
        return {};
    return FormatPercentS(msgPadrao.Msg(u"RODAPE"_s), {cdCte, nrCte});
}

QString FormatPercentS(const QString &pattern, const QStringList &args)
{
    QString out;
    out.reserve(pattern.size() + 32);
    qsizetype next = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern.at(i) == u'%' && i + 1 < pattern.size() && pattern.at(i + 1) == u's') {
            out += args.value(next++);
            ++i;
        } else {
            out += pattern.at(i);
        }
    }
    return out;
}
