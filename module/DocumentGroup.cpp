#include "DocumentGroup.h"

#include "Cli_Dfs88000.h"

#include "ControlStyle.h"
#include "DBEdit.h"
#include "DateEditPlus.h"
#include "Messages.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

using namespace Qt::StringLiterals;

TGrupoDadosCTe CriaGrupoDadosCTe(QWidget *parent, TMessages *msg)
{
    TGrupoDadosCTe g;
    // The document shown is the editor's current one, read-only.
    TDataSource *documento = Cli_Dfs88000::frmCTe ? Cli_Dfs88000::frmCTe->dtsPadrao : nullptr;
    g.grbCte = new QGroupBox(msg->Msg(u"GRB_CTE"_s), parent);
    g.grbCte->setObjectName(u"grbCte"_s);
    auto *dados = new QGridLayout(g.grbCte);
    const auto campo
        = [&](QWidget *editor, const QString &rotulo, int coluna, int linha, int colunas = 1) {
              dados->addWidget(new QLabel(msg->Msg(rotulo), g.grbCte), linha * 2, coluna);
              dados->addWidget(editor, linha * 2 + 1, coluna, 1, colunas);
              StyleAsDisplay(editor);
          };
    const auto edit = [&](const QString &name, const QString &field) {
        auto *e = new TDBEdit(g.grbCte, name);
        e->SetDataSource(documento);
        e->SetDataField(field);
        e->SetReadOnly(true);
        return e;
    };
    g.dbeNumeroCTe = edit(u"dbeNumeroCTe"_s, u"NRCTE"_s);
    g.dbeSerieCTe = edit(u"dbeSerieCTe"_s, u"CDSERIECTE"_s);
    g.dbeModDocFiscal = edit(u"dbeModDocFiscal"_s, u"CDMODDOCFISC"_s);
    g.dbeNrAcessoCTe = edit(u"dbeNrAcessoCTe"_s, u"NRACESSOCTE"_s);
    g.depDataEmissao = new TDateEditPlus(g.grbCte, u"depDataEmissao"_s);
    g.depDataEmissao->SetDataSource(documento);
    g.depDataEmissao->SetDataField(u"DTEMISSAO"_s);
    campo(g.dbeNumeroCTe, u"ROT_NUMERO"_s, 0, 0);
    campo(g.dbeSerieCTe, u"ROT_SERIE"_s, 1, 0);
    campo(g.dbeModDocFiscal, u"ROT_MODELO"_s, 2, 0);
    campo(g.depDataEmissao, u"ROT_DATA_EMISSAO"_s, 3, 0);
    campo(g.dbeNrAcessoCTe, u"ROT_CHAVE_ACESSO"_s, 0, 1, 4);
    return g;
}
