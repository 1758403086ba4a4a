#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

class TClientDataSet;

// The editor's list load: the reply of GetDadosGerais into the master, its five child lists and
// the datasets that come with them.
struct TListDataSets
{
    TClientDataSet *cdsCTe = nullptr;
    TClientDataSet *cdsInscrEstad = nullptr;
    TClientDataSet *cdsCTeImpostos = nullptr;
    TClientDataSet *cdsCTeCompValor = nullptr;
    TClientDataSet *cdsPesqCompValorPrest = nullptr;
    TClientDataSet *cdsCTeDocFiscais = nullptr;
    TClientDataSet *cdsPesqDocFiscais = nullptr;
    TClientDataSet *cdsCTeInfQtCarga = nullptr;
    TClientDataSet *cdsCTeDadosAdic = nullptr;
};

struct TListLoadResult
{
    QString versaoProcesso; // stVersaoProcesso
    QStringList compValorKeys; // slCTeCompValor
    QStringList docFiscaisKeys; // slCTeDocFiscais
};

// "ORV_" + the active module's abbreviation + "_" + the version suffix the server sent.
QString VersaoProcesso(const QString &siglaModulo, const QString &suffix);

// Raises MensErro with the server's text when `reply` is a text or its status is not "S".
void CheckReply(const QVariant &reply);

// Checks the reply (nothing is touched when it failed), empties or creates the nine datasets and
// loads the packets of the reply in their order: cdsCTe (1), cdsInscrEstad (2), the version (3),
// taxes (4), value components (5), the value-component register (6), fiscal documents (7), cargo
// quantities (9), observations (10). Loading cdsCTe runs its after-scroll for the first row; the
// children keep the filter in force, so they show the rows of that document. The key lists are
// those of the rows visible after the load.
TListLoadResult LoadListReply(const QVariant &reply, const TListDataSets &sets,
                              const QString &siglaModulo);
