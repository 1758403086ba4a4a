#pragma once

#include "Messages.h"
#include "RecordingMessageSink.h"
#include "ServerHarness.h"

#include <QObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

class QAction;
class QLineEdit;
class QWidget;
class TDBGrid;
class TDBLookupComboBox;
class TfrmCTe;

// Posted deletes and events run now: a closed window is gone afterwards.
void flushDeletes();

// What every test of the real editor shares: a demo database and a cte-server on a loopback
// port for the run, the session globals and a message sink for each case, the editor window,
// and the user's gestures on it. A test class derives from it; a slot of its own of the same
// name (initTestCase, init, cleanup, cleanupTestCase) replaces the one given here.
class EditorFixture : public QObject
{
    Q_OBJECT

protected slots:
    void initTestCase() { startServer(); }
    // Each case starts with the editor open on the run's server.
    void init()
    {
        beginCase(m_server->port());
        openEditor();
    }
    void cleanup() { endCase(); }
    void cleanupTestCase() { stopServer(); }

protected:
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<ServerProcess> m_server;
    std::unique_ptr<RecordingMessageSink> m_sink;
    TfrmCTe *m_frm = nullptr;

    // --- set-up and tear-down -------------------------------------------------------------
    // Starts the server over the run's database (made first when there is none yet).
    void startServer(const QStringList &args = {}, const QProcessEnvironment &env = {});
    void stopServer();
    // Session globals for company 01 against the server on `port`, and a fresh sink.
    void beginCase(int port);
    // Opens the editor as the host does; its show connects and seeds the company.
    void openEditor();
    // Drops what the case left in edit, closes the editor and resets the module's units.
    void endCase();

    // --- the list -------------------------------------------------------------------------
    // The offscreen platform gives the activation back to no window once a modal one closes.
    void activate();
    // Leaving the company panel: the filter opens and its confirm loads the list.
    void confirmaFiltroAoSairDoPainel();
    // Lists as the user does: leaving the company panel opens the filter, whose confirm loads
    // the list. The filter is then widened to every date and the situations given (letters of
    // "ACDPRT"), and the list is loaded again.
    void listar(const QString &situacoes = QStringLiteral("ACDPRT"));

    // The list's marks ("S" or "N"), row by row.
    QStringList marcas() const;

    // --- commands, fields and pages -------------------------------------------------------
    QAction *acao(const QString &name) const;
    // Triggers the command, which must be there and enabled.
    void trigger(const QString &name);
    QString campo(const QString &name) const;
    double valor(const QString &name) const;
    void atribui(const QString &name, const QString &value);
    // Operation type and route (Campinas to São Paulo) as accepted values: the save checks
    // them first. A route change empties the service.
    void atribuiRota();
    // A referenced invoice taken as it is: its look-up on the server is not what is tested.
    void anexaDocumentoFiscal();
    // Shows `page` of the form.
    void pagina(QWidget *page);

    // --- typing and focus -----------------------------------------------------------------
    // Puts the focus in `w` and waits until it has it.
    static void foca(QWidget *w);
    // Puts the focus in `edit` (its enter runs) and types `text` over its content.
    void digita(QLineEdit *edit, const QString &text);
    // Moves the focus to `to`; a failed exit check keeps it where it was.
    void vaiPara(QWidget *to);
    // Leaves `edit`, which has the focus, for `to` (its exit runs).
    void sai(QWidget *edit, QWidget *to);
    // Types into whatever has the focus, one key at a time (the first opens a cell editor).
    static void tecla(const QString &text);
    // Picks `key` in a drop-down with the arrow keys, as the user does.
    void escolhe(TDBLookupComboBox *combo, const QString &key);
    // Opens a look-up list with `open` and answers it: `act` gets its grid, then OK is
    // clicked. The editor is active again afterwards.
    void pesquisa(const std::function<void()> &open, const std::function<void(TDBGrid *)> &act);
    // F9 pressed inside `edit` opens its look-up list; the row whose `keyField` is `key` is
    // chosen.
    void pesquisaF9(QLineEdit *edit, const QString &keyField, const QVariant &key);

    // --- what the case saw ----------------------------------------------------------------
    QStringList textsOf(TMsgKind kind) const;
    int errors() const { return int(textsOf(TMsgKind::Error).size()); }
    QString lastError() const;
    // How many calls of `operation` the server has logged.
    qsizetype calls(const QString &operation) const;
    // A statement on the run's database, behind the server's back: the first column of its
    // first row. A failure ends the run.
    QVariant sql(const QString &text, const QVariantList &args = {}) const;
    int count(const QString &text, const QVariantList &args = {}) const
    {
        return sql(text, args).toInt();
    }
};
