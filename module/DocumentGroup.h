#pragma once

#include <QString>

class QGroupBox;
class QWidget;
class TDBEdit;
class TDateEditPlus;
class TMessages;

// The read-only identification of the editor's current document (number, series, model, date
// of emission, access key) that the dialogs acting on it show at the top.
struct TGrupoDadosCTe
{
    QGroupBox *grbCte = nullptr;
    TDBEdit *dbeNumeroCTe = nullptr;
    TDBEdit *dbeSerieCTe = nullptr;
    TDBEdit *dbeNrAcessoCTe = nullptr;
    TDBEdit *dbeModDocFiscal = nullptr;
    TDateEditPlus *depDataEmissao = nullptr;
};

// Built inside `parent` with the captions of `msg` (GRB_CTE, ROT_NUMERO, ROT_SERIE, ROT_MODELO,
// ROT_DATA_EMISSAO, ROT_CHAVE_ACESSO), bound to the editor's dtsPadrao.
TGrupoDadosCTe CriaGrupoDadosCTe(QWidget *parent, TMessages *msg);
