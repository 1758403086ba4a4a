// NF-e files into the document being edited: dropped on the page "Informações do CT-e Normal e
// Substituto" or picked with its button. Each invoice becomes a fiscal document through the rules
// of a typed one; the sender and recipient come from the host's registers when still empty.
#include "Cli_Dfs88000.h"

#include "ADOIBQuery.h"
#include "CTeRecord.h"
#include "CargoQuantities.h"
#include "ClientDataSet.h"
#include "ControlStyle.h"
#include "DateEditPlus.h"
#include "Exceptions.h"
#include "Masks.h"
#include "Messages.h"
#include "NfeImport.h"
#include "NfeInvoiceFile.h"
#include "PartyCopy.h"
#include "StrUtils.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHash>
#include <QMimeData>
#include <QProgressDialog>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace Qt::StringLiterals;
using namespace Cli_Dfs88000;
using namespace contracts::cte;

namespace {

constexpr int kRemetente = 1;
constexpr int kDestinatario = 4;
// Refusals named one by one in the summary; the rest are counted.
constexpr int kRecusasListadas = 20;
constexpr int kArquivosPorPasso = 10;

// The files of what was dropped: a folder gives its XML files (not those of its subfolders);
// what is not a local file or folder is left out.
QStringList arquivosSoltos(const QList<QUrl> &urls)
{
    QStringList arquivos;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        const QFileInfo info(url.toLocalFile());
        if (info.isDir()) {
            const QDir pasta(info.absoluteFilePath());
            for (const QString &nome : pasta.entryList({u"*.xml"_s, u"*.XML"_s},
                                                       QDir::Files | QDir::Readable, QDir::Name))
                arquivos << pasta.filePath(nome);
        } else if (info.isFile()) {
            arquivos << info.absoluteFilePath();
        }
    }
    return arquivos;
}

// The page takes dropped files and folders.
class TSoltaNotas : public QObject
{
public:
    TSoltaNotas(QWidget *page, std::function<void(const QStringList &)> solta)
        : QObject(page)
        , m_solta(std::move(solta))
    {
        page->setAcceptDrops(true);
        page->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *drag = static_cast<QDropEvent *>(event);
            if (!drag->mimeData()->hasUrls())
                return false;
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto *drop = static_cast<QDropEvent *>(event);
            const QStringList arquivos = arquivosSoltos(drop->mimeData()->urls());
            drop->acceptProposedAction();
            // The program the files came from waits for the drop to end: the import runs after.
            QTimer::singleShot(0, this,
                               [this, arquivos] { FrameworkGuard([&] { m_solta(arquivos); }); });
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
        }
    }

private:
    std::function<void(const QStringList &)> m_solta;
};

// The invoices imported while the window lives, by key: the server does not know them, so
// removing one takes back what its file gave instead of what the server would say.
class TNotasImportadas : public QObject
{
public:
    using QObject::QObject;
    QHash<QString, TNfeInvoice> notas;
};

QString comArgumentos(QString texto, const QStringList &args)
{
    for (const QString &a : args)
        texto = texto.arg(a);
    return texto;
}

} // namespace

void TfrmCTe::criaImportacaoNotas()
{
    btnImportaNFe = new QToolButton(grbDocFiscais);
    btnImportaNFe->setObjectName(u"btnImportaNFe"_s);
    btnImportaNFe->setText(Texto(u"BTN_IMPORTA_NFE"_s));
    btnImportaNFe->setToolTip(Texto(u"HINT_IMPORTA_NFE"_s));
    SetTag(btnImportaNFe, 1);
    if (auto *grupo = qobject_cast<QVBoxLayout *>(grbDocFiscais->layout()))
        grupo->insertWidget(0, btnImportaNFe, 0, Qt::AlignLeft);
    connect(btnImportaNFe, &QToolButton::clicked, this, [this] {
        FrameworkGuard([this] {
            const QStringList arquivos = QFileDialog::getOpenFileNames(
                this, Texto(u"NFE_ESCOLHA_ARQUIVOS"_s), {}, Texto(u"NFE_FILTRO_ARQUIVOS"_s));
            ImportaNotasFiscais(arquivos);
        });
    });
    new TSoltaNotas(scbInfCTeNormalSubstituto->widget(),
                    [this](const QStringList &arquivos) { ImportaNotasFiscais(arquivos); });

    auto *importadas = new TNotasImportadas(this);
    importadas->setObjectName(u"notasImportadas"_s);
    cdsCTeDocFiscais->BeforeDelete
        = [this, importadas, doServidor = cdsCTeDocFiscais->BeforeDelete](TClientDataSet *cds) {
              const QString chave = cds->FieldByName(u"NRACESSONFE"_s)->AsString().trimmed();
              const bool propria = cds->FieldByName(u"CDFILIAL"_s)->AsString().trimmed().isEmpty()
                  && cds->FieldByName(u"NRLANCTONF"_s)->AsString().trimmed().isEmpty();
              const auto nota = importadas->notas.constFind(chave);
              if (!propria || nota == importadas->notas.cend()) {
                  if (doServidor)
                      doServidor(cds);
                  return;
              }
              TNfeImportTarget destino;
              destino.quantities = cdsCTeInfQtCarga;
              destino.keys = &slCTeDocFiscais;
              destino.cdCte = cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat();
              TakeBackNfeInvoice(destino, *nota);
          };
}

void TfrmCTe::ImportaNotasFiscais(const QStringList &arquivos)
{
    if (arquivos.isEmpty())
        return;
    if (!cdsCTe->Active() || cdsCTe->IsEmpty() || boModoLeitura)
        MensErro(msgPadrao->Msg(u"NFE_DOCUMENTO_FECHADO"_s));
    colocaDocumentoEmEdicao();
    // A row being typed is settled first: an empty new one goes, any other is checked and kept.
    if (cdsCTeDocFiscais->State() == dsInsert
        && CriteriaToAdd(cdsCTeDocFiscais->FieldByName(u"NRACESSONFE"_s)->AsString(),
                         cdsCTeDocFiscais->FieldByName(u"CDFILIAL"_s)->AsString(),
                         cdsCTeDocFiscais->FieldByName(u"NRLANCTONF"_s)->AsString())
               .IsEmpty())
        cdsCTeDocFiscais->Cancel();
    else if (cdsCTeDocFiscais->State() == dsEdit || cdsCTeDocFiscais->State() == dsInsert)
        cdsCTeDocFiscais->Post();

    TNfeImportTarget destino;
    destino.fiscalDocuments = cdsCTeDocFiscais;
    destino.quantities = cdsCTeInfQtCarga;
    destino.keys = &slCTeDocFiscais;
    destino.cdCte = cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat();
    destino.sender = RetSemMascara(cdsCTe->FieldByName(u"NRINSJURREME"_s)->AsString()).trimmed();
    CollectNamedKeys(destino);

    std::unique_ptr<QProgressDialog> progresso;
    if (arquivos.size() > 1) {
        progresso = std::make_unique<QProgressDialog>(msgPadrao->Msg(u"NFE_IMPORTANDO"_s),
                                                      msgPadrao->Msg(u"NFE_PARAR"_s), 0,
                                                      int(arquivos.size()), this);
        progresso->setObjectName(u"prgImportaNFe"_s);
        progresso->setWindowModality(Qt::WindowModal);
        progresso->setMinimumDuration(0);
    }
    auto *importadas
        = findChild<TNotasImportadas *>(u"notasImportadas"_s, Qt::FindDirectChildrenOnly);
    QList<TNfeInvoice> incluidas;
    QStringList recusas;
    int lidos = 0;
    {
        // The grids and the commands follow once, when the batch is done.
        const ScopedDisableControls documentos(cdsCTeDocFiscais);
        const ScopedDisableControls quantidades(cdsCTeInfQtCarga);
        for (const QString &arquivo : arquivos) {
            if (progresso && progresso->wasCanceled())
                break;
            const TNfeReading leitura = ReadNfeInvoiceFile(arquivo);
            TNfeRefusal recusa {leitura.refusalKey, leitura.refusalArgs};
            if (leitura.invoice) {
                recusa = AddNfeInvoice(destino, *leitura.invoice);
                if (recusa.key.isEmpty()) {
                    incluidas << *leitura.invoice;
                    importadas->notas.insert(leitura.invoice->accessKey, *leitura.invoice);
                    // The first invoice's issuer is the sender of those that follow.
                    if (destino.sender.isEmpty())
                        destino.sender = leitura.invoice->issuer.registration;
                }
            }
            if (!recusa.key.isEmpty())
                recusas << msgPadrao->Msg(u"NFE_RECUSA_ARQUIVO"_s)
                               .arg(QFileInfo(arquivo).fileName(),
                                    comArgumentos(msgPadrao->Msg(recusa.key), recusa.args));
            ++lidos;
            // The bar moves (and its button is heard) every few files: a repaint per file would
            // cost more than the file.
            if (progresso && (lidos % kArquivosPorPasso == 0 || lidos == arquivos.size()))
                progresso->setValue(lidos);
        }
    }
    progresso.reset();

    QStringList avisos;
    if (!incluidas.isEmpty()) {
        // The cargo is worth what its invoices are worth, summed in cents.
        qint64 centavos = 0;
        for (const TNfeInvoice &nfe : std::as_const(incluidas))
            centavos += nfe.totalCents;
        TField *valor = cdsCTe->FieldByName(u"VRTOTACARGA"_s);
        valor->SetAsFloat(double(std::llround(valor->AsFloat() * 100.0) + centavos) / 100.0);
        // An empty date window of the fiscal documents takes the invoices' issue dates.
        QDate primeira = incluidas.first().issued.date();
        QDate ultima = primeira;
        for (const TNfeInvoice &nfe : std::as_const(incluidas)) {
            primeira = std::min(primeira, nfe.issued.date());
            ultima = std::max(ultima, nfe.issued.date());
        }
        if (depEmissaoIni->IsEmpty())
            depEmissaoIni->SetDate(primeira);
        if (depEmissaoFim->IsEmpty())
            depEmissaoFim->SetDate(ultima);
        TField *produto = cdsCTe->FieldByName(u"DSPRODPREDOMINA"_s);
        if (EmptyString(produto->AsString()))
            produto->SetAsString(PredominantProduct(incluidas).left(60));
        preencheParteNfe(kRemetente, incluidas.first().issuer, u"NFE_REMETENTE_N_PREENCHIDO"_s,
                         avisos);
        preencheParteNfe(kDestinatario, incluidas.first().recipient,
                         u"NFE_DESTINATARIO_N_PREENCHIDO"_s, avisos);
    }
    MostrarFormulario();
    pgcDados->setCurrentWidget(tshInfCTeNormalSubstituto);

    QStringList resumo {
        msgPadrao->Msg(u"NFE_RESUMO"_s).arg(lidos).arg(incluidas.size()).arg(recusas.size())};
    if (lidos < arquivos.size())
        resumo << msgPadrao->Msg(u"NFE_INTERROMPIDA"_s).arg(arquivos.size() - lidos);
    resumo << recusas.mid(0, kRecusasListadas);
    if (recusas.size() > kRecusasListadas)
        resumo << msgPadrao->Msg(u"NFE_RECUSAS_MAIS"_s).arg(recusas.size() - kRecusasListadas);
    resumo << avisos;
    ::ShowMsg(TMsgKind::Information, resumo.join(u'\n'));
}

// Role `i` of the document takes the party of the invoice when it has none yet and the host
// registers that party; otherwise a line of `avisos` (message `chave`) says why it was not filled.
void TfrmCTe::preencheParteNfe(int i, const TNfeParty &parte, const QString &chave,
                               QStringList &avisos)
{
    const QString sufixo = Partes[i].sufixo;
    if (parte.registration.isEmpty() || !PartyMissing(cdsCTe, sufixo))
        return;
    const auto aviso = [&](const QString &motivo) {
        avisos << msgPadrao->Msg(chave).arg(
            FormatMaskText(PictPess(parte.personType), parte.registration), parte.name, motivo);
    };
    const QString cadastro = cadastroDaInscricao(parte.registration);
    if (cadastro.isEmpty()) {
        aviso(msgPadrao->Msg(u"NFE_PARTE_N_CADASTRADA"_s));
        return;
    }
    // As the user does: the kind, the registration typed bare, the edit left.
    try {
        (i == kRemetente ? stNrInsJurRemeAux : stNrInsJurDestAux).clear();
        cdsCTe->FieldByName(partySourceField(sufixo))->SetAsString(cadastro);
        dbeNrInsJurParteEnter(i);
        cdsCTe->FieldByName(u"NRINSJUR"_s + sufixo)->SetAsString(parte.registration);
        dbeNrInsJurParteExit(i);
    } catch (const EMensErro &e) {
        LimpaDadosParte(i, true);
        aviso(e.text());
    }
}

// "C" when an active client has the registration, else "F" when an active supplier has it,
// else empty.
QString TfrmCTe::cadastroDaInscricao(const QString &inscricao)
{
    const std::pair<const char16_t *, const char16_t *> cadastros[] = {
        {u"C",
         u"SELECT CDCLIENTE FROM CLIENTE WHERE NRINSJURCLIE = :NRINSJUR "
         "AND IDCLIEATIV = 'S'"},
        {u"F",
         u"SELECT CDFORNECED FROM FORNECEDOR WHERE NRINSJURFORN = :NRINSJUR "
         "AND IDSITUCADA = 'A'"},
    };
    for (const auto &[tipo, sql] : cadastros) {
        TADOIBQuery qry(nullptr, u"qryCadastroNfe"_s);
        qry.SetSQL(QString::fromUtf16(sql));
        qry.ParamByName(u"NRINSJUR"_s).SetAsString(inscricao);
        qry.Open();
        if (qry.RecordCount() > 0)
            return QString::fromUtf16(tipo);
    }
    return {};
}
