#include "Cli_Dfs88200.h"

#include "Cli_Dfs88000.h"
#include "Cli_Dfs88500.h"

#include "ClientDataSet.h"
#include "ControlStyle.h"
#include "DBGrid.h"
#include "DataSource.h"
#include "Exceptions.h"
#include "Field.h"
#include "HostWindow.h"
#include "ListMarking.h"
#include "MarkPictures.h"
#include "Messages.h"
#include "ModuleCatalogues.h"
#include "Orvglob.h"
#include "Screen.h"
#include "ServerReply.h"

#include <QAction>
#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace Cli_Dfs88200 {

QPointer<TfrmAtualizaLoteCTe> frmAtualizaLoteCTe;
bool boIdCriado = false;

void CriaAtualizaLoteCTe()
{
    const Screen::HourGlass ampulheta;
    if (!boIdCriado) {
        frmAtualizaLoteCTe = new TfrmAtualizaLoteCTe(HostMainWindow());
        boIdCriado = true;
    }
    frmAtualizaLoteCTe->ShowModal();
}

void ResetUnit()
{
    delete frmAtualizaLoteCTe.data();
    frmAtualizaLoteCTe = nullptr;
    boIdCriado = false;
}

} // namespace Cli_Dfs88200

using namespace Cli_Dfs88200;

namespace {

// The grid's columns in order, with the catalogue key of each title (the mark's is a glyph).
const std::pair<const char16_t *, const char16_t *> kColunas[] = {
    {u"IDCHECK", u"COL_MARCA"},
    {u"NRLOTECTE", u"COL_LOTE"},
    {u"NRRECIBOLOTE", u"COL_RECIBO"},
    {u"DTENVIOLOTE", u"COL_DATA_ENVIO"},
    {u"CDSTATUSLOTE", u"COL_CODIGO_RESPOSTA"},
    {u"DSSTATUSLOTE", u"COL_DESCRICAO_RESPOSTA"},
    {u"IDAMBIENTELOTE", u"COL_AMBIENTE"},
    {u"IDFORMAEMISLOTE", u"COL_FORMA_EMISSAO"},
};

} // namespace

TfrmAtualizaLoteCTe::TfrmAtualizaLoteCTe(QWidget *parent)
    : TfrmRotiGeral(parent)
{
    setObjectName(u"frmAtualizaLoteCTe"_s);
    CarregaCatalogo(msgPadrao, u"Cli_Dfs88200_msgPadrao"_s);
    setWindowTitle(msgPadrao->Msg(u"TITULO_JANELA"_s));
    SetCodTela(u"DFS88200"_s);
    resize(900, 360);

    cdsAtualizaLoteCTe = new TClientDataSet(this, u"cdsAtualizaLoteCTe"_s);
    dtsAtualizaLoteCTe = new TDataSource(this, u"dtsAtualizaLoteCTe"_s);
    dtsAtualizaLoteCTe->SetDataSet(cdsAtualizaLoteCTe);
    imgCheck = CriaImagemMarca(this, u"imgCheck"_s, TMarca::Marcada);
    imgUncheck = CriaImagemMarca(this, u"imgUncheck"_s, TMarca::Vazia);

    actAtualizar = new QAction(msgPadrao->Msg(u"HINT_ATUALIZAR"_s), this);
    actAtualizar->setObjectName(u"actAtualizar"_s);
    actAtualizar->setShortcut(Qt::Key_F5);
    actAtualizar->setShortcutContext(Qt::WindowShortcut);
    addAction(actAtualizar);
    connect(actAtualizar, &QAction::triggered, this,
            [this] { FrameworkGuard([this] { CarregaLotes(); }); });
    sbtAtualiza = new QToolButton(panMenu);
    sbtAtualiza->setObjectName(u"sbtAtualiza"_s);
    sbtAtualiza->setDefaultAction(actAtualizar);
    sbtAtualiza->setToolTip(msgPadrao->Msg(u"HINT_ATUALIZAR"_s));
    if (auto *barra = qobject_cast<QBoxLayout *>(panMenu->layout()))
        barra->insertWidget(0, sbtAtualiza);

    dbgPadrao = new TDBGrid(Client(), u"dbgPadrao"_s);
    dbgPadrao->SetOptions(dgRowSelect);
    dbgPadrao->SetReadOnly(true);
    StyleAsInput(dbgPadrao);
    dbgPadrao->SetDataSource(dtsAtualizaLoteCTe);
    dbgPadrao->OnDrawColumnCell
        = [this](QPainter *painter, const QRect &rect, int, TField *field, int row, int state) {
              return dbgPadraoDrawColumnCell(painter, rect, field, row, state);
          };
    dbgPadrao->OnDblClick = [this] {
        if (colunaMarca(dbgPadrao->SelectedIndex()))
            trocaMarca();
    };
    dbgPadrao->OnKeyDown = [this](int &key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Space && colunaMarca(dbgPadrao->SelectedIndex())) {
            trocaMarca();
            key = 0;
        }
    };
    dbgPadrao->OnTitleClick = [this](int column) {
        dbgPadraoTitleClick(column);
    };
    ClientLayout()->addWidget(dbgPadrao, 1);
    auto *aviso = new QLabel(msgPadrao->Msg(u"AVISO_15_SEGUNDOS"_s), Client());
    aviso->setObjectName(u"lblAviso"_s);
    ClientLayout()->addWidget(aviso);
}

void TfrmAtualizaLoteCTe::FormShow()
{
    CarregaLotes();
}

void TfrmAtualizaLoteCTe::FormClose(TCloseAction &action)
{
    boIdCriado = false;
    TfrmRotiGeral::FormClose(action);
}

void TfrmAtualizaLoteCTe::CarregaLotes()
{
    // The list comes through the editor's connection: without the editor it stays empty.
    TfrmCTe *editor = Cli_Dfs88000::frmCTe;
    if (!editor)
        return;
    const QVariant reply = CheckResultServ(editor->chamaServidor(u"GetAtualizaLoteCTe"_s, {}));
    cdsAtualizaLoteCTe->SetData(reply.toList().value(1));
    preparaCampos();
}

void TfrmAtualizaLoteCTe::preparaCampos()
{
    cdsAtualizaLoteCTe->SetIndexFieldNames(u"NRLOTECTE"_s);
    QList<TColumn> colunas;
    for (const auto &[campo, chave] : kColunas) {
        TColumn c;
        c.FieldName = QString::fromUtf16(campo);
        c.Title = msgPadrao->Msg(QString::fromUtf16(chave));
        colunas << c;
    }
    colunas[0].Width = 24;
    dbgPadrao->SetColumns(colunas);
    // Codes without a text of their own show an empty cell.
    const auto texto = [this](const QString &campo, std::function<QString(const QString &)> chave) {
        if (TField *f = cdsAtualizaLoteCTe->FindField(campo)) {
            f->OnGetText = [this, chave](TField *sender, QString &text, bool) {
                const QString k = chave(sender->AsString());
                text = k.isEmpty() ? QString() : msgPadrao->Msg(k);
            };
        }
    };
    texto(u"IDAMBIENTELOTE"_s, [](const QString &v) {
        return v == u"1" ? u"PRODUCAO"_s : v == u"2" ? u"HOMOLOGACAO"_s : QString();
    });
    texto(u"IDFORMAEMISLOTE"_s, [](const QString &v) {
        return QStringList {u"1"_s, u"4"_s, u"5"_s, u"7"_s, u"8"_s}.contains(v)
            ? u"FORMA_DE_EMISSAO_"_s + v
            : QString();
    });
    cdsAtualizaLoteCTe->First();
}

bool TfrmAtualizaLoteCTe::colunaMarca(int column) const
{
    const TField *field = dbgPadrao->ColumnField(column);
    return field && field->FieldName() == u"IDCHECK"_s && cdsAtualizaLoteCTe->Active()
        && !cdsAtualizaLoteCTe->IsEmpty();
}

void TfrmAtualizaLoteCTe::trocaMarca()
{
    TField *marca = cdsAtualizaLoteCTe->FieldByName(u"IDCHECK"_s);
    cdsAtualizaLoteCTe->Edit();
    marca->SetAsString(marca->AsString() == u"S" ? u"N"_s : u"S"_s);
    cdsAtualizaLoteCTe->Post();
}

void TfrmAtualizaLoteCTe::dbgPadraoTitleClick(int column)
{
    const Screen::HourGlass ampulheta;
    if (!cdsAtualizaLoteCTe->Active())
        return;
    if (colunaMarca(column)) {
        ScopedDisableControls semControles(cdsAtualizaLoteCTe);
        TField *marca = cdsAtualizaLoteCTe->FieldByName(u"IDCHECK"_s);
        cdsAtualizaLoteCTe->First();
        const QString primeira = marca->AsString();
        if (primeira == u"N" || primeira == u"S") {
            const QString nova = primeira == u"N" ? u"S"_s : u"N"_s;
            for (; !cdsAtualizaLoteCTe->Eof(); cdsAtualizaLoteCTe->Next()) {
                cdsAtualizaLoteCTe->Edit();
                marca->SetAsString(nova);
                cdsAtualizaLoteCTe->Post();
            }
        }
    }
    cdsAtualizaLoteCTe->First();
}

bool TfrmAtualizaLoteCTe::dbgPadraoDrawColumnCell(QPainter *painter, const QRect &rect,
                                                  TField *field, int row, int state)
{
    if (!field || field->FieldName() != u"IDCHECK"_s || cdsAtualizaLoteCTe->IsEmpty())
        return false;
    const QString valor = cdsAtualizaLoteCTe->ValueAt(row, field).toString();
    const QPixmap marca = valor == u"S" ? imgCheck->pixmap()
        : valor == u"N"                 ? imgUncheck->pixmap()
                                        : QPixmap();
    DesenhaMarca(painter, rect, state, dbgPadrao->palette(), marca);
    return true;
}

void TfrmAtualizaLoteCTe::sbtConfirmaClick()
{
    const double cdLote = cdsAtualizaLoteCTe->Active() && !cdsAtualizaLoteCTe->IsEmpty()
        ? cdsAtualizaLoteCTe->FieldByName(u"CDLOTECTE"_s)->AsFloat()
        : 0;
    TfrmCTe *editor = Cli_Dfs88000::frmCTe;
    try {
        if (!cdsAtualizaLoteCTe->Active() || CountMarked(cdsAtualizaLoteCTe) < 1)
            MensErro(msgPadrao->Msg(u"LOTE_CTE_DEVE_SELECIONAR"_s), true);
        cdsAtualizaLoteCTe->Locate(u"CDLOTECTE"_s, cdLote);
        if (!editor)
            return;
        const QVariant emails = CheckResultServ(editor->chamaServidor(u"AtualizaLoteCTe"_s,
                                                                      {cdsAtualizaLoteCTe->Data(),
                                                                       Orvglob::FiliProc}))
                                    .toList()
                                    .value(1);
        editor->RecarregaLista();
        if (editor->cdsEnvioEmailCTe->Active())
            editor->cdsEnvioEmailCTe->EmptyDataSet();
        editor->cdsEnvioEmailCTe->SetData(emails);
        if (editor->cdsEnvioEmailCTe->RecordCount() > 0)
            Cli_Dfs88500::CriaEnvioEmailCTe();
        CarregaLotes();
    } catch (...) {
        if (cdsAtualizaLoteCTe->Active())
            cdsAtualizaLoteCTe->Locate(u"CDLOTECTE"_s, cdLote);
        throw;
    }
}
