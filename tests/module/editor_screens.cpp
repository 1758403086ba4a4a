// Renders the editor's list page and each section page, with sample documents, into PNG files:
//   cte-editor-screens <directory>
// Section pages that scroll are also rendered whole (<page>-inteira.png), to check nothing is
// cut. Run offscreen (QT_QPA_PLATFORM=offscreen) or under xvfb-run.
#include "Cli_Dfs88000.h"
#include "ClientDataSet.h"
#include "EditorSample.h"

#include <QApplication>
#include <QDir>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"."_s);
    dir.mkpath(u"."_s);

    auto *editor = new TfrmCTe;
    editor->Show();
    if (!QTest::qWaitForWindowExposed(editor))
        return 1;
    FillEditorSample(editor);

    auto save = [&dir](QWidget *w, const QString &name) {
        QApplication::processEvents();
        const QString path = dir.filePath(name + u".png"_s);
        if (!w->grab().save(path))
            qWarning("could not write %s", qPrintable(path));
    };
    // The list on the accepted document, whose access key shows under the grid.
    editor->pgcPadrao->setCurrentWidget(editor->tshFolhaDados);
    editor->cdsCTe->Next();
    save(editor, u"lista"_s);
    editor->cdsCTe->First();
    editor->pgcPadrao->setCurrentWidget(editor->tshFormulario);
    for (int i = 0; i < editor->pgcDados->count(); ++i) {
        editor->pgcDados->setCurrentIndex(i);
        QWidget *page = editor->pgcDados->widget(i);
        const QString name = page->objectName().mid(3);
        save(editor, name);
        auto *scb = page->findChild<QScrollArea *>();
        if (scb
            && (scb->verticalScrollBar()->maximum() > 0
                || scb->horizontalScrollBar()->maximum() > 0)) {
            save(scb->widget(), name + u"-inteira"_s);
            qInfo("%s scrolls: %d x %d over %d x %d", qPrintable(name), scb->widget()->width(),
                  scb->widget()->height(), scb->viewport()->width(), scb->viewport()->height());
        }
    }
    delete editor;
    return 0;
}
