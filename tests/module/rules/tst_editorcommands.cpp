// Which commands the editor enables in each situation, and the list's texts of a document.
#include "DocumentStatus.h"
#include "EditorCommands.h"
#include "Messages.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TDataSetState)

class TestEditorCommands : public QObject
{
    Q_OBJECT

    static QStringList enabled(const TEditorSituation &s)
    {
        QStringList out;
        const QMap<QString, bool> states = EditorCommandStates(s);
        for (auto it = states.begin(); it != states.end(); ++it) {
            if (it.value())
                out.append(it.key());
        }
        out.sort();
        return out;
    }

private slots:
    void everyCommandHasAState()
    {
        const QMap<QString, bool> states = EditorCommandStates({});
        QCOMPARE(QStringList(states.keys()), [] {
            QStringList names = EditorCommandNames();
            names.sort();
            return names;
        }());
    }

    void commandStates_data()
    {
        QTest::addColumn<TDataSetState>("state");
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("empty");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("accessKey");
        QTest::addColumn<QStringList>("expected");

        const QString key = u"35261212345678000190570010000000011000000019"_s;
        QTest::newRow("closed-list")
            << dsInactive << false << true << false << QString() << QString()
            << QStringList {u"mnuListagem"_s, u"tshFolhaDados"_s};
        QTest::newRow("empty-list")
            << dsBrowse << true << true << false << QString() << QString()
            << QStringList {u"mnuIncluir"_s, u"mnuListagem"_s, u"tshFolhaDados"_s};
        QTest::newRow("browse-pending")
            << dsBrowse << true << false << false << u"P"_s << QString()
            << QStringList {u"mnuAlterar"_s,    u"mnuEnviaEmailCTe"_s, u"mnuExcluir"_s,
                            u"mnuFormulario"_s, u"mnuIncluir"_s,       u"mnuListagem"_s,
                            u"mnuProcurar"_s,   u"mnuVerificar"_s,     u"tshFolhaDados"_s,
                            u"tshFormulario"_s};
        QTest::newRow("browse-rejected-with-key")
            << dsBrowse << true << false << false << u"R"_s << key
            << QStringList {u"mnuAlterar"_s,    u"mnuAtualizaLoteCTe"_s, u"mnuEnviaEmailCTe"_s,
                            u"mnuExcluir"_s,    u"mnuFormulario"_s,      u"mnuIncluir"_s,
                            u"mnuListagem"_s,   u"mnuProcurar"_s,        u"mnuVerificar"_s,
                            u"tshFolhaDados"_s, u"tshFormulario"_s};
        QTest::newRow("browse-accepted") << dsBrowse << true << false << false << u"A"_s << key
                                         << QStringList {u"mnuAtualizaLoteCTe"_s,
                                                         u"mnuCancelaCTe"_s,
                                                         u"mnuCartaCorrecaoCTe"_s,
                                                         u"mnuEnviaEmailCTe"_s,
                                                         u"mnuEnviaEmailCTeSeleBotao"_s,
                                                         u"mnuEnviaEmailCTeSeleMenu"_s,
                                                         u"mnuFormulario"_s,
                                                         u"mnuImprimir"_s,
                                                         u"mnuIncluir"_s,
                                                         u"mnuListagem"_s,
                                                         u"mnuProcurar"_s,
                                                         u"mnuVerificar"_s,
                                                         u"tshFolhaDados"_s,
                                                         u"tshFormulario"_s};
        QTest::newRow("browse-cancelled")
            << dsBrowse << true << false << false << u"C"_s << key
            << QStringList {u"mnuAtualizaLoteCTe"_s, u"mnuEnviaEmailCTe"_s, u"mnuFormulario"_s,
                            u"mnuIncluir"_s,         u"mnuListagem"_s,      u"mnuProcurar"_s,
                            u"mnuVerificar"_s,       u"tshFolhaDados"_s,    u"tshFormulario"_s};
        QTest::newRow("browse-marked") << dsBrowse << true << false << true << u"P"_s << QString()
                                       << QStringList {u"mnuListagem"_s, u"mnuTransCTe"_s,
                                                       u"mnuVerificar"_s, u"tshFolhaDados"_s};
        QTest::newRow("browse-marked-on-accepted")
            << dsBrowse << true << false << true << u"A"_s << key
            << QStringList {u"mnuAtualizaLoteCTe"_s,
                            u"mnuEnviaEmailCTeSeleBotao"_s,
                            u"mnuEnviaEmailCTeSeleMenu"_s,
                            u"mnuListagem"_s,
                            u"mnuTransCTe"_s,
                            u"mnuVerificar"_s,
                            u"tshFolhaDados"_s};
        QTest::newRow("edit") << dsEdit << true << false << false << u"P"_s << QString()
                              << QStringList {u"mnuCancelar"_s, u"mnuConfirmar"_s,
                                              u"mnuFormulario"_s, u"tshFormulario"_s};
        QTest::newRow("insert-into-empty-list")
            << dsInsert << true << false << false << u"P"_s << QString()
            << QStringList {u"mnuCancelar"_s, u"mnuConfirmar"_s, u"mnuFormulario"_s,
                            u"tshFormulario"_s};
    }

    void commandStates()
    {
        QFETCH(TDataSetState, state);
        QFETCH(bool, open);
        QFETCH(bool, empty);
        QFETCH(bool, marked);
        QFETCH(QString, status);
        QFETCH(QString, accessKey);
        QFETCH(QStringList, expected);
        expected.sort();
        QCOMPARE(enabled({state, open, empty, marked, status, accessKey}), expected);
    }

    void keyColumn_data()
    {
        QTest::addColumn<TDataSetState>("state");
        QTest::addColumn<bool>("empty");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("stored-row") << dsBrowse << false << true;
        QTest::newRow("editing-stored-row") << dsEdit << false << true;
        QTest::newRow("new-row") << dsInsert << false << false;
        QTest::newRow("empty-list") << dsBrowse << true << false;
    }

    void keyColumn()
    {
        QFETCH(TDataSetState, state);
        QFETCH(bool, empty);
        QFETCH(bool, readOnly);
        QCOMPARE(KeyColumnReadOnly(state, empty), readOnly);
    }

    void statusRules_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("editable");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("grey");
        QTest::addColumn<QString>("text");
        QTest::newRow("pending") << u"P"_s << true << false << false << u"Pendente"_s;
        QTest::newRow("rejected") << u"R"_s << true << false << false << u"Rejeitado"_s;
        QTest::newRow("accepted") << u"A"_s << false << true << true << u"Aceito"_s;
        QTest::newRow("transmitted") << u"T"_s << false << true << false << u"Transmitido"_s;
        QTest::newRow("cancelled") << u"C"_s << false << true << true << u"Cancelado"_s;
        QTest::newRow("denied-has-no-text") << u"D"_s << false << true << false << QString();
        QTest::newRow("empty") << QString() << false << false << false << QString();
    }

    void statusRules()
    {
        QFETCH(QString, status);
        QFETCH(bool, editable);
        QFETCH(bool, readOnly);
        QFETCH(bool, grey);
        QFETCH(QString, text);
        TMessages lista;
        lista.SetLines({u"P|Pendente"_s, u"A|Aceito"_s, u"T|Transmitido"_s, u"R|Rejeitado"_s,
                        u"C|Cancelado"_s});
        QCOMPARE(StatusEditable(status), editable);
        QCOMPARE(StatusReadOnly(false, status), readOnly);
        QCOMPARE(StatusReadOnly(true, status), false);
        QCOMPARE(StatusGreyMark(status), grey);
        QCOMPARE(StatusText(status, lista), text);
    }

    void texts()
    {
        TMessages padrao;
        padrao.SetLines({u"RODAPE|Código: %s - Número: %s"_s, u"ENVIADO|Enviado"_s,
                         u"PENDENTE|Pendente"_s,
                         u"OPER_BLOQ_CTE_STATUS|Operação bloqueada. Conhecimento de Transporte "
                         u"Eletrônico com o situação de %s."_s});
        TMessages lista;
        lista.SetLines({u"A|Aceito"_s});
        QCOMPARE(FooterText(false, u"123"_s, u"456"_s, padrao), u"Código: 123 - Número: 456"_s);
        QCOMPARE(FooterText(true, u"123"_s, u"456"_s, padrao), QString());
        QCOMPARE(EmailText(u"E"_s, padrao), u"Enviado"_s);
        QCOMPARE(EmailText(u"P"_s, padrao), u"Pendente"_s);
        QCOMPARE(EmailText(u"X"_s, padrao), u"Pendente"_s);
        QCOMPARE(EmailText(QString(), padrao), QString());
        QCOMPARE(StatusBlockedText(u"A"_s, padrao, lista),
                 u"Operação bloqueada. Conhecimento de Transporte Eletrônico com o situação de "
                 u"aceito."_s);
        QCOMPARE(FormatPercentS(u"%s-%s-%s 100%"_s, {u"a"_s, u"b"_s}), u"a-b- 100%"_s);
    }
};

QTEST_GUILESS_MAIN(TestEditorCommands)
#include "tst_editorcommands.moc"
