// The baseline of the application benchmarks: a bare Qt program, an application object and nothing
// else. With --ready it prints "ready" once the object exists and ends. With --window it shows a
// plain window, prints "viewable" once the window has been painted on screen, and runs on (memory
// at rest is read from it then) until it is terminated. Otherwise it runs its event loop until it
// is terminated.
#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <cstdio>
#include <cstring>

namespace {

// A window that says when it has first been painted.
class ReportingWindow : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), palette().window());
        if (!m_reported) {
            m_reported = true;
            std::printf("viewable\n");
            std::fflush(stdout);
        }
    }

private:
    bool m_reported = false;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--ready") == 0) {
        std::printf("ready\n");
        std::fflush(stdout);
        return 0;
    }
    QApplication::setQuitOnLastWindowClosed(false);
    ReportingWindow window;
    if (argc > 1 && std::strcmp(argv[1], "--window") == 0) {
        window.resize(640, 480);
        window.show();
    }
    return QApplication::exec();
}
