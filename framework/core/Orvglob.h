#pragma once

#include <QDate>
#include <QMap>
#include <QString>
#include <QStringList>

// The host's login values: filled by the host's login (dialog or command line) before any
// module window opens, read by the module. Never read during static initialisation.
namespace Orvglob {

extern QString UsuarioProc; // user name of the session
extern QString SenhaProc; // password of the session, kept in memory only
extern QString EmprProc; // current company code (two characters, "01")
extern QString FiliProc; // current branch code
extern QDate DataProc; // processing date of the current branch
extern QString WebURL; // application server address (host name or IP)
extern int WebPort; // application server port
extern QString DBConnection; // connection string of the host database
extern int ModuloAtiv; // code of the active module
extern QStringList DBPictures; // the host's code pictures, DBPict(0) the product-code picture

// The edit mask of picture `index` ("99.999.9999;0;_" for the product tree); empty if unknown.
QString DBPict(int index);

// The abbreviation of a module code ("DFS" for the fiscal documents module); empty if unknown.
QString SiglaModulo(int modulo);

// Restores every value to its state at start-up (tests call this between cases).
void Reset();

} // namespace Orvglob
