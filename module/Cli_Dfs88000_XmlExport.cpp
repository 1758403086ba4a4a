// Export of the current accepted or cancelled document's XML (GeraXML) to a folder the user
// chooses: each generated text is written under the name the server gives, inside that folder.
#include "Cli_Dfs88000.h"

#include "BusyAnimation.h"
#include "ClientDataSet.h"
#include "Exceptions.h"
#include "Field.h"
#include "Messages.h"
#include "NetConnection.h"
#include "ServerReply.h"
#include "XmlExport.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QToolButton>

using namespace Qt::StringLiterals;
using namespace Cli_Dfs88000;

void TfrmCTe::criaGeraXML()
{
    connect(actGeraXML, &QAction::triggered, this,
            [this] { FrameworkGuard([this] { spbGeraXMLClick(); }); });
}

namespace {

// The directory chooser: a folder typed that does not exist yet is created once the user
// confirms it.
class TDiretorioDialog : public QFileDialog
{
public:
    TDiretorioDialog(QWidget *parent, const TMessages *msgPadrao)
        : QFileDialog(parent)
        , m_msgPadrao(msgPadrao)
    { }

    void accept() override
    {
        const QString pasta = selectedFiles().value(0);
        if (!pasta.isEmpty() && !QFileInfo::exists(pasta)) {
            if (ShowMsg(
                    TMsgKind::Question,
                    m_msgPadrao->Msg(u"XML_CRIAR_DIRETORIO"_s).arg(QDir::toNativeSeparators(pasta)),
                    mbYes | mbNo)
                != mbYes)
                return;
            if (!QDir().mkpath(pasta)) {
                ShowMsg(TMsgKind::Error, m_msgPadrao->Msg(u"ARQUIVO_GRAVACAO"_s).arg(pasta), mbOK);
                return;
            }
        }
        QFileDialog::accept();
    }

private:
    const TMessages *m_msgPadrao;
};

} // namespace

QString TfrmCTe::EscolheDiretorioXML()
{
    TDiretorioDialog dialogo(this, msgPadrao);
    dialogo.setObjectName(u"dlgDiretorioXML"_s);
    dialogo.setFileMode(QFileDialog::Directory);
    dialogo.setOption(QFileDialog::ShowDirsOnly);
    dialogo.setOption(QFileDialog::DontUseNativeDialog);
    dialogo.setWindowTitle(msgPadrao->Msg(u"XML_ESCOLHA_DIRETORIO"_s));
    if (dialogo.exec() != QDialog::Accepted)
        return {};
    return dialogo.selectedFiles().value(0);
}

void TfrmCTe::GravaResultadoXML(const QString &pasta)
{
    cdsResultNotaFiscal->SetFiltered(false);
    cdsResultNotaFiscal->SetFilter(u"IDGERADO = 'S'"_s);
    cdsResultNotaFiscal->SetFiltered(true);
    QStringList recusados;
    for (cdsResultNotaFiscal->First(); !cdsResultNotaFiscal->Eof(); cdsResultNotaFiscal->Next()) {
        const QString texto = cdsResultNotaFiscal->FieldByName(u"DSTEXTOXML"_s)->AsString();
        if (texto.isEmpty())
            continue;
        const QString nome = cdsResultNotaFiscal->FieldByName(u"DSNOMEARQXML"_s)->AsString();
        // The name comes from the server: one that would leave the folder is refused.
        if (!xmlexport::NomeSeguro(nome)) {
            recusados << nome;
            continue;
        }
        qint64 linha = 0;
        const QByteArray xml = xmlexport::ComDeclaracao(texto, &linha);
        if (xml.isEmpty())
            MensErro(msgPadrao->Msg(u"XML_INVALIDO"_s).arg(nome).arg(linha), true);
        if (!xmlexport::GravaArquivo(pasta, nome, xml))
            MensErro(msgPadrao->Msg(u"ARQUIVO_GRAVACAO"_s).arg(pasta + nome), true);
    }
    cdsResultNotaFiscal->SetFiltered(false);
    cdsResultNotaFiscal->SetFilter(u"IDGERADO = 'N'"_s);
    cdsResultNotaFiscal->SetFiltered(true);
    if (!recusados.isEmpty())
        ShowMsg(TMsgKind::Information,
                msgPadrao->Msg(u"XML_NOME_RECUSADO"_s).arg(recusados.join(u", "_s)), mbOK);
    else if (cdsResultNotaFiscal->RecordCount() != 0)
        ShowMsg(TMsgKind::Information, msgPadrao->Msg(u"XML_N_Gerado"_s), mbOK);
    else
        ShowMsg(TMsgKind::Information, msgPadrao->Msg(u"XML_Gerado"_s), mbOK);
}

void TfrmCTe::spbGeraXMLClick()
{
    abreVazio(cdsGeraXML);
    const QString status
        = cdsCTe->Active() ? cdsCTe->FieldByName(u"IDSTATUSCTE"_s)->AsString() : QString();
    if (status != u"A" && status != u"C")
        MensErro(msgPadrao->Msg(u"CTE_Env_Canc"_s), true);
    if (cdsCTe->IsEmpty())
        return;
    if (cdsGeraXML->State() != dsEdit && cdsGeraXML->State() != dsInsert) {
        cdsGeraXML->Append();
        for (const QString &campo : {u"CDCTE"_s, u"NRACESSOCTE"_s, u"NRCTE"_s, u"IDSTATUSCTE"_s})
            cdsGeraXML->FieldByName(campo)->SetValue(cdsCTe->FieldByName(campo)->Value());
        cdsGeraXML->Post();
    }
    const double cdCte = cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat();
    const auto fim = [&] {
        if (cdsResultNotaFiscal->Active())
            cdsResultNotaFiscal->SetFiltered(false);
        cdsCTe->Locate(u"CDCTE"_s, cdCte);
    };
    try {
        const QString escolhida = EscolheDiretorioXML();
        if (escolhida.isEmpty()) {
            fim();
            return;
        }
        const QString pasta = xmlexport::ComDiretorio(escolhida);
        QVariant reply;
        {
            const TShowAviScope animacao(1, msgPadrao->Msg(u"GeraXML"_s));
            reply = netCTe->AppServer(u"GeraXML"_s, {cdsGeraXML->Data()});
        }
        const QVariantList elementos = CheckResultServ(reply).toList();
        if (cdsResultNotaFiscal->Active())
            cdsResultNotaFiscal->EmptyDataSet();
        cdsResultNotaFiscal->SetData(elementos.value(1));
        preparaResultNotaFiscal();

        GravaResultadoXML(pasta);
        Verificar();
    } catch (...) {
        fim();
        throw;
    }
    fim();
}
