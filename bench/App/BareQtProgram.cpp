// The baseline of the application benchmarks: a bare Qt program, an application object and nothing
// else. With --ready it prints "ready" once the object exists and ends; otherwise it runs its event
// loop until it is terminated.
#include <QApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--ready") == 0) {
        std::printf("ready\n");
        std::fflush(stdout);
        return 0;
    }
    QApplication::setQuitOnLastWindowClosed(false);
    return QApplication::exec();
}
