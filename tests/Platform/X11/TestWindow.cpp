// A window for tests: one text field, a chosen WM_CLASS and optional application-id properties.
// Prints "window <id>" before it is shown and "text <content>" after every change of the field.
//
//   qs-test-window [--class INSTANCE,CLASS] [--gtk-application-id ID] [--kde-desktop-file NAME]
//                  [--text TEXT --cursor POSITION]
#include <QApplication>
#include <QCommandLineParser>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void setStringProperty(xcb_connection_t* c, xcb_window_t window, const char* name, const QByteArray& value,
                       const char* typeName) {
    auto intern = [c](const char* atomName) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(atomName)), atomName), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return atom;
    };
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, intern(name), intern(typeName), 8,
                        static_cast<uint32_t>(value.size()), value.constData());
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    QCommandLineOption wmClass("class", "WM_CLASS as INSTANCE,CLASS", "class");
    QCommandLineOption gtkId("gtk-application-id", "_GTK_APPLICATION_ID", "id");
    QCommandLineOption kdeFile("kde-desktop-file", "_KDE_NET_WM_DESKTOP_FILE", "name");
    QCommandLineOption text("text", "initial text of the field", "text");
    QCommandLineOption cursor("cursor", "caret position in the initial text", "position");
    parser.addOptions({wmClass, gtkId, kdeFile, text, cursor});
    parser.process(app);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Quillstack test window"));
    auto* layout = new QVBoxLayout(&window);
    auto* field = new QLineEdit(&window);
    field->setObjectName(QStringLiteral("field"));
    layout->addWidget(field);
    field->setText(parser.value(text));
    if (parser.isSet(cursor))
        field->setCursorPosition(parser.value(cursor).toInt());
    window.resize(400, 120);
    QObject::connect(field, &QLineEdit::textChanged, [](const QString& text) {
        std::printf("text %s\n", text.toUtf8().constData());
        std::fflush(stdout);
    });

    // Properties go on before the window is mapped, as real applications do.
    auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11->connection();
    const auto id = static_cast<xcb_window_t>(window.winId());
    if (parser.isSet(wmClass)) {
        QByteArray value = parser.value(wmClass).toUtf8();
        value.replace(',', '\0');
        value.append('\0');
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            static_cast<uint32_t>(value.size()), value.constData());
    }
    if (parser.isSet(gtkId))
        setStringProperty(c, id, "_GTK_APPLICATION_ID", parser.value(gtkId).toUtf8(), "UTF8_STRING");
    if (parser.isSet(kdeFile))
        setStringProperty(c, id, "_KDE_NET_WM_DESKTOP_FILE", parser.value(kdeFile).toUtf8(), "UTF8_STRING");

    std::printf("window %u\n", id);
    std::fflush(stdout);
    window.show();
    field->setFocus();
    return app.exec();
}
