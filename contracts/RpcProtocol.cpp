#include "RpcProtocol.h"

#include "ContractMessages.h"
#include "DataPacket.h"
#include "PacketJsonText.h"
#include "RpcValue.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

using namespace Qt::StringLiterals;

namespace contracts {

namespace {

QList<ArgType> repeat(ArgType type, int count)
{
    return QList<ArgType>(count, type);
}

QString argTypeName(ArgType type)
{
    switch (type) {
    case ArgType::Text:
        return contractMsg("RPC_TIPO_TEXTO");
    case ArgType::Number:
        return contractMsg("RPC_TIPO_NUMERO");
    case ArgType::Date:
        return contractMsg("RPC_TIPO_DATA");
    case ArgType::Packet:
        return contractMsg("RPC_TIPO_PACOTE");
    case ArgType::DeltaOrNull:
        return contractMsg("RPC_TIPO_DELTA");
    }
    return {};
}

} // namespace

const QList<OperationSignature> &operationSignatures()
{
    using A = ArgType;
    static const QList<OperationSignature> list = {
        {u"GetDadosGerais"_s,
         repeat(A::Text, 5) + QList<A> {A::Date, A::Date} + repeat(A::Text, 14)},
        // Invoice key, branch, entry, window, mode, then the document's company.
        {u"GetDocFiscais"_s, repeat(A::Text, 3) + QList<A> {A::Date, A::Date, A::Text, A::Text}, 6},
        {u"GetEmitente"_s, repeat(A::Text, 3)},
        {u"GetCliente"_s, repeat(A::Text, 2)},
        {u"GetFornecedor"_s, repeat(A::Text, 2)},
        {u"GetDadosServico"_s, repeat(A::Text, 11) + QList<A> {A::Number} + repeat(A::Text, 3)},
        {u"GetCompValorPrest"_s, repeat(A::Text, 2)},
        {u"GetProdDocFiscais"_s, {A::Packet}},
        // The six deltas, then the save's request identifier.
        {u"AplicaAlteracoes"_s, repeat(A::DeltaOrNull, 6) + QList<A> {A::Text}},
        {u"TransmiteCTe"_s, {A::Packet, A::Text, A::Text}},
        {u"GerarDACTE"_s, {A::Packet, A::Text}},
        {u"PreparaDACTe"_s, {A::Number}},
        {u"ConsSituCte"_s, {A::Packet, A::Text, A::Text}},
        {u"GetAtualizaLoteCTe"_s, {}},
        {u"AtualizaLoteCTe"_s, {A::Packet, A::Text}},
        {u"CancelaCTe"_s, {A::Text, A::Text}},
        {u"CartaCorrecaoCTe"_s, {A::Text, A::Packet}},
        {u"GetCartaCorrecaoCTe"_s, {A::Text}},
        // Document code and the letter's sequence number.
        {u"GerarCartaCorrecaoCTe"_s, {A::Text, A::Text}},
        // Company, state registration, series, first and last number, reason.
        {u"InutilizaCTe"_s, repeat(A::Text, 6)},
        {u"GetInutilizacaoCTe"_s, {A::Text}},
        {u"EnviaEmailCTe"_s, {A::Number, A::Text}},
        {u"EnviaEmailPendenteCTe"_s, {A::Packet, A::Text}},
        {u"GeraXML"_s, {A::Packet}},
    };
    return list;
}

std::optional<OperationSignature> findOperation(const QString &name)
{
    for (const OperationSignature &op : operationSignatures()) {
        if (op.name == name)
            return op;
    }
    return std::nullopt;
}

std::optional<QList<QVariant>> checkArguments(const OperationSignature &signature,
                                              const QList<QVariant> &args, QString *error)
{
    const qsizetype least
        = signature.optionalFrom < 0 ? signature.args.size() : signature.optionalFrom;
    if (args.size() < least || args.size() > signature.args.size()) {
        *error = contractMsg("RPC_NUMERO_ARGUMENTOS")
                     .arg(signature.name)
                     .arg(signature.args.size())
                     .arg(args.size());
        return std::nullopt;
    }
    QList<QVariant> out;
    out.reserve(signature.args.size());
    for (qsizetype i = 0; i < signature.args.size(); ++i) {
        const QVariant v = args.value(i);
        const int id = v.typeId();
        bool ok = false;
        QVariant value = v;
        switch (signature.args.at(i)) {
        case ArgType::Text:
            ok = v.isNull() || id == QMetaType::QString;
            value = QVariant(v.toString());
            break;
        case ArgType::Number:
            ok = !v.isNull() && id == QMetaType::Double;
            break;
        case ArgType::Date:
            ok = v.isNull() || id == QMetaType::QDate || id == QMetaType::QDateTime;
            if (id == QMetaType::QDateTime)
                value = QVariant(v.toDateTime().date());
            break;
        case ArgType::Packet:
            ok = id == qMetaTypeId<DataPacket>();
            break;
        case ArgType::DeltaOrNull:
            ok = v.isNull() || id == qMetaTypeId<Delta>();
            break;
        }
        if (!ok) {
            *error = contractMsg("RPC_TIPO_ARGUMENTO")
                         .arg(i + 1)
                         .arg(signature.name, argTypeName(signature.args.at(i)));
            return std::nullopt;
        }
        out.append(value);
    }
    return out;
}

QByteArray encodeCall(const QList<QVariant> &args)
{
    QByteArray out;
    appendJson(out, QVariant(args));
    return out;
}

std::optional<QList<QVariant>> decodeCall(const QByteArray &body, QString *error)
{
    // Straight from the bytes when it can be (packets are the large bodies); a JSON tree only
    // for the rest, and to name a fault.
    if (auto direct = readJsonText(body); direct && direct->typeId() == QMetaType::QVariantList)
        return direct->toList();
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error
            = contractMsg("RPC_JSON_INVALIDO").arg(parseError.errorString()).arg(parseError.offset);
        return std::nullopt;
    }
    if (!doc.isArray()) {
        *error = contractMsg("RPC_CORPO_NAO_LISTA");
        return std::nullopt;
    }
    QList<QVariant> args;
    const QJsonArray array = doc.array();
    for (qsizetype i = 0; i < array.size(); ++i) {
        QString valueError;
        auto v = fromJson(array.at(i), &valueError);
        if (!v) {
            *error = contractMsg("RPC_ARGUMENTO_INVALIDO").arg(i + 1).arg(valueError);
            return std::nullopt;
        }
        args.append(*v);
    }
    return args;
}

QByteArray encodeReply(const QVariant &reply)
{
    QByteArray out;
    appendJson(out, reply);
    return out;
}

std::optional<QVariant> decodeReply(const QByteArray &body, QString *error)
{
    if (auto value = readJsonText(body))
        return value;
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson("[" + body + "]", &parseError);
    if (parseError.error != QJsonParseError::NoError || doc.array().size() != 1) {
        *error = contractMsg("RPC_RESPOSTA_INVALIDA");
        return std::nullopt;
    }
    return fromJson(doc.array().first(), error);
}

QVariant okReply(const QList<QVariant> &elements)
{
    QVariantList list {QVariant(u"S"_s)};
    list.append(elements);
    return list;
}

QVariant failReply(const QString &text)
{
    return QVariant(text);
}

} // namespace contracts
