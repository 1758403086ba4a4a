#include "Exceptions.h"
#include "Masks.h"
#include "Messages.h"
#include "Orvglob.h"
#include "RecordingMessageSink.h"
#include "ServerReply.h"
#include "StrUtils.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestCore : public QObject
{
    Q_OBJECT

private slots:
    void init() { Orvglob::Reset(); }

    void catalogueLooksUpKeys()
    {
        TMessages msg(nullptr, u"msgPadrao"_s);
        msg.SetLines({u"EMPRESA_DEVE|Informe a empresa."_s, u""_s, u"# comment"_s,
                      u"TEXTO_COM_BARRA|a|b"_s, u"SEM_TEXTO"_s});
        QCOMPARE(msg.objectName(), u"msgPadrao"_s);
        QCOMPARE(msg.Msg(u"EMPRESA_DEVE"_s), u"Informe a empresa."_s);
        QCOMPARE(msg.Msg(u"TEXTO_COM_BARRA"_s), u"a|b"_s);
        QCOMPARE(msg.Msg(u"SEM_TEXTO"_s), QString());
        QCOMPARE(msg.Msg(u"NAO_EXISTE"_s), QString());
        QCOMPARE(msg.Keys(),
                 (QStringList {u"EMPRESA_DEVE"_s, u"TEXTO_COM_BARRA"_s, u"SEM_TEXTO"_s}));
    }

    void showMsgGoesThroughTheSink()
    {
        RecordingMessageSink sink;
        TMessages msg;
        msg.SetLines({u"PERGUNTA|Deseja continuar?"_s});
        sink.queueAnswer(mbNo);
        QCOMPARE(msg.ShowMsg(u"PERGUNTA"_s, TMsgKind::Question, mbYes | mbNo), int(mbNo));
        // Without a queued answer the default button is chosen: the first in OK, Yes, No order.
        QCOMPARE(ShowMsg(TMsgKind::Question, u"x"_s, mbNo | mbYes), int(mbYes));
        QCOMPARE(ShowMsg(TMsgKind::Question, u"x"_s, mbNo | mbYes, mbNo), int(mbNo));
        QCOMPARE(sink.texts(), (QStringList {u"Deseja continuar?"_s, u"x"_s, u"x"_s}));
        QCOMPARE(sink.entries().first().kind, TMsgKind::Question);
    }

    void mensErroRaisesOrShows()
    {
        RecordingMessageSink sink;
        bool reached = false;
        QVERIFY(!FrameworkGuard([&] {
            MensErro(u"Falhou"_s, true);
            reached = true;
        }));
        QVERIFY(!reached);
        QCOMPARE(sink.lastText(), u"Falhou"_s);
        QCOMPARE(sink.entries().last().kind, TMsgKind::Error);

        MensErro(u"Só aviso"_s, false);
        QCOMPARE(sink.lastText(), u"Só aviso"_s);

        // Abort is silent.
        sink.clear();
        QVERIFY(!FrameworkGuard([] { Abort(); }));
        QVERIFY(sink.entries().isEmpty());
        QVERIFY(FrameworkGuard([] {}));
    }

    void emptyStringAndIif()
    {
        QVERIFY(EmptyString(QString()));
        QVERIFY(EmptyString(u"   \t"_s));
        QVERIFY(!EmptyString(u" x "_s));
        QCOMPARE(iif(true, 1, 2), 1);
        QCOMPARE(iif(false, u"a"_s, u"b"_s), u"b"_s);
    }

    void ajusta_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one-digit-company") << u"1"_s << 2 << u"01"_s;
        QTest::newRow("already-full") << u"01"_s << 2 << u"01"_s;
        QTest::newRow("blanks-dropped") << u" 7 "_s << 4 << u"0007"_s;
        QTest::newRow("empty-stays-empty") << u""_s << 2 << u""_s;
        QTest::newRow("longer-kept") << u"12345"_s << 4 << u"12345"_s;
    }
    void ajusta()
    {
        QFETCH(QString, code);
        QFETCH(int, width);
        QFETCH(QString, expected);
        QCOMPARE(Ajusta(code, width), expected);
    }

    void priDiaMes()
    {
        QCOMPARE(PriDiaMes(QDate(2026, 12, 7)), QDate(2026, 12, 1));
        QCOMPARE(PriDiaMes(QDate(2024, 2, 29)), QDate(2024, 2, 1));
        QVERIFY(!PriDiaMes(QDate()).isValid());
    }

    void decode64()
    {
        QCOMPARE(Decode64(u"UEsDBA==\r\n"_s), QByteArray("PK\x03\x04"));
        RecordingMessageSink sink;
        QVERIFY(!FrameworkGuard([] { Decode64(u"não é base64!"_s); }));
        QVERIFY(!sink.lastText().isEmpty());
    }

    void pictPessAndFormatting_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("bare");
        QTest::addColumn<QString>("shown");
        QTest::newRow("cnpj") << u"J"_s << u"11222333000181"_s << u"11.222.333/0001-81"_s;
        QTest::newRow("cpf") << u"F"_s << u"52998224725"_s << u"529.982.247-25"_s;
        QTest::newRow("no-type-no-mask") << u"X"_s << u"123"_s << u"123"_s;
        QTest::newRow("empty-value") << u"J"_s << u""_s << u""_s;
    }
    void pictPessAndFormatting()
    {
        QFETCH(QString, type);
        QFETCH(QString, bare);
        QFETCH(QString, shown);
        const QString mask = PictPess(type);
        QCOMPARE(FormatMaskText(mask + u";0;_"_s, bare), shown);
        // The same mask given without sections still formats bare digits.
        QCOMPARE(FormatMaskText(mask, bare), shown);
        QCOMPARE(OnlyAlphanumeric(shown), bare);
    }

    void editMasks_data()
    {
        QTest::addColumn<QString>("editMask");
        QTest::addColumn<QString>("qtMask");
        QTest::addColumn<bool>("saveLiterals");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("date") << u"!99/99/0000;1;_"_s << u"00/00/9999;_"_s << true
                              << u"07/12/2026"_s << u"07/12/2026"_s;
        QTest::newRow("two-digits") << u"99;0; "_s << u"00; "_s << false << u"7 "_s << u"7"_s;
        QTest::newRow("sixteen") << u"9999999999999999;0; "_s << u"0000000000000000; "_s << false
                                 << u"123             "_s << u"123"_s;
        QTest::newRow("cnpj-bare") << u"99.999.999/9999-99;0;_"_s << u"00.000.000/0000-00;_"_s
                                   << false << u"11.222.333/0001-81"_s << u"11222333000181"_s;
        QTest::newRow("product-tree") << u"99.999.9999;0;_"_s << u"00.000.0000;_"_s << false
                                      << u"01.001.0001"_s << u"010010001"_s;
        QTest::newRow("escaped-literal")
            << u"\\A-00;1;_"_s << u"\\A-99;_"_s << true << u"A-12"_s << u"A-12"_s;
        QTest::newRow("no-sections") << u"00"_s << u"99;_"_s << true << u"12"_s << u"12"_s;
    }
    void editMasks()
    {
        QFETCH(QString, editMask);
        QFETCH(QString, qtMask);
        QFETCH(bool, saveLiterals);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        const TEditMask mask = TEditMask::Parse(editMask);
        QCOMPARE(mask.ToQtInputMask(), qtMask);
        QCOMPARE(mask.saveLiterals, saveLiterals);
        QCOMPARE(mask.StoredValue(typed), stored);
    }

    void serverReplies()
    {
        RecordingMessageSink sink;
        const QVariant ok = QVariantList {u"S"_s, 42};
        QCOMPARE(CheckResultServ(ok), ok);
        QVERIFY(IsReplyOk(ok));

        QVERIFY(!FrameworkGuard([] { CheckResultServ(u"Servidor fora do ar"_s); }));
        QCOMPARE(sink.lastText(), u"Servidor fora do ar"_s);
        QVERIFY(!FrameworkGuard([] {
            CheckResultServ(QVariantList {u"N"_s, u"Número repetido"_s});
        }));
        QCOMPARE(sink.lastText(), u"Número repetido"_s);
        // A reply in no known form is an error too, never a silent success.
        QVERIFY(!FrameworkGuard([] { CheckResultServ(QVariant()); }));
        QVERIFY(!sink.lastText().isEmpty());
        // Without raising, the error is shown and the reply comes back for the caller.
        const QVariant failed = QVariantList {u"N"_s, u"x"_s};
        QCOMPARE(CheckResultServ(failed, false), failed);
        QCOMPARE(sink.lastText(), u"x"_s);
    }

    void loginValues()
    {
        QCOMPARE(Orvglob::SiglaModulo(Orvglob::ModuloAtiv), u"DFS"_s);
        QCOMPARE(FormatMaskText(Orvglob::DBPict(0), u"010010001"_s), u"01.001.0001"_s);
        QCOMPARE(Orvglob::DBPict(7), QString());
    }
};

QTEST_GUILESS_MAIN(TestCore)
#include "tst_core.moc"
