#include "SettingsView.h"

#include "AppearanceSettingsTab.h"
#include "GeneralSettingsTab.h"
#include "LanguageSettingsTab.h"
#include "PrivacySettingsTab.h"
#include "SettingsTabButton.h"
#include "ShortcutsSettingsTab.h"
#include "SnippetsSettingsTab.h"

#include <UI/Design/Color.h>
#include <UI/Design/Motion.h>

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QPainter>
#include <QVariantAnimation>

#include <algorithm>

namespace UI {

namespace {
// Each button keeps this much room around its card for the hover growth.
constexpr int kCardMargin = 2;
// Above and below the cards, and between them.
constexpr int kTabBarTop = 12;
constexpr int kTabBarBottom = 10;
constexpr int kTabSpacing = 6;

struct TabDescription {
    SettingsTab tab;
    const char* rawValue;
    const char* title;
    const char* symbol;
};

const TabDescription kTabs[] = {
    {SettingsTab::General, "general", QT_TRANSLATE_NOOP("UI::SettingsView", "General"), "gearshape.fill"},
    {SettingsTab::Shortcuts, "shortcuts", QT_TRANSLATE_NOOP("UI::SettingsView", "Shortcuts"),
     "keyboard.fill"},
    {SettingsTab::Snippets, "snippets", QT_TRANSLATE_NOOP("UI::SettingsView", "Snippets"), "note.text"},
    {SettingsTab::Appearance, "appearance", QT_TRANSLATE_NOOP("UI::SettingsView", "Appearance"),
     "paintbrush.fill"},
    {SettingsTab::Privacy, "privacy", QT_TRANSLATE_NOOP("UI::SettingsView", "Privacy"), "lock.fill"},
    {SettingsTab::Language, "language", QT_TRANSLATE_NOOP("UI::SettingsView", "Language"), "globe"},
};

const TabDescription& describe(SettingsTab tab) {
    return kTabs[static_cast<int>(tab)];
}

void setOpacity(QWidget* widget, qreal opacity) {
    if (!widget)
        return;
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(widget->graphicsEffect());
    if (!effect) {
        effect = new QGraphicsOpacityEffect(widget);
        widget->setGraphicsEffect(effect);
    }
    effect->setOpacity(std::clamp(opacity, 0.0, 1.0));
}
} // namespace

SettingsView::SettingsView(SettingsServices services, QWidget* parent)
    : QWidget(parent), m_services(std::move(services)), m_tabBar(new QWidget(this)),
      m_switch(new QVariantAnimation(this)) {
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    auto* bar = new QHBoxLayout(m_tabBar);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(kTabSpacing - 2 * kCardMargin);
    bar->addStretch(1);
    for (const TabDescription& description : kTabs) {
        auto* button =
            new SettingsTabButton(description.title, QString::fromLatin1(description.symbol), m_tabBar);
        button->setObjectName(QStringLiteral("tab.") + QLatin1String(description.rawValue));
        button->setSelected(description.tab == m_tab);
        connect(button, &QAbstractButton::clicked, this, [this, tab = description.tab] { selectTab(tab); });
        bar->addWidget(button);
        m_buttons.append(button);
    }
    bar->addStretch(1);

    connect(m_switch, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        const qreal progress = value.toReal();
        const QRect area = pageArea();
        if (m_page) {
            m_page->move(area.left(), area.top() + qRound((1.0 - progress) * area.height()));
            setOpacity(m_page, progress);
        }
        if (m_leaving) {
            m_leaving->move(area.left(), area.top() + qRound(progress * area.height()));
            setOpacity(m_leaving, 1.0 - progress);
        }
    });
    connect(m_switch, &QVariantAnimation::finished, this, &SettingsView::finishSwitch);

    m_page = makePage(m_tab);
    m_page->show();
}

SettingsView::~SettingsView() = default;

const QList<SettingsTab>& SettingsView::tabs() {
    static const QList<SettingsTab> all{SettingsTab::General,  SettingsTab::Shortcuts,
                                        SettingsTab::Snippets, SettingsTab::Appearance,
                                        SettingsTab::Privacy,  SettingsTab::Language};
    return all;
}

QString SettingsView::rawValue(SettingsTab tab) {
    return QString::fromLatin1(describe(tab).rawValue);
}

SettingsTabButton* SettingsView::tabButton(SettingsTab tab) const {
    return m_buttons.value(static_cast<int>(tab));
}

bool SettingsView::isSwitching() const {
    return m_switch->state() == QAbstractAnimation::Running;
}

int SettingsView::dividerTop() const {
    return kTabBarTop + SettingsTabButton::kCardSize.height() + kTabBarBottom;
}

QRect SettingsView::pageArea() const {
    const int top = dividerTop() + 1;
    return QRect(0, top, width(), std::max(0, height() - top));
}

void SettingsView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_tabBar->setGeometry(0, kTabBarTop - kCardMargin, width(), m_tabBar->sizeHint().height());
    if (!isSwitching() && m_page)
        m_page->setGeometry(pageArea());
    else if (m_page)
        m_page->resize(pageArea().size());
}

void SettingsView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor separator = QS::Color::withOpacity(QS::Color::label(QS::Color::schemeOf(*this)), 0.18);
    painter.fillRect(QRect(0, dividerTop(), width(), 1), QS::Color::withOpacity(separator, 0.45));
}

void SettingsView::selectTab(SettingsTab tab) {
    if (tab == m_tab)
        return;
    // A switch still running ends where it was going before the next one starts.
    if (isSwitching()) {
        m_switch->stop();
        finishSwitch();
    }
    m_tab = tab;
    for (SettingsTab each : tabs())
        tabButton(each)->setSelected(each == tab);

    m_leaving = m_page;
    m_page = makePage(tab);
    const QRect area = pageArea();
    const bool reduceMotion = QS::Motion::reduceMotion();
    if (reduceMotion || !isVisible()) {
        finishSwitch();
    } else {
        m_leaving->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_leaving->setEnabled(false);
        m_page->setGeometry(area.translated(0, area.height()));
        setOpacity(m_page, 0.0);
        m_page->show();
        m_page->raise();
        QS::Motion::runTo(*m_switch, 0.0, 1.0, QS::Motion::spring());
    }
    emit tabChanged(tab);
}

void SettingsView::finishSwitch() {
    if (m_leaving) {
        m_leaving->hide();
        m_leaving->deleteLater();
        m_leaving = nullptr;
    }
    if (m_page) {
        m_page->setGraphicsEffect(nullptr);
        m_page->setGeometry(pageArea());
        m_page->show();
        // In the window's own coordinates: a window manager may have moved the window unseen.
        const QPoint origin = m_page->mapTo(window(), QPoint(0, 0));
        qCDebug(lcSettings, "page %s in place at %d,%d in the window", qPrintable(rawValue(m_tab)),
                origin.x(), origin.y());
    }
}

QWidget* SettingsView::makePage(SettingsTab tab) {
    QWidget* page = nullptr;
    switch (tab) {
    case SettingsTab::General:
        page = new GeneralSettingsTab(m_services, this);
        break;
    case SettingsTab::Shortcuts:
        page = new ShortcutsSettingsTab(this);
        break;
    case SettingsTab::Snippets:
        page = new SnippetsSettingsTab(m_services, this);
        break;
    case SettingsTab::Appearance:
        page = new AppearanceSettingsTab(m_services, this);
        break;
    case SettingsTab::Privacy:
        page = new PrivacySettingsTab(m_services, this);
        break;
    case SettingsTab::Language:
        page = new LanguageSettingsTab(*m_services.language, this);
        break;
    }
    page->setObjectName(QStringLiteral("page.") + rawValue(tab));
    page->setGeometry(pageArea());
    return page;
}

} // namespace UI
