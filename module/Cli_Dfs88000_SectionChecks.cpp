// The checks of the document's sections, in the order the validation before a post calls them.
// Each section brings its own check with its page (emitter, parties, route and service, cargo);
// until it does, the check here accepts the document as it is.
#include "Cli_Dfs88000.h"

void TfrmCTe::Vd_TipoOperac(bool) { }
void TfrmCTe::Vd_Pais(bool, TDBEdit *) { }
void TfrmCTe::Vd_Estado(bool, TDBEdit *) { }
void TfrmCTe::Vd_Municipio(bool, TDBEdit *) { }
void TfrmCTe::Vd_Emitente(bool) { }
void TfrmCTe::Vd_Remetente(bool, const QString &) { }
void TfrmCTe::Vd_Expedidor(bool, const QString &) { }
void TfrmCTe::Vd_Recebedor(bool, const QString &) { }
void TfrmCTe::Vd_Destinatario(bool, const QString &) { }
void TfrmCTe::Vd_Tomador(bool, const QString &) { }
void TfrmCTe::Vd_Produto(bool) { }
void TfrmCTe::AtualizaPartes() { }
