#pragma once

#include <QWidget>

class QToolButton;
class TDataSource;

// The navigator: first, prior, next, last, insert, delete, edit, post, cancel and refresh on the
// data source's dataset (buttons nbFirst ... nbRefresh), enabled by the dataset's state and
// position. OnClick runs before the button's own action and may Abort it.
class TDBNavigator : public QWidget
{
    Q_OBJECT
public:
    enum Button {
        nbFirst,
        nbPrior,
        nbNext,
        nbLast,
        nbInsert,
        nbDelete,
        nbEdit,
        nbPost,
        nbCancel,
        nbRefresh
    };

    explicit TDBNavigator(QWidget *parent = nullptr, const QString &name = {});

    void SetDataSource(TDataSource *source);
    TDataSource *DataSource() const { return m_source; }
    QToolButton *ButtonOf(Button button) const;
    // Shows only `buttons` (all by default).
    void SetVisibleButtons(const QList<Button> &buttons);

    std::function<void(Button button)> OnClick;

private:
    void run(Button button);
    void refreshButtons();

    QList<QToolButton *> m_buttons;
    TDataSource *m_source = nullptr;
    QList<QMetaObject::Connection> m_connections;
};
