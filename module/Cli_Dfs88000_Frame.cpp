// The editor's frame: command bar and menus, company panel, list page, navigation bar, the form
// page's section pages, and the builders the sections share.
#include "Cli_Dfs88000.h"

#include "BtnPesquisa.h"
#include "ClientDataSet.h"
#include "CodeLists.h"
#include "ControlStyle.h"
#include "DBEdit.h"
#include "DBGrid.h"
#include "DBLookupComboBox.h"
#include "DBText.h"
#include "DataSource.h"
#include "Masks.h"
#include "Messages.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using contracts::FieldType;

// --- shared builders

QString TfrmCTe::Texto(const QString &key)
{
    m_chavesUsadas.insert(key);
    return msgPadrao->Msg(key);
}

void TfrmCTe::exibicao(QWidget *w)
{
    StyleAsDisplay(w);
    // What the system filled in must stay readable while the control is disabled.
    QPalette pal = w->palette();
    for (auto role : {QPalette::Text, QPalette::ButtonText})
        pal.setColor(QPalette::Disabled, role, pal.color(QPalette::Active, role));
    w->setPalette(pal);
}

QLabel *TfrmCTe::rotulo(QWidget *parent, const QString &key, const QString &name)
{
    auto *label = new QLabel(Texto(key), parent);
    if (!name.isEmpty())
        label->setObjectName(name);
    return label;
}

TDBEdit *TfrmCTe::criaEdit(QWidget *parent, const QString &name, const QString &field, TTipo tipo,
                           int caracteres)
{
    auto *edit = new TDBEdit(parent, name);
    edit->SetDataSource(dtsPadrao);
    edit->SetDataField(field);
    if (tipo == TTipo::Entrada)
        StyleAsInput(edit);
    else
        exibicao(edit);
    if (caracteres > 0) {
        // Room for the widest value of a short code, plus the frame.
        const QFontMetrics fm = edit->fontMetrics();
        edit->setFixedWidth(fm.horizontalAdvance(QString(caracteres, u'W')) * 3 / 4 + 16);
    }
    return edit;
}

TDBLookupComboBox *TfrmCTe::criaCombo(QWidget *parent, const QString &name, const QString &field,
                                      TTipo tipo)
{
    auto *combo = new TDBLookupComboBox(parent, name);
    combo->SetDataSource(dtsPadrao);
    combo->SetDataField(field);
    for (const TCodeList &list : EditorCodeLists()) {
        if (list.boundField == field) {
            combo->SetListSource(findChild<TDataSource *>(u"dts"_s + list.dataset.mid(3),
                                                          Qt::FindDirectChildrenOnly));
            combo->SetKeyField(u"CODIGO"_s);
            combo->SetListField(u"DESCRICAO"_s);
        }
    }
    if (tipo == TTipo::Entrada)
        StyleAsInput(combo);
    else
        exibicao(combo);
    return combo;
}

TBtnPesquisa *TfrmCTe::criaPesquisa(QWidget *parent, const QString &name, const QString &titleKey,
                                    const QString &emptyKey, TTipo tipo)
{
    auto *button = new TBtnPesquisa(parent, name);
    button->Title = Texto(titleKey);
    if (!emptyKey.isEmpty())
        button->Title += u'|' + Texto(emptyKey);
    SetTag(button, tipo == TTipo::Entrada ? 1 : 0);
    button->setEnabled(tipo == TTipo::Entrada);
    return button;
}

QGroupBox *TfrmCTe::criaGrupo(QWidget *parent, const QString &name, const QString &key)
{
    auto *group = new QGroupBox(Texto(key), parent);
    group->setObjectName(name);
    return group;
}

TColumn TfrmCTe::coluna(const QString &field, int width, bool readOnly, bool ellipsis)
{
    TColumn c;
    c.FieldName = field;
    c.Width = width;
    c.ReadOnly = readOnly;
    c.EllipsisButton = ellipsis;
    return c;
}

QList<TColumn> TfrmCTe::ajustaColunas(const QFontMetrics &fm, QList<TColumn> columns,
                                      const TClientDataSet *dataSet)
{
    // A width narrower than the title or than a typical value would cut them: widen to fit.
    for (TColumn &column : columns) {
        const TField *f = dataSet->FindField(column.FieldName);
        QString title = column.Title;
        if (title.isEmpty())
            title = f ? f->DisplayLabel() : column.FieldName;
        // A width given for the column is kept for shorter values (a number, a date); the
        // grid's own default makes room for longer ones.
        const bool given = column.Width > 0;
        QString sample;
        if (f) {
            switch (f->DataType()) {
            case FieldType::String:
            case FieldType::FixedString:
                sample = QString(std::min(f->Size(), given ? 9 : 14), u'0');
                break;
            case FieldType::DateTime:
                sample = given ? u"00/00/0000"_s : u"00/00/0000 00:00:00"_s;
                break;
            case FieldType::Float:
            case FieldType::Integer:
                sample = f->DisplayFormat().contains(u'%') ? u"000,00 %"_s : u"000.000,00"_s;
                break;
            case FieldType::Memo:
                break;
            }
        }
        const int needed = std::max(fm.horizontalAdvance(title), fm.horizontalAdvance(sample)) + 16;
        int base = column.Width;
        if (base <= 0) // the grid's own default for the field
            base = f ? qBound(24, f->DisplayWidth() * fm.averageCharWidth() + 8, 400) : 64;
        column.Width = std::max(base, needed);
    }
    return columns;
}

TDBGrid *TfrmCTe::criaGrade(QWidget *parent, const QString &name, TDataSource *source,
                            QList<TColumn> columns, int linhas)
{
    auto *grid = new TDBGrid(parent, name);
    columns = ajustaColunas(grid->horizontalHeader()->fontMetrics(), columns, source->DataSet());
    grid->SetDataSource(source);
    grid->SetColumns(columns);
    grid->SetEditing(true);
    StyleAsInput(grid);
    const int altura = grid->horizontalHeader()->sizeHint().height()
        + grid->verticalHeader()->defaultSectionSize() * linhas + 2 * grid->frameWidth()
        + grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    grid->setFixedHeight(altura);
    // Wide enough for every column when the page has room for it.
    int largura = grid->verticalHeader()->sizeHint().width() + 2 * grid->frameWidth() + 4
        + grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (const TColumn &column : columns)
        largura += column.Width;
    grid->setMinimumWidth(std::min(largura, 1080));
    return grid;
}

QWidget *TfrmCTe::criaSecao(const QString &secao, const QString &captionKey, QWidget **tsh,
                            QScrollArea **scb)
{
    auto *page = new QWidget;
    page->setObjectName(u"tsh"_s + secao);
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    auto *scroll = new QScrollArea(page);
    scroll->setObjectName(u"scb"_s + secao);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *content = new QWidget;
    content->setObjectName(u"scb"_s + secao + u"Conteudo"_s);
    scroll->setWidget(content);
    pageLayout->addWidget(scroll);
    pgcDados->addTab(page, Texto(captionKey));
    *tsh = page;
    *scb = scroll;
    return content;
}

void TfrmCTe::par(QGridLayout *grid, int row, int pair, QLabel *label, QWidget *field, int pairSpan)
{
    grid->addWidget(label, row, 2 * pair, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(field, row, 2 * pair + 1, 1, 2 * pairSpan - 1);
    label->setBuddy(field);
}

void TfrmCTe::par(QGridLayout *grid, int row, int pair, QLabel *label, QLayout *field, int pairSpan)
{
    grid->addWidget(label, row, 2 * pair, Qt::AlignRight | Qt::AlignVCenter);
    grid->addLayout(field, row, 2 * pair + 1, 1, 2 * pairSpan - 1);
}

// --- command bar and menus

void TfrmCTe::criaComandos()
{
    auto comando = [this](QMenu *menu, const QString &name, const QString &textKey,
                          const QString &hintKey, QStyle::StandardPixmap icon) {
        QAction *action
            = menu ? menu->addAction(Texto(textKey)) : new QAction(Texto(textKey), this);
        action->setObjectName(name);
        action->setToolTip(Texto(hintKey));
        action->setIcon(style()->standardIcon(icon));
        return action;
    };

    mnuManutencao->addSeparator();
    mnuFiltrar = comando(mnuManutencao, u"mnuFiltrar"_s, u"MNU_FILTRAR"_s, u"HINT_FILTRO"_s,
                         QStyle::SP_FileDialogListView);
    mnuManutencao->addSeparator();
    mnuTransCTe = comando(mnuManutencao, u"mnuTransCTe"_s, u"MNU_TRANS_CTE"_s, u"HINT_TRANS_CTE"_s,
                          QStyle::SP_ArrowUp);
    mnuAtualizaLoteCTe = comando(mnuManutencao, u"mnuAtualizaLoteCTe"_s, u"MNU_ATUALIZA_LOTE_CTE"_s,
                                 u"HINT_ATUALIZA_LOTE_CTE"_s, QStyle::SP_FileDialogInfoView);
    mnuCancelaCTe = comando(mnuManutencao, u"mnuCancelaCTe"_s, u"MNU_CANCELA_CTE"_s,
                            u"HINT_CANCELA_CTE"_s, QStyle::SP_MessageBoxCritical);
    mnuCartaCorrecaoCTe = comando(mnuManutencao, u"mnuCartaCorrecaoCTe"_s, u"MNU_CARTA_CORRECAO"_s,
                                  u"HINT_CARTA_CORRECAO"_s, QStyle::SP_FileDialogContentsView);
    mnuManutencao->addSeparator();
    mnuEnviaEmailCTe = mnuManutencao->addMenu(Texto(u"MNU_ENVIA_EMAIL_CTE"_s));
    mnuEnviaEmailCTe->setObjectName(u"mnuEnviaEmailCTe"_s);
    mnuEnviaEmailCTe->menuAction()->setObjectName(u"mnuEnviaEmailCTe"_s);
    mnuEnviaEmailCTeSeleMenu = mnuEnviaEmailCTe->addAction(Texto(u"MNU_ENVIA_EMAIL_SELE"_s));
    mnuEnviaEmailCTeSeleMenu->setObjectName(u"mnuEnviaEmailCTeSeleMenu"_s);
    mnuEnviaEmailCTePendMenu = mnuEnviaEmailCTe->addAction(Texto(u"MNU_ENVIA_EMAIL_PEND"_s));
    mnuEnviaEmailCTePendMenu->setObjectName(u"mnuEnviaEmailCTePendMenu"_s);
    mnuManutencao->addSeparator();
    mnuImprimir = comando(mnuManutencao, u"mnuImprimir"_s, u"MNU_IMPRIMIR"_s, u"HINT_IMPRIMIR"_s,
                          QStyle::SP_FileDialogDetailedView);

    actEnviaEmailCTe = comando(nullptr, u"actEnviaEmailCTe"_s, u"MNU_ENVIA_EMAIL_CTE"_s,
                               u"HINT_ENVIA_EMAIL_CTE"_s, QStyle::SP_CommandLink);
    actGeraXML = comando(nullptr, u"actGeraXML"_s, u"HINT_GERA_XML"_s, u"HINT_GERA_XML"_s,
                         QStyle::SP_DialogSaveButton);

    // The buttons follow their commands (the menu item where there is one), before the print.
    sbtTransCTe = AddCommandButton(mnuTransCTe, u"sbtTransCTe"_s);
    sbtAtualizaLoteCTe = AddCommandButton(mnuAtualizaLoteCTe, u"sbtAtualizaLoteCTe"_s);
    sbtFiltro = AddCommandButton(mnuFiltrar, u"sbtFiltro"_s);
    sbtCancelaCTe = AddCommandButton(mnuCancelaCTe, u"sbtCancelaCTe"_s);
    sbtCartaCorrecaoCTe = AddCommandButton(mnuCartaCorrecaoCTe, u"sbtCartaCorrecaoCTe"_s);
    sbtEnviaEmailCTe = AddCommandButton(actEnviaEmailCTe, u"sbtEnviaEmailCTe"_s);
    spbGeraXML = AddCommandButton(actGeraXML, u"spbGeraXML"_s);
    sbtImprimir->setToolTip(Texto(u"HINT_IMPRIMIR"_s));

    pmnEmailCTe = new QMenu(this);
    pmnEmailCTe->setObjectName(u"pmnEmailCTe"_s);
    mnuEnviaEmailCTeSeleBotao = pmnEmailCTe->addAction(Texto(u"MNU_ENVIA_EMAIL_SELE"_s));
    mnuEnviaEmailCTeSeleBotao->setObjectName(u"mnuEnviaEmailCTeSeleBotao"_s);
    mnuEnviaEmailCTePendBotao = pmnEmailCTe->addAction(Texto(u"MNU_ENVIA_EMAIL_PEND"_s));
    mnuEnviaEmailCTePendBotao->setObjectName(u"mnuEnviaEmailCTePendBotao"_s);

    // Nothing to transmit, cancel, send or print before a document is listed.
    for (QAction *action :
         {mnuTransCTe, mnuCancelaCTe, mnuCartaCorrecaoCTe, actEnviaEmailCTe, mnuImprimir})
        action->setEnabled(false);
    mnuEnviaEmailCTe->menuAction()->setEnabled(false);
    sbtImprimir->setEnabled(false);
}

// --- company panel

void TfrmCTe::criaPainelEmpresa()
{
    panEmpresa = new QWidget(panTopo);
    panEmpresa->setObjectName(u"panEmpresa"_s);
    auto *row = new QHBoxLayout(panEmpresa);
    row->setContentsMargins(0, 2, 0, 2);
    QLabel *label = rotulo(panEmpresa, u"ROT_EMPRESA"_s, u"lblEmpresa"_s);
    medCdEmpresa = new QLineEdit(panEmpresa);
    medCdEmpresa->setObjectName(u"medCdEmpresa"_s);
    medCdEmpresa->setMaxLength(2);
    medCdEmpresa->setInputMask(TEditMask::Parse(u"99;0; "_s).ToQtInputMask());
    medCdEmpresa->setFocusPolicy(Qt::ClickFocus); // not a tab stop
    medCdEmpresa->setFixedWidth(medCdEmpresa->fontMetrics().horizontalAdvance(u"000"_s) + 16);
    StyleAsInput(medCdEmpresa);
    label->setBuddy(medCdEmpresa);
    // The panel's look-up keeps tag 0: read-only mode never reaches the company.
    btnEmpresa = criaPesquisa(panEmpresa, u"btnEmpresa"_s, u"PESQ_EMPRESA"_s,
                              u"PESQ_EMPRESA_EMPTY"_s, TTipo::Exibicao);
    btnEmpresa->setEnabled(true);
    edtNmEmpresa = new QLineEdit(panEmpresa);
    edtNmEmpresa->setObjectName(u"edtNmEmpresa"_s);
    edtNmEmpresa->setFixedWidth(edtNmEmpresa->fontMetrics().averageCharWidth() * 62);
    exibicao(edtNmEmpresa);
    row->addWidget(label);
    row->addWidget(medCdEmpresa);
    row->addWidget(btnEmpresa);
    row->addWidget(edtNmEmpresa);
    row->addStretch(1);
    panTopoLayout->addWidget(panEmpresa);
}

// --- list page and navigation bar

void TfrmCTe::criaListagem()
{
    QList<TColumn> columns;
    auto coluna = [&columns](const QString &field, int width, const QString &title = {}) {
        TColumn c;
        c.FieldName = field;
        c.Width = width;
        c.Title = title;
        columns << c;
    };
    coluna(u"IDCHECK"_s, 22, Texto(u"COL_MARCA"_s));
    coluna(u"NRCTE"_s, 65);
    coluna(u"CDSERIECTE"_s, 0);
    coluna(u"DTEMISSAO"_s, 0);
    coluna(u"NRINSJURTOMA"_s, 0);
    coluna(u"NMRAZSOCTOMA"_s, 215); // narrower than its 50 characters: the row fits the page
    coluna(u"IDSTATUSCTE"_s, 75);
    coluna(u"CDSTATUSCTE"_s, 0);
    coluna(u"DSSTATUSCTE"_s, 250);
    coluna(u"IDEMAILCTE"_s, 65);
    dbgPadrao->SetColumns(
        ajustaColunas(dbgPadrao->horizontalHeader()->fontMetrics(), columns, cdsCTe));

    panChaveAcesso = new QWidget(tshFolhaDados);
    panChaveAcesso->setObjectName(u"panChaveAcesso"_s);
    auto *row = new QHBoxLayout(panChaveAcesso);
    row->setContentsMargins(0, 0, 0, 0);
    QLabel *label = rotulo(panChaveAcesso, u"ROT_CHAVE_ACESSO"_s, u"lblChaveAcesso"_s);
    dbeChaveAcesso
        = criaEdit(panChaveAcesso, u"dbeChaveAcesso"_s, u"NRACESSOCTE"_s, TTipo::Exibicao, 44);
    // Read-only but selectable, so the key can be copied.
    dbeChaveAcesso->SetReadOnly(true);
    dbeChaveAcesso->setEnabled(true);
    label->setBuddy(dbeChaveAcesso);
    row->addWidget(label);
    row->addWidget(dbeChaveAcesso);
    row->addStretch(1);
    tshFolhaDadosLayout->addWidget(panChaveAcesso);

    dbtNome = new TDBText(panNavigator, u"dbtNome"_s);
    dbtNome->SetDataSource(dtsPadrao);
    dbtNome->SetDataField(u"RODAPE"_s);
    panNavigatorLayout->addSpacing(12);
    panNavigatorLayout->addWidget(dbtNome, 1);
}

// --- form page

void TfrmCTe::criaFormulario()
{
    pgcPadrao->setTabText(pgcPadrao->indexOf(tshFormulario), Texto(u"TSH_FORMULARIO"_s));
    tshFormularioLayout->setContentsMargins(2, 2, 2, 2);
    pgcDados = new QTabWidget(tshFormulario);
    pgcDados->setObjectName(u"pgcDados"_s);
    tshFormularioLayout->addWidget(pgcDados);

    criaIdentificacao();
    criaPartes();
    criaTotais();
    criaCarga();
    criaDadosCompl();
}
