#include "BusyAnimation.h"
#include "BusyOverlay.h"
#include "ContainerFocus.h"
#include "ControlStyle.h"
#include "Exceptions.h"
#include "GuiMessageSink.h"
#include "HostWindow.h"
#include "ModalHelper.h"
#include "RecordingMessageSink.h"
#include "ReportDesigner.h"
#include "TfrmPadrao.h"
#include "TfrmRotiGeral.h"

#include <QAbstractButton>
#include <QAction>
#include <QEventLoop>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

class ProbeRotiGeral : public TfrmRotiGeral
{
public:
    TCloseAction action = caFree;
    bool failConfirm = false;
    int shows = 0;
    int confirms = 0;

protected:
    void FormShow() override { ++shows; }
    void FormClose(TCloseAction &a) override { a = action; }
    void sbtConfirmaClick() override
    {
        ++confirms;
        if (failConfirm)
            MensErro(u"Valor inválido."_s, true);
        TfrmRotiGeral::sbtConfirmaClick();
    }
};

class ProbePadrao : public TfrmPadrao
{
public:
    int shows = 0;
    int includes = 0;
    TCloseAction action = caFree;

protected:
    void FormShow() override { ++shows; }
    void FormClose(TCloseAction &a) override { a = action; }
    void Incluir() override
    {
        ++includes;
        MensErro(u"Inclusão bloqueada."_s, true);
    }
};

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace

class TestUiFrame : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        SetHostMdiArea(nullptr);
        DeactiveShowAvi();
        flushDeletes();
    }

    // Closing a routine window: released, hidden and kept, or refused, as FormClose says.
    void routineWindowClose_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<bool>("alive");
        QTest::addColumn<bool>("visible");
        QTest::newRow("free-releases") << int(caFree) << false << false;
        QTest::newRow("hide-keeps") << int(caHide) << true << false;
        QTest::newRow("none-stays-open") << int(caNone) << true << true;
    }
    void routineWindowClose()
    {
        QFETCH(int, action);
        QFETCH(bool, alive);
        QFETCH(bool, visible);
        QPointer<ProbeRotiGeral> w = new ProbeRotiGeral;
        w->action = TCloseAction(action);
        w->show();
        QCOMPARE(w->shows, 1);
        w->findChild<QToolButton *>(u"sbtCancel"_s)->click();
        flushDeletes();
        QCOMPARE(!w.isNull(), alive);
        if (w) {
            QCOMPARE(w->isVisible(), visible);
            delete w;
        }
    }

    // A handler that raises shows the error and ends only that handler: the window stays up.
    void errorInHandlerEndsTheHandlerOnly()
    {
        RecordingMessageSink sink;
        QPointer<ProbeRotiGeral> w = new ProbeRotiGeral;
        w->failConfirm = true;
        bool stillOpen = false;
        WhenModal([&](QWidget *) {
            w->findChild<QToolButton *>(u"sbtConfirma"_s)->click();
            stillOpen = w->isVisible();
            w->failConfirm = false;
            w->findChild<QToolButton *>(u"sbtConfirma"_s)->click();
        });
        const int result = w->ShowModal();
        QVERIFY(stillOpen);
        QCOMPARE(w->confirms, 2);
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(sink.texts(), QStringList {u"Valor inválido."_s});
        flushDeletes();
        QVERIFY(w.isNull());
    }

    // The maintenance window lives in the host's MDI area, once; its commands run guarded.
    void maintenanceWindowInMdiArea()
    {
        RecordingMessageSink sink;
        QMdiArea area;
        area.show();
        SetHostMdiArea(&area);
        QCOMPARE(HostMdiArea(), &area);
        QPointer<ProbePadrao> w = new ProbePadrao;
        w->Show();
        w->Show();
        QCOMPARE(area.subWindowList().size(), 1);
        QCOMPARE(w->shows, 1);
        QVERIFY(w->SubWindow());

        w->SetWindowState(wsMinimized);
        QCOMPARE(w->WindowState(), wsMinimized);
        w->SetWindowState(wsNormal);
        QCOMPARE(w->WindowState(), wsNormal);
        QCOMPARE(w->shows, 1); // restoring is not showing anew

        // The tool button follows its menu item.
        w->mnuIncluir->setEnabled(false);
        QVERIFY(!w->sbtIncluir->isEnabled());
        w->mnuIncluir->setEnabled(true);
        w->sbtIncluir->click();
        QCOMPARE(w->includes, 1);
        QCOMPARE(sink.lastText(), u"Inclusão bloqueada."_s);
        QCOMPARE(w->msgMensagensPadroes->HasKey(u"Canc"_s), true);
        QVERIFY(!w->msgMensagensPadroes->Msg(u"Canc"_s).isEmpty());

        // Refusing to close keeps window and frame.
        w->action = caNone;
        w->Close();
        flushDeletes();
        QVERIFY(w);
        QCOMPARE(area.subWindowList().size(), 1);

        w->action = caFree;
        w->findChild<QToolButton *>(u"sbtFechar"_s)->click();
        flushDeletes();
        QVERIFY(w.isNull());
        QCOMPARE(area.subWindowList().size(), 0);
    }

    void tagsAndColours()
    {
        QLineEdit input, display;
        StyleAsInput(&input);
        StyleAsDisplay(&display);
        QCOMPARE(Tag(&input), 1);
        QCOMPARE(Tag(&display), 0);
        QVERIFY(input.isEnabled());
        QVERIFY(!display.isEnabled());
        QCOMPARE(input.palette().color(QPalette::Base),
                 input.palette().color(QPalette::ToolTipBase));
        QCOMPARE(display.palette().color(QPalette::Disabled, QPalette::Base),
                 display.palette().color(QPalette::Active, QPalette::Window));
    }

    // Enter and exit of containers, and an exit check that refuses the move.
    void containerEnterAndExit()
    {
        // Declared before the window: its destruction moves the focus and runs the handlers.
        RecordingMessageSink sink;
        QStringList events;
        bool refuseExit = false;
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *outside = new QLineEdit;
        layout->addWidget(outside);
        auto *panA = new QWidget;
        auto *panB = new QWidget;
        auto *a1 = new QLineEdit(panA);
        auto *a2 = new QLineEdit(panA);
        auto *b1 = new QLineEdit(panB);
        auto *la = new QVBoxLayout(panA);
        la->addWidget(a1);
        la->addWidget(a2);
        (new QVBoxLayout(panB))->addWidget(b1);
        layout->addWidget(panA);
        layout->addWidget(panB);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        outside->setFocus();

        ContainerFocus::Watch(
            panA, [&] { events << u"enterA"_s; },
            [&] {
                events << u"exitA"_s;
                if (refuseExit)
                    MensErro(u"Empresa inválida."_s, true);
            });
        ContainerFocus::Watch(
            panB, [&] { events << u"enterB"_s; }, [&] { events << u"exitB"_s; });

        a1->setFocus();
        QCOMPARE(events, QStringList {u"enterA"_s});
        a2->setFocus(); // inside the same container: nothing
        QCOMPARE(events, QStringList {u"enterA"_s});
        b1->setFocus();
        QCOMPARE(events, (QStringList {u"enterA"_s, u"exitA"_s, u"enterB"_s}));

        events.clear();
        a1->setFocus();
        QCOMPARE(events, (QStringList {u"exitB"_s, u"enterA"_s}));

        events.clear();
        refuseExit = true;
        b1->setFocus();
        QCOMPARE(events, QStringList {u"exitA"_s});
        QCOMPARE(QApplication::focusWidget(), a1);
        QCOMPARE(sink.lastText(), u"Empresa inválida."_s);

        // Another receiver of the same signal acts on the refused move afterwards, as an MDI
        // subwindow that follows a Tab does: once the signal is over, the focus is back where the
        // check put it, and the check did not run again.
        QCoreApplication::processEvents();
        events.clear();
        sink.clear();
        bool followed = false;
        const auto follower
            = connect(qApp, &QApplication::focusChanged, &window, [&](QWidget *, QWidget *now) {
                  if (now == b1 && !std::exchange(followed, true))
                      b1->setFocus(Qt::TabFocusReason);
              });
        b1->setFocus();
        QCoreApplication::processEvents();
        disconnect(follower);
        QVERIFY(followed);
        QCOMPARE(events, QStringList {u"exitA"_s});
        QCOMPARE(sink.texts(), QStringList {u"Empresa inválida."_s});
        QCOMPARE(QApplication::focusWidget(), a1);
    }

    // A maintenance window destroyed while the focus is inside one of its watched containers:
    // QWidget's destructor moves the focus away, when the descendant that owns the handlers is
    // already gone; no handler may run then.
    void containerHandlersDroppedWithTheWindow()
    {
        struct Owner : TfrmPadrao
        {
            QWidget *pan = new QWidget(this);
            QLineEdit *edit = new QLineEdit(pan);
            bool *alive;
            int *calledDead;
            Owner(bool *a, int *d)
                : alive(a)
                , calledDead(d)
            {
                ContainerFocus::Watch(
                    pan, [this] { check(); }, [this] { check(); });
            }
            ~Owner() override { *alive = false; }
            void check()
            {
                if (!*alive)
                    ++*calledDead;
            }
        };
        bool alive = true;
        int calledDead = 0;
        auto *window = new Owner(&alive, &calledDead);
        window->Show();
        QVERIFY(QTest::qWaitForWindowActive(window->window()));
        window->edit->setFocus();
        QCOMPARE(QApplication::focusWidget(), window->edit);
        delete window;
        QVERIFY(!alive);
        QCOMPARE(calledDead, 0);
    }

    // The animation keeps turning while a synchronous wait spins a local loop.
    void busyAnimationKeepsPainting()
    {
        QWidget window;
        window.resize(400, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        ActiveShowAvi(6);
        QVERIFY(ShowAviActive());
        auto *overlay = window.findChild<TBusyOverlay *>(u"frmShowAvi"_s);
        QVERIFY(overlay);
        QCOMPARE(overlay->text(), FwMsg(u"FW_AVI_CARREGANDO"_s));
        QCOMPARE(overlay->geometry(), window.rect());
        const int before = overlay->frame();

        QEventLoop wait; // what the network client does while a call is in flight
        QTimer::singleShot(400, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
        QVERIFY(overlay->frame() > before + 1);

        ActiveShowAvi(1, u"Transmitindo"_s);
        QCOMPARE(overlay->text(), u"Transmitindo"_s);
        DeactiveShowAvi();
        QVERIFY(!ShowAviActive());
        {
            TShowAviScope scope(1);
            QVERIFY(ShowAviActive());
        }
        QVERIFY(!ShowAviActive());
    }

    void reportDesignerRunsByCode()
    {
        RecordingMessageSink sink;
        TReportDesigner rpdd;
        QStringList steps;
        rpdd.ReportCode = u"TST001"_s;
        rpdd.OnBeforeQueryParams = [&] {
            steps << u"before"_s;
        };
        TReportDesigner::RegisterReport(
            u"TST001"_s, [&](TReportDesigner &d) { steps << u"run:"_s + d.objectName(); });
        QVERIFY(FrameworkGuard([&] { rpdd.Execute(); }));
        QCOMPARE(steps, (QStringList {u"before"_s, u"run:rpddPadrao"_s}));

        // A failing preparation stops the run.
        steps.clear();
        rpdd.OnBeforeQueryParams = [&] {
            MensErro(u"Sem dados."_s, true);
        };
        QVERIFY(!FrameworkGuard([&] { rpdd.Execute(); }));
        QVERIFY(steps.isEmpty());
        QCOMPARE(sink.lastText(), u"Sem dados."_s);

        rpdd.OnBeforeQueryParams = nullptr;
        TReportDesigner::UnregisterReport(u"TST001"_s);
        QVERIFY(!FrameworkGuard([&] { rpdd.Execute(); }));
        QCOMPARE(sink.lastText(), FwMsg(u"FW_RELATORIO_INEXISTENTE"_s).arg(u"TST001"_s));
    }

    // The GUI sink shows an ordinary modal box that can be found and answered.
    void guiSinkShowsAnswerableBoxes_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QString>("press");
        QTest::addColumn<int>("answer");
        QTest::newRow("question-no")
            << int(TMsgKind::Question) << int(mbYes | mbNo) << u"btnNo"_s << int(mbNo);
        QTest::newRow("question-yes")
            << int(TMsgKind::Question) << int(mbYes | mbNo) << u"btnYes"_s << int(mbYes);
        QTest::newRow("info-ok") << int(TMsgKind::Information) << int(mbOK) << u"btnOK"_s
                                 << int(mbOK);
        QTest::newRow("escape-cancels")
            << int(TMsgKind::Warning) << int(mbOK | mbCancel) << u"<escape>"_s << int(mbCancel);
    }
    void guiSinkShowsAnswerableBoxes()
    {
        QFETCH(int, kind);
        QFETCH(int, buttons);
        QFETCH(QString, press);
        QFETCH(int, answer);
        TGuiMessageSink sink;
        QString text, title;
        WhenModal([&](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            QVERIFY(box);
            text = box->text();
            title = box->windowTitle();
            if (press == u"<escape>")
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->findChild<QAbstractButton *>(press)->click();
        });
        QCOMPARE(ShowMsg(TMsgKind(kind), u"Deseja continuar?"_s, buttons), answer);
        QCOMPARE(text, u"Deseja continuar?"_s);
        QVERIFY(!title.isEmpty());
    }
};

QTEST_MAIN(TestUiFrame)
#include "tst_ui_frame.moc"
