#pragma once

#include <QStringList>

class QProcess;

// Makes the processes `process` starts end with the test that started them, even when the test
// crashes or is killed: a server left behind would hold its port and files.
void EndWithTest(QProcess &process);

// Runs a command-line tool to its end: true when it exits with 0; `output` gets what it wrote
// (standard output and error together).
bool RunTool(const QString &program, const QStringList &args, QString *output);
