#include "Sessions.h"

#include "Passwords.h"
#include "ServerError.h"
#include "ServerMessages.h"
#include "SqlSupport.h"

#include <QDateTime>

using namespace Qt::StringLiterals;

namespace sessions {

namespace {
constexpr qint64 kSessionSeconds = 12 * 3600;
}

void createOrUpdateUser(const QSqlDatabase &db, const QString &user, const QString &password)
{
    if (user.trimmed().isEmpty() || user.size() > 40)
        throw ServerError(srvMsg("USUARIO_NOME_INVALIDO"));
    if (password.size() < 8)
        throw ServerError(srvMsg("SENHA_CURTA"));
    const passwords::Hash h = passwords::hashPassword(password);
    SqlTransaction tx(db);
    runSql(db, u"DELETE FROM SRVSESSAO WHERE NMUSUARIO = :U"_s, {{u":U", user}});
    runSql(db, u"DELETE FROM SRVUSUARIO WHERE NMUSUARIO = :U"_s, {{u":U", user}});
    runSql(db,
           u"INSERT INTO SRVUSUARIO (NMUSUARIO, DSSALT, DSHASH, NRITERACOES, IDATIVO, DTCRIACAO) "
           "VALUES (:U, :S, :H, :I, 'S', :D)"_s,
           {{u":U", user},
            {u":S", h.salt},
            {u":H", h.hash},
            {u":I", h.iterations},
            {u":D", QDateTime::currentDateTimeUtc()}});
    tx.commit();
}

QString login(const QSqlDatabase &db, const QString &user, const QString &password)
{
    QSqlQuery q = runSql(db,
                         u"SELECT DSSALT, DSHASH, NRITERACOES FROM SRVUSUARIO "
                         "WHERE NMUSUARIO = :U AND IDATIVO = 'S'"_s,
                         {{u":U", user}});
    passwords::Hash stored;
    const bool found = q.next();
    if (found)
        stored = {q.value(0).toString(), q.value(1).toString(), q.value(2).toInt()};
    q.finish();
    // An unknown user costs the same work as a wrong password.
    const bool ok = found ? passwords::verifyPassword(password, stored)
                          : (passwords::hashPassword(password), false);
    if (!ok)
        throw ServerError(srvMsg("LOGIN_INVALIDO"));
    const QString token = passwords::newToken();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    runSql(db, u"DELETE FROM SRVSESSAO WHERE DTEXPIRA < :N"_s, {{u":N", now}});
    runSql(db,
           u"INSERT INTO SRVSESSAO (DSTOKEN, NMUSUARIO, DTCRIACAO, DTEXPIRA) "
           "VALUES (:T, :U, :C, :E)"_s,
           {{u":T", passwords::tokenDigest(token)},
            {u":U", user},
            {u":C", now},
            {u":E", now.addSecs(kSessionSeconds)}});
    return token;
}

QString validate(const QSqlDatabase &db, const QString &token)
{
    if (token.isEmpty())
        throw ServerError(srvMsg("SESSAO_AUSENTE"));
    QSqlQuery q = runSql(
        db,
        u"SELECT S.NMUSUARIO FROM SRVSESSAO S JOIN SRVUSUARIO U "
        "ON U.NMUSUARIO = S.NMUSUARIO WHERE S.DSTOKEN = :T AND S.DTEXPIRA > :N "
        "AND U.IDATIVO = 'S'"_s,
        {{u":T", passwords::tokenDigest(token)}, {u":N", QDateTime::currentDateTimeUtc()}});
    if (!q.next())
        throw ServerError(srvMsg("SESSAO_INVALIDA"));
    return q.value(0).toString();
}

void logout(const QSqlDatabase &db, const QString &token)
{
    runSql(db, u"DELETE FROM SRVSESSAO WHERE DSTOKEN = :T"_s,
           {{u":T", passwords::tokenDigest(token)}});
}

int userCount(const QSqlDatabase &db)
{
    QSqlQuery q = runSql(db, u"SELECT COUNT(*) FROM SRVUSUARIO WHERE IDATIVO = 'S'"_s);
    return q.next() ? q.value(0).toInt() : 0;
}

} // namespace sessions
