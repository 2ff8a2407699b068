#include "ProcessRelauncher.h"

#include <QCoreApplication>
#include <QProcess>

#include <cstdio>

namespace Platform {

ProcessRelauncher::ProcessRelauncher(QString program) : m_program(std::move(program)) {}

bool ProcessRelauncher::relaunch() {
    const QString program = m_program.isEmpty() ? QCoreApplication::applicationFilePath() : m_program;
    QProcess process;
    process.setProgram(program);
    process.setArguments({QString::fromLatin1(relaunchFlag)});
    // startDetached reports a program that could not be executed, not only a failed fork.
    if (!process.startDetached()) {
        std::fprintf(stderr, "Quillstack: could not start a new instance of %s: %s\n", qPrintable(program),
                     qPrintable(process.errorString()));
        return false;
    }
    return true;
}

} // namespace Platform
