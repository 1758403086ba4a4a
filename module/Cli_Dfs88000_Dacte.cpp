// The DACTE of the current document as a PDF: asked of the server (GerarDACTE), received as a
// ZIP archive, unpacked in a private temporary folder and copied where the user chose.
#include "Cli_Dfs88000.h"
#include "Cli_Dfs88600.h"

#include "BusyAnimation.h"
#include "ClientDataSet.h"
#include "DacteFiles.h"
#include "Exceptions.h"
#include "Field.h"
#include "FormTypes.h"
#include "Messages.h"
#include "NetConnection.h"
#include "StrUtils.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QToolButton>
#include <QUrl>

using namespace Qt::StringLiterals;
using namespace Cli_Dfs88000;

void TfrmCTe::criaDACTE()
{
    connect(mnuImprimir, &QAction::triggered, this,
            [this] { FrameworkGuard([this] { sbtImprimirClick(); }); });
    connect(sbtImprimir, &QToolButton::clicked, this,
            [this] { FrameworkGuard([this] { sbtImprimirClick(); }); });
}

void TfrmCTe::sbtImprimirClick()
{
    QFileDialog svdPdfDACTE(this);
    svdPdfDACTE.setObjectName(u"svdPdfDACTE"_s);
    svdPdfDACTE.setAcceptMode(QFileDialog::AcceptSave);
    svdPdfDACTE.setOption(QFileDialog::DontUseNativeDialog);
    svdPdfDACTE.setOption(QFileDialog::ReadOnly, false);
    svdPdfDACTE.setDefaultSuffix(u"pdf"_s);
    svdPdfDACTE.setNameFilter(msgPadrao->Msg(u"FILTRO_PDF"_s));
    svdPdfDACTE.selectFile(cdsCTe->FieldByName(u"NRACESSOCTE"_s)->AsString() + u"-cte.pdf"_s);
    svdPdfDACTE.setSizeGripEnabled(true);
    if (svdPdfDACTE.exec() != QDialog::Accepted || svdPdfDACTE.selectedFiles().isEmpty())
        return;
    const QString destino = svdPdfDACTE.selectedFiles().first();

    GerarDACTE(true, destino);
    if (cdsDetalheRetorno->Active() && cdsDetalheRetorno->Locate(u"IDSTATUS"_s, u"1"_s)) {
        cdsDetalheRetorno->First();
        Cli_Dfs88600::CriaDetalheRetorno();
    }
    if (ShowMsg(TMsgKind::Question, msgPadrao->Msg(u"DACTE_SUCESSO_SOMENTE_UM"_s), mbYes | mbNo)
        == mbYes)
        QDesktopServices::openUrl(QUrl::fromLocalFile(destino));
    Verificar();
}

void TfrmCTe::abreVazio(TClientDataSet *cds)
{
    if (cds->Active())
        cds->EmptyDataSet();
    else
        cds->CreateDataSet();
}

void TfrmCTe::GerarDACTE(bool boUnirPDF, const QString &stDiretorio)
{
    if (cdsListaGerarDACTE->FieldCount() == 0) {
        cdsListaGerarDACTE->AddField(u"NRACESSOCTE"_s, contracts::FieldType::String, 50);
        cdsListaGerarDACTE->AddField(u"CDCTE"_s, contracts::FieldType::Float);
    }
    abreVazio(cdsListaGerarDACTE);
    cdsListaGerarDACTE->Append();
    cdsListaGerarDACTE->FieldByName(u"NRACESSOCTE"_s)
        ->SetValue(cdsCTe->FieldByName(u"NRACESSOCTE"_s)->Value());
    cdsListaGerarDACTE->FieldByName(u"CDCTE"_s)->SetValue(cdsCTe->FieldByName(u"CDCTE"_s)->Value());
    cdsListaGerarDACTE->Post();
    const QString stUnirPDF = boUnirPDF ? u"S"_s : u"N"_s;

    QVariant reply;
    {
        const TShowAviScope animacao(1, msgPadrao->Msg(u"GERAR_DACTE"_s));
        reply = netCTe->AppServer(u"GerarDACTE"_s, {cdsListaGerarDACTE->Data(), stUnirPDF});
    }
    if (reply.typeId() == QMetaType::QString)
        MensErro(reply.toString(), true);
    const QVariantList elementos = reply.toList();
    if (elementos.value(0).toString() != u"S")
        MensErro(elementos.value(1).toString(), true);
    if (cdsStringStream->Active())
        cdsStringStream->EmptyDataSet();
    if (cdsDetalheRetorno->Active())
        cdsDetalheRetorno->EmptyDataSet();
    cdsStringStream->SetData(elementos.value(1));
    cdsDetalheRetorno->SetData(elementos.value(2));
    cdsDetalheRetorno->SetIndexFieldNames(u"NRACESSONFE"_s);

    cdsStringStream->First();
    const QByteArray arquivo
        = Decode64(cdsStringStream->FieldByName(u"DSSTRINGSTREAM"_s)->AsString());
    const QString nome = dactefiles::GeraNomeArquivo();
    const QString zip = dactefiles::DirTmpWin() + nome + u".zip"_s;
    const QString pasta = dactefiles::DirTmpWin() + nome;
    QStringList pdfs;
    const auto limpa = [&] {
        ActiveShowAvi(0, msgPadrao->Msg(u"ATUALIZANDO_DADOS"_s));
        for (const QString &pdf : std::as_const(pdfs))
            QFile::remove(pdf);
        QDir().rmdir(pasta); // only when nothing else stayed in it
        QFile::remove(zip);
        DeactiveShowAvi();
    };
    try {
        const TShowAviScope animacao(0, msgPadrao->Msg(u"EXTRAINDO_ARQUIVO"_s));
        if (!dactefiles::writePrivateFile(zip, arquivo))
            MensErro(msgPadrao->Msg(u"ARQUIVO_GRAVACAO"_s).arg(zip), true);
        if (!dactefiles::makePrivateDir(pasta))
            MensErro(msgPadrao->Msg(u"ARQUIVO_GRAVACAO"_s).arg(pasta), true);
        const dactefiles::UnpackFailure falha = dactefiles::unpackArchive(zip, pasta);
        // What was written before a write failure is taken away with the listed PDFs.
        pdfs = dactefiles::ListarArquivos(pasta);
        if (!falha.key.isEmpty())
            MensErro(msgPadrao->Msg(falha.key).arg(falha.entry), true);
        for (const QString &pdf : std::as_const(pdfs)) {
            ActiveShowAvi(0, msgPadrao->Msg(u"COPIANDO_ARQUIVO"_s));
            QFile::remove(stDiretorio);
            if (!QFile::copy(pdf, stDiretorio))
                MensErro(msgPadrao->Msg(u"ARQUIVO_COPIA"_s).arg(stDiretorio), true);
        }
    } catch (...) {
        limpa();
        throw;
    }
    limpa();
}
