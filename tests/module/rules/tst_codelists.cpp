#include "CodeLists.h"
#include "Messages.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The code lists against the catalogue the editor ships: every entry's text exists, begins with
// its own code, and the lists come in the order the editor builds them.
class TestCodeLists : public QObject
{
    Q_OBJECT

private:
    TMessages m_catalogue;

private slots:
    void initTestCase()
    {
        const QString path = qEnvironmentVariable("CTE_SOURCE_DIR")
            + u"/module/catalogues/Cli_Dfs88000_msgListaDados.msg"_s;
        QVERIFY2(m_catalogue.LoadFromFile(path), qPrintable(path));
    }

    void thirteenListsInBuildOrder()
    {
        QStringList names;
        for (const TCodeList &l : EditorCodeLists())
            names << l.dataset;
        QCOMPARE(names,
                 (QStringList {
                     u"cdsListaModal"_s, u"cdsListaTipoDeServico"_s, u"cdsListaFinalidade"_s,
                     u"cdsListaFormaDeEmissao"_s, u"cdsListaGlobalizado"_s,
                     u"cdsListaFormaDeImpressao"_s, u"cdsListaAmbiente"_s, u"cdsListaInfCadReme"_s,
                     u"cdsListaInfCadExpe"_s, u"cdsListaInfCadRece"_s, u"cdsListaInfCadDest"_s,
                     u"cdsListaIndicadorTomador"_s, u"cdsListaInfCadToma"_s}));
    }

    void everyEntryHasItsTextStartingWithItsCode()
    {
        for (const TCodeList &l : EditorCodeLists()) {
            for (const TCodeListEntry &e : l.entries) {
                QCOMPARE(e.code.size(), l.codeWidth);
                const QString text = m_catalogue.Msg(e.key);
                QVERIFY2(text.startsWith(e.code + u" - "_s), qPrintable(e.key + u": "_s + text));
            }
        }
    }

    void payerSourceHasNoNotInformed()
    {
        const TCodeList &payer = EditorCodeLists().last();
        QCOMPARE(payer.boundField, u"IDCADTOMADOR"_s);
        QCOMPARE(payer.entries.size(), 2);
        QCOMPARE(m_catalogue.Msg(EditorCodeLists().at(10).entries.first().key),
                 u"N - Não Informado"_s);
    }

    void statusAndUnitTexts()
    {
        QCOMPARE(m_catalogue.Msg(u"R"_s), u"Rejeitado"_s);
        QCOMPARE(m_catalogue.Msg(u"D"_s), QString()); // denied has no text of its own
        for (const QString &code : UnitOfMeasureCodes())
            QVERIFY(m_catalogue.Msg(UnitOfMeasureKey(code)).startsWith(code + u" - "_s));
    }
};

QTEST_GUILESS_MAIN(TestCodeLists)
#include "tst_codelists.moc"
