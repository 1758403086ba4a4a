// An automation plug-in for the host: drives the package's windows through the host's menus, the
// way a person would, and answers every dialog it meets. Returns 0 when everything was as
// expected, otherwise the number of the first step that was not (and says why on stderr).
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLibrary>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

int g_failed = 0;

void fail(int step, const QString &why)
{
    if (g_failed == 0) {
        g_failed = step;
        std::fprintf(stderr, "automation step %d: %s\n", step, qPrintable(why));
    }
}

void expect(int step, bool ok, const QString &why)
{
    if (!ok)
        fail(step, why);
}

// Runs `act` on the next modal window, from outside the timer that found it.
void whenModal(std::function<void(QWidget *)> act)
{
    auto *timer = new QTimer(qApp);
    QWidget *before = QApplication::activeModalWidget();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act, before] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == before || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        QPointer<QWidget> target(modal);
        QTimer::singleShot(0, qApp, [act, target] {
            if (target)
                act(target);
        });
    });
    timer->start(5);
}

void press(QWidget *window, const QString &button)
{
    if (auto *b = window->findChild<QAbstractButton *>(button))
        b->click();
    else
        window->close();
}

QString codTela(QWidget *w)
{
    auto *label = w->findChild<QLabel *>(u"lblCodTela"_s);
    return label ? label->text() : QString();
}

int missingPackage(QWidget *mainWindow)
{
    QString text;
    whenModal([&](QWidget *w) {
        if (auto *box = qobject_cast<QMessageBox *>(w))
            text = box->text();
        press(w, u"btnOK"_s);
    });
    mainWindow->findChild<QAction *>(u"actEditorCTe"_s)->trigger();
    expect(1, text.contains(u"Pkg_Dfs88000"_s), u"no clear message, got: "_s + text);
    expect(2, mainWindow->isVisible(), u"host went away"_s);
    return g_failed;
}

int allWindows(QWidget *mainWindow)
{
    auto *area = mainWindow->findChild<QMdiArea *>(u"mdiArea"_s);
    auto action = [&](const QString &name) {
        return mainWindow->findChild<QAction *>(name);
    };

    // The editor, twice: one MDI child, restored. There is no server at the address given, so
    // opening it shows an error that names the address; every box it raises is answered.
    QStringList editorMessages;
    auto *answerer = new QTimer(qApp);
    QObject::connect(answerer, &QTimer::timeout, answerer, [&editorMessages] {
        QPointer<QMessageBox> box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || box->property("answered").toBool())
            return;
        box->setProperty("answered", true);
        editorMessages << box->text();
        QTimer::singleShot(0, qApp, [box] {
            if (box)
                press(box, u"btnOK"_s);
        });
    });
    answerer->start(5);
    action(u"actEditorCTe"_s)->trigger();
    expect(10, area->subWindowList().size() == 1, u"no editor child"_s);
    if (g_failed)
        return g_failed;
    QMdiSubWindow *editor = area->subWindowList().first();
    expect(11, editor->widget()->objectName() == u"frmCTe"_s, editor->widget()->objectName());
    expect(12, editor->widget()->windowTitle() == u"Conhecimento de Transporte Eletrônico"_s,
           editor->widget()->windowTitle());
    expect(13, codTela(editor->widget()) == u"DFS88000"_s, codTela(editor->widget()));
    editor->showMinimized();
    action(u"actEditorCTe"_s)->trigger();
    expect(14, area->subWindowList().size() == 1, u"a second editor"_s);
    expect(15, !editor->isMinimized(), u"editor not restored"_s);
    answerer->stop();
    answerer->deleteLater();
    expect(16,
           std::any_of(editorMessages.cbegin(), editorMessages.cend(),
                       [](const QString &m) { return m.contains(u"127.0.0.1:1"_s); }),
           u"no connection error naming the server: "_s + editorMessages.join(u" | "_s));

    // The batch status window, modal, closed with Cancelar. Its list comes from the server, out
    // of reach here: the load's error is a message box first.
    QString title, loadError;
    std::function<void(QWidget *)> batch = [&](QWidget *w) {
        if (auto *box = qobject_cast<QMessageBox *>(w)) {
            loadError = box->text();
            whenModal(batch);
            press(box, u"btnOK"_s);
            return;
        }
        title = w->windowTitle();
        expect(20, codTela(w) == u"DFS88200"_s, codTela(w));
        press(w, u"sbtCancel"_s);
    };
    whenModal(batch);
    action(u"actAtualizaLoteCTe"_s)->trigger();
    expect(21, title == u"Atualização do Lote do CT-e"_s, title);
    expect(22, !loadError.isEmpty(), u"no error for the batch list"_s);

    // The DACTE: the host asks the code, the window opens, printing runs the host's report
    // "DFS890", whose data preparation asks the unreachable server: a message box naming it;
    // then the window is closed.
    QString question, dacteTitle, message;
    whenModal([&](QWidget *ask) {
        auto *input = qobject_cast<QInputDialog *>(ask);
        question = input ? input->labelText() : QString();
        if (!input) {
            ask->close();
            return;
        }
        whenModal([&](QWidget *dacte) {
            dacteTitle = dacte->windowTitle();
            whenModal([&](QWidget *box) {
                if (auto *b = qobject_cast<QMessageBox *>(box))
                    message = b->text();
                press(box, u"btnOK"_s);
                press(dacte, u"sbtCancel"_s);
            });
            press(dacte, u"sbtConfirma"_s);
        });
        input->setIntValue(42);
        input->accept();
    });
    action(u"actDACTE"_s)->trigger();
    expect(30, !question.isEmpty(), u"no code asked"_s);
    expect(31, dacteTitle.startsWith(u"DACTE"_s), dacteTitle);
    expect(32, message.contains(u"127.0.0.1:1"_s), u"report message: "_s + message);

    // Every entry point of the package is there, resolved by name as the host does.
    QLibrary package(QCoreApplication::applicationDirPath() + u"/Pkg_Dfs88000"_s);
    for (const char *name :
         {"IniProc", "CriaCTe", "CriaFiltroCTe", "CriaAtualizaLoteCTe", "CriaDACTE",
          "CriaCancelaCTe", "CriaEnvioEmailCTe", "CriaDetalheRetorno", "CriaObservacao"})
        expect(35, package.resolve(name) != nullptr, QString::fromLatin1(name));

    expect(40, mainWindow->isVisible(), u"host went away"_s);
    std::printf("automation: all windows opened\n");
    return g_failed;
}

} // namespace

extern "C" Q_DECL_EXPORT int HostAutomation(QWidget *mainWindow)
{
    if (qEnvironmentVariable("CTE_AUTOMATION_SCENARIO") == u"missing-package")
        return missingPackage(mainWindow);
    return allWindows(mainWindow);
}
