#include "SchemeFollower.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace QS::Color {

namespace {

// Watches one widget for palette changes and restyles it when its scheme turns. A widget with a
// style sheet takes a whole palette of its own from the sheet and hears of no later change of the
// application's palette: the widget around it is watched too.
class SchemeFollower : public QObject {
public:
    SchemeFollower(QWidget& widget, std::function<void(Scheme)> restyle)
        : QObject(&widget), m_widget(widget), m_restyle(std::move(restyle)), m_scheme(drawnScheme(widget)) {
        widget.installEventFilter(this);
        if (QWidget* around = widget.parentWidget())
            around->installEventFilter(this);
        m_restyle(m_scheme);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if ((watched == &m_widget || watched == m_widget.parentWidget()) &&
            (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)) {
            // The application's change reaches the widgets one by one, in no set order: the scheme
            // is read once every widget has its new palette.
            if (!m_checkPending) {
                m_checkPending = true;
                QMetaObject::invokeMethod(this, &SchemeFollower::check, Qt::QueuedConnection);
            }
        }
        return false;
    }

private:
    void check() {
        m_checkPending = false;
        const Scheme scheme = drawnScheme(m_widget);
        if (scheme == m_scheme)
            return;
        m_scheme = scheme;
        const QString sheet = m_widget.styleSheet();
        m_restyle(scheme);
        // A style sheet that stays as it was is applied again, over the new palette.
        if (!sheet.isEmpty() && m_widget.styleSheet() == sheet)
            m_widget.setStyleSheet(sheet);
    }

    QWidget& m_widget;
    std::function<void(Scheme)> m_restyle;
    Scheme m_scheme;
    bool m_checkPending = false;
};

} // namespace

void follow(QWidget& widget, std::function<void(Scheme)> restyle) {
    new SchemeFollower(widget, std::move(restyle));
}

Scheme drawnScheme(const QWidget& widget) {
    const QWidget* source = &widget;
    while (!source->styleSheet().isEmpty() && source->parentWidget())
        source = source->parentWidget();
    return schemeOf(*source);
}

} // namespace QS::Color
