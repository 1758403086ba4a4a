#include "SampleCte.h"

#include "AccessKey.h"

#include <QTimeZone>

using namespace Qt::StringLiterals;

const QString SampleCte::kHomologationName
    = u"CTE EMITIDO EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL"_s;

QByteArray SampleVoiding::xml() const
{
    const QString id = u"ID35"_s + cnpj + u"57"_s + QString::number(series).rightJustified(3, u'0')
        + QString::number(first).rightJustified(9, u'0')
        + QString::number(last).rightJustified(9, u'0');
    return u"<inutCTe xmlns=\"http://www.portalfiscal.inf.br/cte\" versao=\"4.00\">"
           "<infInut Id=\"%1\"><tpAmb>2</tpAmb><xServ>INUTILIZAR</xServ><cUF>35</cUF>"
           "<ano>%2</ano><CNPJ>%3</CNPJ><mod>57</mod><serie>%4</serie><nCTIni>%5</nCTIni>"
           "<nCTFin>%6</nCTFin><xJust>Numeracao pulada por falha</xJust></infInut></inutCTe>"_s
               .arg(id, QString::number(year).rightJustified(2, u'0'), cnpj)
               .arg(series)
               .arg(first)
               .arg(last)
               .toUtf8();
}

namespace samples {

QString dateTime(const QDateTime &moment)
{
    return moment.toTimeZone(QTimeZone(-3 * 3600)).toString(u"yyyy-MM-ddTHH:mm:ss"_s) + u"-03:00"_s;
}

QByteArray situationQuery(const QString &key, int environment)
{
    return (u"<consSitCTe xmlns=\"http://www.portalfiscal.inf.br/cte\" versao=\"4.00\"><tpAmb>%1"
            "</tpAmb><xServ>CONSULTAR</xServ><chCTe>%2</chCTe></consSitCTe>"_s)
        .arg(environment)
        .arg(key)
        .toUtf8();
}

QByteArray serviceStatusQuery(int environment, const QString &ufCode)
{
    return (u"<consStatServCTe xmlns=\"http://www.portalfiscal.inf.br/cte\" versao=\"4.00\">"
            "<tpAmb>%1</tpAmb><cUF>%2</cUF><xServ>STATUS</xServ></consStatServCTe>"_s)
        .arg(environment)
        .arg(ufCode)
        .toUtf8();
}

} // namespace samples

QString SampleCte::key() const
{
    accesskey::Parts p;
    p.uf = ufCode;
    const QString issued = samples::dateTime(issuedAt);
    p.yymm = issued.mid(2, 2) + issued.mid(5, 2);
    p.cnpj = cnpj;
    p.model = model;
    p.series = QString::number(series).rightJustified(3, u'0');
    p.number = QString::number(number).rightJustified(9, u'0');
    p.emission = emission;
    p.code = code;
    const QString composed = accesskey::compose(p);
    return checkDigitOverride.isEmpty() ? composed : composed.left(43) + checkDigitOverride;
}

QByteArray SampleCte::xml() const
{
    const QString k = key();
    const QString id = idOverride.isEmpty() ? u"CTe"_s + k : idOverride;
    const QString party = u"<xLgr>RUA DAS FLORES</xLgr><nro>100</nro><xBairro>CENTRO</xBairro>"
                          "<cMun>3550308</cMun><xMun>SAO PAULO</xMun><UF>SP</UF>"_s;
    QString x;
    x += u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"_s;
    x += u"<CTe xmlns=\"http://www.portalfiscal.inf.br/cte\"><infCte versao=\"4.00\" Id=\"%1\">"_s
             .arg(id);
    x += u"<ide><cUF>%1</cUF><cCT>%2</cCT><CFOP>5353</CFOP>"
         "<natOp>PRESTACAO DE SERVICO DE TRANSPORTE</natOp><mod>%3</mod><serie>%4</serie>"
         "<nCT>%5</nCT><dhEmi>%6</dhEmi><tpImp>1</tpImp><tpEmis>%7</tpEmis><cDV>%8</cDV>"
         "<tpAmb>%9</tpAmb>"_s.arg(ufCode, code, model)
             .arg(series)
             .arg(number)
             .arg(samples::dateTime(issuedAt), emission, k.right(1))
             .arg(environment);
    x += u"<tpCTe>0</tpCTe><procEmi>0</procEmi><verProc>TESTE 1.0</verProc>"
         "<cMunEnv>3550308</cMunEnv><xMunEnv>SAO PAULO</xMunEnv><UFEnv>SP</UFEnv>"
         "<modal>01</modal><tpServ>0</tpServ><cMunIni>3550308</cMunIni><xMunIni>SAO PAULO</xMunIni>"
         "<UFIni>SP</UFIni><cMunFim>3509502</cMunFim><xMunFim>CAMPINAS</xMunFim><UFFim>SP</UFFim>"
         "<retira>1</retira><indIEToma>1</indIEToma><toma3><toma>0</toma></toma3>"_s;
    if (contingencyEntered.isValid())
        x += u"<dhCont>%1</dhCont>"_s.arg(samples::dateTime(contingencyEntered));
    if (!contingencyReason.isEmpty())
        x += u"<xJust>%1</xJust>"_s.arg(contingencyReason);
    x += u"</ide>"_s;
    x += u"<emit><CNPJ>%1</CNPJ><IE>%2</IE><xNome>EMPRESA TESTE LTDA</xNome><enderEmit>"
         "<xLgr>AVENIDA PAULISTA</xLgr><nro>1000</nro><xBairro>BELA VISTA</xBairro>"
         "<cMun>3550308</cMun><xMun>SAO PAULO</xMun><UF>%3</UF></enderEmit><CRT>3</CRT></emit>"_s
             .arg(cnpj, ie, ufLetters);
    x += u"<rem><CNPJ>11222333000181</CNPJ><IE>222222222222</IE><xNome>%1</xNome>"
         "<enderReme>%2</enderReme></rem>"_s.arg(senderName.toHtmlEscaped(), party);
    x += u"<dest><CNPJ>11444777000161</CNPJ><IE>333333333333</IE><xNome>%1</xNome>"
         "<enderDest>%2</enderDest></dest>"_s.arg(recipientName.toHtmlEscaped(), party);
    x += u"<vPrest><vTPrest>1500.00</vTPrest><vRec>1500.00</vRec><Comp><xNome>FRETE PESO</xNome>"
         "<vComp>1500.00</vComp></Comp></vPrest>"
         "<imp><ICMS><ICMS00><CST>00</CST><vBC>1500.00</vBC><pICMS>12.00</pICMS>"
         "<vICMS>180.00</vICMS></ICMS00></ICMS></imp>"_s;
    x += u"<infCTeNorm><infCarga><vCarga>25000.00</vCarga><proPred>MAQUINAS</proPred>"
         "<infQ><cUnid>01</cUnid><tpMed>PESO BRUTO</tpMed><qCarga>1200.0000</qCarga></infQ>"
         "</infCarga><infDoc><infNFe><chave>35261211222333000181550010000000011000000010</chave>"
         "</infNFe></infDoc><infModal versaoModal=\"4.00\">%1</infModal></infCTeNorm>"
         "</infCte>"_s.arg(modalOverride.isEmpty() ? u"<rodo><RNTRC>12345678</RNTRC></rodo>"_s
                                                   : modalOverride);
    const QString qr = qrCodeOverride.isEmpty() ? qrCode() : qrCodeOverride;
    if (qr != u"-")
        x += u"<infCTeSupl><qrCodCTe>%1</qrCodCTe></infCTeSupl>"_s.arg(qr.toHtmlEscaped());
    x += u"</CTe>"_s;
    return x.toUtf8();
}

QString SampleCte::qrCode() const
{
    // São Paulo's published query addresses, written out so a wrong table shows.
    const QString address = environment == 1
        ? u"https://nfe.fazenda.sp.gov.br/CTeConsulta/qrCode"_s
        : u"https://homologacao.nfe.fazenda.sp.gov.br/CTeConsulta/qrCode"_s;
    return address + u"?chCTe=%1&tpAmb=%2"_s.arg(key()).arg(environment);
}

QByteArray SampleCancellation::xml() const
{
    const QString seq = QString::number(sequence).rightJustified(3, u'0');
    const QString id = idOverride.isEmpty() ? u"ID"_s + type + key + seq : idOverride;
    QString x;
    x += u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"_s;
    x += u"<eventoCTe xmlns=\"http://www.portalfiscal.inf.br/cte\" versao=\"4.00\">"
         "<infEvento Id=\"%1\"><cOrgao>%2</cOrgao><tpAmb>%3</tpAmb><CNPJ>%4</CNPJ>"
         "<chCTe>%5</chCTe><dhEvento>%6</dhEvento><tpEvento>%7</tpEvento>"
         "<nSeqEvento>%8</nSeqEvento><detEvento versaoEvento=\"4.00\">"_s
             .arg(id, organ.isEmpty() ? key.left(2) : organ)
             .arg(environment)
             .arg(cnpj, key, samples::dateTime(at), type)
             .arg(sequence);
    if (type == u"110110")
        x += u"<evCCeCTe><descEvento>Carta de Correcao</descEvento><infCorrecao>"
             "<grupoAlterado>%1</grupoAlterado><campoAlterado>%2</campoAlterado>"
             "<valorAlterado>Entregar na doca 2</valorAlterado></infCorrecao><xCondUso>A Carta "
             "de Correcao e disciplinada pelo Art. 58-B do CONVENIO/SINIEF 06/89: Fica "
             "permitida a utilizacao de carta de correcao, para regularizacao de erro ocorrido "
             "na emissao de documentos fiscais relativos a prestacao de servico de transporte, "
             "desde que o erro nao esteja relacionado com: I - as variaveis que determinam o "
             "valor do imposto tais como: base de calculo, aliquota, diferenca de preco, "
             "quantidade, valor da prestacao;II - a correcao de dados cadastrais que implique "
             "mudanca do emitente, tomador, remetente ou do destinatario;III - a data de "
             "emissao ou de saida.</xCondUso></evCCeCTe>"_s.arg(group, field);
    else
        x += u"<evCancCTe><descEvento>Cancelamento</descEvento><nProt>%1</nProt>"
             "<xJust>Servico nao realizado por desistencia do cliente</xJust></evCancCTe>"_s.arg(
                 protocol);
    x += u"</detEvento></infEvento></eventoCTe>"_s;
    return x.toUtf8();
}
