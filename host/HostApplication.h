#pragma once

#include <QApplication>

// The host's application object. Every handler of ours already enters through FrameworkGuard;
// notify() is the last net for an exception that escaped one: it is shown and the event ends,
// instead of unwinding through Qt.
class THostApplication : public QApplication
{
    Q_OBJECT
public:
    THostApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};
