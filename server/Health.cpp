#include "Health.h"

#include "LogText.h"
#include "ServerError.h"
#include "SqlSupport.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

HttpResponse healthAnswer(int status, const QString &database)
{
    HttpResponse r;
    r.status = status;
    r.body = QJsonDocument(QJsonObject {{u"database"_s, database}}).toJson(QJsonDocument::Compact);
    return r;
}

} // namespace

HttpRoute healthRoute()
{
    HttpRoute route;
    route.method = "GET";
    route.path = "/health";
    route.answer = [](HttpRequest &) {
        try {
            // A connection lost since the last call (the database restarted) is opened again.
            runWithReconnect([](const QSqlDatabase &db) { runSql(db, u"SELECT 1"_s); });
            return healthAnswer(200, u"ok"_s);
        } catch (const DatabaseError &e) {
            // The driver's words stay in the log: the check needs no session.
            qWarning().noquote() << logtext::fields(
                {{"health", u"database unreachable"_s}, {"detail", e.detail()}});
            return healthAnswer(503, e.text());
        } catch (const EMensErro &e) {
            return healthAnswer(503, e.text());
        }
    };
    return route;
}
