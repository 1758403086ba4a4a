#pragma once

#include <QDialog>

class QVBoxLayout;
class TDBGrid;
class TMessages;

// A plain dialog centred on the screen with one read-only grid that shows a data source of the
// editor window, found by name each time the dialog is shown (the editor may have been recreated
// since the last visit). Closing only hides it; it is shown again as it is.
class TEditorResultWindow : public QDialog
{
    Q_OBJECT
public:
    TEditorResultWindow(QWidget *parent, const QString &windowName, const QString &catalogue,
                        const QString &gridName, const QString &editorDataSource);

    TMessages *msgPadrao = nullptr;
    QVBoxLayout *ClientLayout() const { return m_layout; }

protected:
    void showEvent(QShowEvent *event) override;
    // Gives the window its size and centres it on the screen.
    void PosicionaNoCentro(const QSize &size);
    TDBGrid *grid() const { return m_grid; }

private:
    QVBoxLayout *m_layout = nullptr;
    TDBGrid *m_grid = nullptr;
    QString m_editorDataSource;
};
