#pragma once

#include <QBasicTimer>
#include <QPointer>
#include <QWidget>

// The widget behind ActiveShowAvi: covers its parent window, dims it and turns a ring of dots
// with a caption. objectName "frmShowAvi"; property "frame" counts the steps painted, so tests
// can see it keeps moving while a call waits.
class TBusyOverlay : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int frame READ frame)
public:
    explicit TBusyOverlay(QWidget *parent);

    void setText(const QString &text);
    QString text() const { return m_text; }
    int frame() const { return m_frame; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void coverParent();

    QBasicTimer m_timer;
    QString m_text;
    int m_frame = 0;
};
