#pragma once

class QProcess;

// Makes the processes `process` starts end with the test that started them, even when the test
// crashes or is killed: a server left behind would hold its port and files.
void EndWithTest(QProcess &process);
