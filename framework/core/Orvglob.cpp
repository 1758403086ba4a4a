#include "Orvglob.h"

namespace Orvglob {

QString UsuarioProc;
QString SenhaProc;
QString EmprProc;
QString FiliProc;
QDate DataProc;
QString WebURL = QStringLiteral("127.0.0.1");
int WebPort = 0;
QString DBConnection;
int ModuloAtiv = 88;
QStringList DBPictures {QStringLiteral("99.999.9999;0;_")};

namespace {
// The host's modules known to this build. The fiscal documents module hosts the CT-e package.
const QMap<int, QString> &moduleAbbreviations()
{
    static const QMap<int, QString> modules {{88, QStringLiteral("DFS")}};
    return modules;
}
} // namespace

QString DBPict(int index)
{
    return DBPictures.value(index);
}

QString SiglaModulo(int modulo)
{
    return moduleAbbreviations().value(modulo);
}

void Reset()
{
    UsuarioProc.clear();
    SenhaProc.clear();
    EmprProc.clear();
    FiliProc.clear();
    DataProc = QDate();
    WebURL = QStringLiteral("127.0.0.1");
    WebPort = 0;
    DBConnection.clear();
    ModuloAtiv = 88;
    DBPictures = {QStringLiteral("99.999.9999;0;_")};
}

} // namespace Orvglob
