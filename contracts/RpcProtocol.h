#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

// The RPC between the module and the application server "Dfs88000.rdmCTe" (docs/rpc.md):
//   POST /rdmCTe/<Operation>, body a JSON array of the arguments in order, header carrying the
//   session; the answer is one JSON value: a text (an error) or an array whose element 0 is "S"
//   on success. Both sides use these definitions.
namespace contracts {

// Where the calls go and how a call names its session.
inline constexpr char16_t kRpcPathPrefix[] = u"/rdmCTe/";
inline constexpr char kSessionHeader[] = "X-CTe-Session";
// The two calls outside the module's operations: opening and closing a session.
inline constexpr char16_t kLoginOperation[] = u"Login"; // [user, password] -> ["S", token]
inline constexpr char16_t kLogoutOperation[] = u"Logout"; // [] -> ["S"]
// Bodies above this size are refused before they are read.
inline constexpr qsizetype kMaxBodyBytes = 64 * 1024 * 1024;

// What an argument may hold.
enum class ArgType {
    Text, // text; null reads as empty text
    Number, // a number
    Date, // {"$date"} or {"$datetime"}; null when the date was left empty
    Packet, // {"$packet"}
    DeltaOrNull, // {"$delta"}, or null for a dataset without changes
};

struct OperationSignature
{
    QString name;
    QList<ArgType> args;
    // Arguments from this index on were added later and may be left out by older clients; they
    // then read as null (-1: every argument is required).
    qsizetype optionalFrom = -1;
};

// Every operation of the module with its arguments, in the order of docs/rpc.md.
const QList<OperationSignature> &operationSignatures();
// The signature of `name`, or nothing for an unknown name.
std::optional<OperationSignature> findOperation(const QString &name);

// Checks the arguments of a call against its signature and normalises them (null text to empty
// text, a date-time argument of a date to its date). Gives the error text on failure.
std::optional<QList<QVariant>> checkArguments(const OperationSignature &signature,
                                              const QList<QVariant> &args, QString *error);

// Body of a call: a JSON array of the arguments.
QByteArray encodeCall(const QList<QVariant> &args);
// Reads a body; anything but a JSON array of valid values gives nothing and the error text.
std::optional<QList<QVariant>> decodeCall(const QByteArray &body, QString *error);

// A reply is any RPC value, a text or an array.
QByteArray encodeReply(const QVariant &reply);
std::optional<QVariant> decodeReply(const QByteArray &body, QString *error);

// The reply forms.
QVariant okReply(const QList<QVariant> &elements = {});
QVariant failReply(const QString &text);

} // namespace contracts
