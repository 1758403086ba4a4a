#include "ChildProcess.h"

#include <QProcess>

#include <csignal>
#include <sys/prctl.h>

void EndWithTest(QProcess &process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}
