#include "ServerReply.h"

#include "Exceptions.h"
#include "Messages.h"

#include <QVariantList>

bool IsReplyOk(const QVariant &reply)
{
    if (reply.typeId() != QMetaType::QVariantList)
        return false;
    const QVariantList list = reply.toList();
    return !list.isEmpty() && list.first().toString() == u"S";
}

QString ReplyError(const QVariant &reply)
{
    if (reply.typeId() == QMetaType::QString)
        return reply.toString();
    if (reply.typeId() != QMetaType::QVariantList || reply.toList().isEmpty())
        return FwMsg(QStringLiteral("FW_RESPOSTA_SERVIDOR_INVALIDA"));
    if (IsReplyOk(reply))
        return {};
    const QString text = reply.toList().value(1).toString();
    return text.isEmpty() ? FwMsg(QStringLiteral("FW_RESPOSTA_SERVIDOR_INVALIDA")) : text;
}

QVariant CheckResultServ(const QVariant &reply, bool raise, int kind)
{
    Q_UNUSED(kind);
    if (!IsReplyOk(reply))
        MensErro(ReplyError(reply), raise);
    return reply;
}
