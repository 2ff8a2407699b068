#include "HistoryView.h"

#include "HistoryContextMenu.h"
#include "ItemRowDelegate.h"

#include <Analysis/FutureDelivery.h>
#include <Capture/VeskIntegration.h>
#include <Hotkeys/Shortcut.h>
#include <Platform/Workspace.h>
#include <Storage/HistoryStore.h>
#include <Storage/ImageStore.h>
#include <UI/Design/AppIconCache.h>
#include <UI/Design/Color.h>
#include <UI/Design/Font.h>
#include <UI/Design/KeyNotation.h>
#include <UI/Design/Motion.h>
#include <UI/Design/QSKeyCap.h>
#include <UI/Design/SchemeFollower.h>
#include <UI/Design/SymbolIcon.h>
#include <UI/Design/ThinScrollbarConfigurator.h>
#include <UI/Design/Transition.h>
#include <UI/Design/VisualEffectBackground.h>
#include <UI/Design/WindowDragHandle.h>
#include <UI/Preview/PreviewPane.h>
#include <UI/Preview/QuickLookView.h>
#include <UI/Preview/VeskPromoOverlay.h>

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <QtConcurrent/QtConcurrentRun>

namespace {

using QS::Color::Scheme;

constexpr qreal kPaneCornerRadius = 14;
// The opacities between which the warning's orange tint pulses; at rest it shows the lower one.
constexpr qreal kWarningTintRest = 0.18;
constexpr qreal kWarningTintPeak = 0.32;

// A widget drawn by a function: the panel's capsules, cards and strips.
class PaintedBox : public QWidget {
public:
    using Painter = std::function<void(QPainter&, const QWidget&)>;
    explicit PaintedBox(Painter paint, QWidget* parent = nullptr)
        : QWidget(parent), m_paint(std::move(paint)) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        m_paint(painter, *this);
    }

private:
    Painter m_paint;
};

QLabel* symbolLabel(const QString& name, int size, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(SymbolIcon::pixmap(name, size, color, parent ? parent->devicePixelRatioF() : 1.0));
    label->setFixedSize(size, size);
    return label;
}

// A colour of the design for the scheme a widget is drawn in.
using Tint = QColor (*)(Scheme);

QColor brandTint(Scheme) {
    return QS::Color::brand();
}

QColor whiteTint(Scheme) {
    return Qt::white;
}

// A plain-text label whose colour follows the appearance.
QLabel* textLabel(const QString& text, const QFont& font, Tint tint, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    QS::Color::follow(*label, [label, tint](Scheme scheme) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, tint(scheme));
        label->setPalette(palette);
    });
    return label;
}

// One kind-filter chip: a capsule, filled with the brand gradient while it is the chosen filter.
class FilterChip : public QAbstractButton {
public:
    FilterChip(ItemFilter filter, QWidget* parent) : QAbstractButton(parent), m_filter(filter) {
        setCheckable(true);
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
        setObjectName(QStringLiteral("chip_") + ItemFilters::rawValue(filter));
        setText(ItemFilters::title(filter));
    }
    ItemFilter filter() const { return m_filter; }
    QSize sizeHint() const override {
        const QFontMetrics metrics(QS::Font::system(11, QFont::Bold));
        return {11 + 10 + 5 + metrics.horizontalAdvance(text()) + 11, metrics.height() + 12};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const Scheme scheme = QS::Color::schemeOf(*this);
        const QColor brand = QS::Color::brand();
        const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        const qreal radius = bounds.height() / 2;
        // The chosen chip's fill is the highlight behind the chips, which glides between them.
        painter.setBrush(isChecked() ? QBrush(Qt::NoBrush) : QBrush(QS::Color::glassFill(scheme)));
        painter.setPen(QPen(isChecked() ? QS::Color::withOpacity(brand, 0.55)
                                        : QS::Color::withOpacity(QS::Color::cardStroke(scheme), 0.6),
                            1));
        painter.drawRoundedRect(bounds, radius, radius);
        // The soft brand colour reads on the dark highlight only; on the light one a deep brand colour.
        const QColor chosen = scheme == Scheme::Dark ? QS::Color::brandSoft() : brand.darker(150);
        const QColor foreground = isChecked() ? chosen : QS::Color::secondaryText(scheme);
        const QPixmap symbol =
            SymbolIcon::pixmap(ItemFilters::symbolName(m_filter), 10, foreground, devicePixelRatioF());
        painter.drawPixmap(QPointF(11, (height() - 10) / 2.0), symbol);
        painter.setFont(QS::Font::system(11, isChecked() ? QFont::Bold : QFont::DemiBold));
        painter.setPen(foreground);
        painter.drawText(QRectF(11 + 10 + 5, 0, width() - 26, height()), Qt::AlignLeft | Qt::AlignVCenter,
                         text());
    }

private:
    ItemFilter m_filter;
};

// The chosen chip's fill: a capsule with the brand gradient and a soft brand shadow, placed behind
// the chips so that it can glide from one chip to the next.
class ChipHighlight : public QWidget {
public:
    static constexpr int kShadowMargin = 4;
    explicit ChipHighlight(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("chipHighlight"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    // The geometry that puts the capsule exactly over `chip`.
    static QRect around(const QRect& chip) {
        return chip.adjusted(-kShadowMargin, -kShadowMargin, kShadowMargin, kShadowMargin);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor brand = QS::Color::brand();
        const QRectF capsule = QRectF(rect()).adjusted(kShadowMargin + 0.5, kShadowMargin + 0.5,
                                                       -kShadowMargin - 0.5, -kShadowMargin - 0.5);
        const qreal radius = capsule.height() / 2;
        // Shadow: brand at 0.25, spread a few points and offset one down, fading outwards.
        painter.setPen(Qt::NoPen);
        for (int spread = kShadowMargin; spread >= 1; --spread) {
            const QRectF layer = capsule.translated(0, 1).adjusted(-spread, -spread, spread, spread);
            painter.setBrush(QS::Color::withOpacity(brand, 0.25 / (kShadowMargin + 1)));
            painter.drawRoundedRect(layer, radius + spread, radius + spread);
        }
        QLinearGradient gradient(capsule.topLeft(), capsule.bottomRight());
        gradient.setColorAt(0, QS::Color::withOpacity(brand, 0.32));
        gradient.setColorAt(1, QS::Color::withOpacity(brand, 0.18));
        painter.setBrush(gradient);
        painter.drawRoundedRect(capsule, radius, radius);
    }
};

// A small button of the multi-selection bar: plain (text only), bordered (a glass capsule with a
// hairline) or prominent (filled with the brand colour, white label).
class BarButton : public QPushButton {
public:
    enum class Look { plain, bordered, prominent };
    static constexpr int kHeight = 22;

    BarButton(Look look, const QString& symbolName, const QString& text, QWidget* parent)
        : QPushButton(text, parent), m_look(look), m_symbolName(symbolName) {
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
        setFont(QS::Font::system(11, QFont::DemiBold));
        setAttribute(Qt::WA_Hover);
    }
    QSize sizeHint() const override {
        const int symbol = m_symbolName.isEmpty() ? 0 : kSymbolSize + kSpacing;
        return {kPadding + symbol + fontMetrics().horizontalAdvance(text()) + kPadding, kHeight};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const Scheme scheme = QS::Color::schemeOf(*this);
        if (!isEnabled())
            painter.setOpacity(0.45);
        const bool pressed = isDown();
        const bool hovered = underMouse() && isEnabled();
        const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        constexpr qreal radius = 6;
        QColor foreground = QS::Color::label(scheme);
        switch (m_look) {
        case Look::plain:
            foreground = QS::Color::secondaryText(scheme);
            if (hovered || pressed)
                foreground = QS::Color::label(scheme);
            break;
        case Look::bordered: {
            const QColor label = QS::Color::label(scheme);
            painter.setBrush(QS::Color::withOpacity(label, pressed ? 0.16 : hovered ? 0.12 : 0.08));
            painter.setPen(QPen(QS::Color::cardStroke(scheme), 1));
            painter.drawRoundedRect(bounds, radius, radius);
            break;
        }
        case Look::prominent: {
            QColor fill = QS::Color::brand();
            if (pressed)
                fill = fill.darker(118);
            else if (hovered)
                fill = fill.lighter(108);
            QLinearGradient gradient(bounds.topLeft(), bounds.bottomLeft());
            gradient.setColorAt(0, fill.lighter(106));
            gradient.setColorAt(1, fill);
            painter.setBrush(gradient);
            painter.setPen(QPen(QS::Color::withOpacity(fill.darker(125), 0.6), 1));
            painter.drawRoundedRect(bounds, radius, radius);
            foreground = Qt::white;
            break;
        }
        }
        qreal x = kPadding;
        if (!m_symbolName.isEmpty()) {
            const QPixmap symbol =
                SymbolIcon::pixmap(m_symbolName, kSymbolSize, foreground, devicePixelRatioF());
            painter.drawPixmap(QPointF(x, (height() - kSymbolSize) / 2.0), symbol);
            x += kSymbolSize + kSpacing;
        }
        painter.setFont(font());
        painter.setPen(foreground);
        painter.drawText(QRectF(x, 0, width() - x, height()), Qt::AlignLeft | Qt::AlignVCenter, text());
    }

private:
    static constexpr int kPadding = 8;
    static constexpr int kSymbolSize = 11;
    static constexpr int kSpacing = 4;
    Look m_look;
    QString m_symbolName;
};

// A still picture of part of the panel, drawn over it while what lies below moves or changes: a row
// gliding to its new place, or the list before a filter chip changed it.
class Snapshot : public QWidget {
public:
    Snapshot(const QString& name, QWidget* parent) : QWidget(parent) {
        setObjectName(name);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    void setPicture(const QPixmap& picture) {
        m_picture = picture;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawPixmap(0, 0, m_picture); }

private:
    QPixmap m_picture;
};

// Lets the panel's glass show through a field or list. Only the base colour changes: the window
// colour still tells the light scheme from the dark one.
void clearBase(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    widget.setPalette(palette);
}

// Brings an overlay over `area`: with an animation it grows from `scale` and fades in, else at once.
void presentOverlay(QWidget& overlay, const QRect& area, double scale,
                    const std::optional<QS::Motion::Animation>& animation) {
    overlay.setGeometry(area);
    if (animation)
        QS::Transition::appear(overlay, area, scale, *animation);
    else
        overlay.show();
}

// Takes an overlay away: with an animation it shrinks to `scale` and fades before it goes, else it
// is hidden at once. Either way it is deleted later: the request may come from the overlay's own
// close button, whose click is still being handled.
void dismissOverlay(QWidget* overlay, const QRect& area, double scale,
                    const std::optional<QS::Motion::Animation>& animation) {
    if (!overlay)
        return;
    if (animation) {
        QS::Transition::disappear(*overlay, area, scale, *animation, [overlay] { overlay->deleteLater(); });
        return;
    }
    overlay->hide();
    overlay->deleteLater();
}

// A press on a key with Ctrl (the in-window counterpart of the Command key).
bool hasCommand(const QKeyEvent& event) {
    return event.modifiers().testFlag(Qt::ControlModifier);
}

// The digit 1 to 9 of a Ctrl+digit pick. The key decides, not the text it types: with Ctrl, X turns
// most digits into control characters, and some layouts (French) type other characters on the digit
// row without Shift. So a key of the digit row counts whatever the layout types on it; otherwise a
// key Qt reports as a digit (the keypad's, or the key of an event that carries no key position).
std::optional<int> pickedDigit(const QKeyEvent& event) {
    static constexpr Hotkeys::Key digitRow[] = {Hotkeys::Key::one,   Hotkeys::Key::two,   Hotkeys::Key::three,
                                                Hotkeys::Key::four,  Hotkeys::Key::five,  Hotkeys::Key::six,
                                                Hotkeys::Key::seven, Hotkeys::Key::eight, Hotkeys::Key::nine};
    if (const std::optional<Hotkeys::Shortcut> pressed = Hotkeys::Shortcut::fromKeyEvent(event)) {
        for (std::size_t n = 0; n < std::size(digitRow); ++n) {
            if (pressed->key() == digitRow[n])
                return int(n) + 1;
        }
    }
    if (event.key() >= Qt::Key_1 && event.key() <= Qt::Key_9)
        return event.key() - Qt::Key_0;
    return std::nullopt;
}

// A source application as the desktop names it: the name in its desktop file (in the interface
// language), else the name recorded with its items, else its id.
QString sourceAppName(const HistoryStore::SourceApp& app) {
    const QString installed = AppIconCache::displayName(app.bundleID);
    return installed != app.bundleID || app.name.isEmpty() ? installed : app.name;
}

} // namespace

HistoryView::HistoryView(HistoryStore& store, HistoryViewCallbacks callbacks, HistoryViewServices services,
                         QWidget* parent)
    : QWidget(parent), m_store(store), m_callbacks(std::move(callbacks)), m_services(std::move(services)),
      m_model(new HistoryListModel(store, this)) {
    setObjectName(QStringLiteral("historyView"));
    setAttribute(Qt::WA_TranslucentBackground);
    if (m_services.images)
        m_model->setImageDirectory(m_services.images->directory());
    if (!m_services.appIcon)
        m_services.appIcon = [](const QString& bundleID) {
            return AppIconCache::icon(bundleID);
        };

    m_card = new PanelBackground(this);
    auto* column = new QVBoxLayout(m_card);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildDragBar());
    auto* headerBlock = new QWidget(m_card);
    auto* headerLayout = new QVBoxLayout(headerBlock);
    headerLayout->setContentsMargins(14, 0, 14, 12);
    headerLayout->addWidget(buildHeader());
    column->addWidget(headerBlock);
    column->addWidget(buildContent(), 1);
    column->addWidget(buildMultiBar());
    m_footer = buildFooter();
    column->addWidget(m_footer);

    // Over the list, just above the footer; untrusted text never reaches it, but it stays plain.
    m_notice = textLabel({}, QS::Font::system(11, QFont::DemiBold), &whiteTint, m_card);
    m_notice->setObjectName(QStringLiteral("notice"));
    m_notice->setWordWrap(true);
    m_notice->setAlignment(Qt::AlignCenter);
    m_notice->setStyleSheet(
        QStringLiteral(
            "QLabel { border-radius: 10px; padding: 7px 12px; background: %1; border: 1px solid %2; }")
            .arg(QS::Color::withOpacity(QColor(28, 28, 32), 0.92).name(QColor::HexArgb),
                 QS::Color::withOpacity(QColor(Qt::white), 0.14).name(QColor::HexArgb)));
    m_notice->hide();
    m_noticeTimer.setSingleShot(true);
    m_noticeTimer.setInterval(kNoticeDurationMs);
    connect(&m_noticeTimer, &QTimer::timeout, m_notice, &QWidget::hide);

    connect(m_model, &HistoryListModel::listChanged, this, &HistoryView::onListChanged);
    connect(m_model, &HistoryListModel::stateChanged, this, &HistoryView::onStateChanged);
    connect(m_model, &HistoryListModel::scrollRequested, this,
            [this](const QUuid& id) { scrollToCentre(m_model->rowOf(id)); });
    connect(&m_store, &HistoryStore::itemsChanged, this, &HistoryView::rebuildAppMenu);
    // The previews follow changes of the item they show (recognised text arriving, an edited snippet).
    connect(&m_store, &HistoryStore::itemChanged, this, [this](const QUuid& id) {
        if (m_preview && m_preview->item() && m_preview->item()->id() == id)
            m_preview->refresh();
        if (m_quickLook && m_quickLook->item()->id() == id)
            m_quickLook->refresh();
    });

    m_axTimer.setInterval(kPermissionCheckIntervalMs);
    connect(&m_axTimer, &QTimer::timeout, this, &HistoryView::checkPermission);
    m_axTrusted = m_services.accessibilityTrusted ? m_services.accessibilityTrusted() : true;

    for (QWidget* target :
         {static_cast<QWidget*>(this), static_cast<QWidget*>(m_search), static_cast<QWidget*>(m_list)})
        target->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);

    setFixedSize(kWidth, kHeight);
    rebuildAppMenu();
    onListChanged();
    onStateChanged();
    updateShortcutCaps();
    m_warning->setVisible(!m_axTrusted);
    setPulse(!m_axTrusted, false);
}

HistoryView::~HistoryView() = default;

QWidget* HistoryView::buildDragBar() {
    // The grip is drawn by the strip; the drag handle over it takes the presses.
    auto* bar = new PaintedBox(
        [](QPainter& painter, const QWidget& widget) {
            const QColor label = QS::Color::label(QS::Color::schemeOf(widget));
            const QRectF capsule((widget.width() - 40) / 2.0, (widget.height() - 5) / 2.0 + 2, 40, 5);
            QLinearGradient gradient(capsule.topLeft(), capsule.topRight());
            gradient.setColorAt(0, QS::Color::withOpacity(label, 0.18));
            gradient.setColorAt(1, QS::Color::withOpacity(label, 0.32));
            painter.setPen(Qt::NoPen);
            painter.setBrush(gradient);
            painter.drawRoundedRect(capsule, 2.5, 2.5);
        },
        m_card);
    bar->setFixedHeight(16);
    translated([bar] { bar->setToolTip(tr("Drag to move window")); });
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new WindowDragHandle(bar));
    return bar;
}

QWidget* HistoryView::buildHeader() {
    auto* header = new QWidget(m_card);
    auto* rows = new QVBoxLayout(header);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(12);

    auto* searchRow = new PaintedBox(
        [](QPainter& painter, const QWidget& widget) {
            const Scheme scheme = QS::Color::schemeOf(widget);
            const QRectF bounds = QRectF(widget.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
            QLinearGradient stroke(bounds.topLeft(), bounds.bottomRight());
            stroke.setColorAt(0, QS::Color::withOpacity(QS::Color::brand(), 0.35));
            stroke.setColorAt(1, QS::Color::cardStroke(scheme));
            painter.setBrush(QS::Color::glassFill(scheme));
            painter.setPen(QPen(QBrush(stroke), 1));
            painter.drawRoundedRect(bounds, 12, 12);
        },
        header);
    auto* search = new QHBoxLayout(searchRow);
    search->setContentsMargins(14, 11, 14, 11);
    search->setSpacing(10);
    search->addWidget(symbolLabel(QStringLiteral("magnifyingglass"), 14,
                                  QS::Color::withOpacity(QS::Color::brand(), 0.85), searchRow));
    m_search = new QLineEdit(searchRow);
    m_search->setObjectName(QStringLiteral("searchField"));
    translated([this] { m_search->setPlaceholderText(tr("Search history…")); });
    m_search->setFrame(false);
    m_search->setFont(QS::Font::system(14, QFont::Medium));
    m_search->setAttribute(Qt::WA_MacShowFocusRect, false);
    clearBase(*m_search);
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_clearSearch->setVisible(!text.isEmpty());
        m_model->setQuery(text);
        updateEmptyState();
    });
    search->addWidget(m_search, 1);

    m_clearSearch = new QToolButton(searchRow);
    m_clearSearch->setObjectName(QStringLiteral("clearSearch"));
    m_clearSearch->setAutoRaise(true);
    m_clearSearch->setFocusPolicy(Qt::NoFocus);
    QS::Color::follow(*m_clearSearch, [this](Scheme scheme) {
        m_clearSearch->setIcon(
            SymbolIcon::icon(QStringLiteral("xmark.circle.fill"), QS::Color::secondaryText(scheme)));
    });
    m_clearSearch->setVisible(false);
    connect(m_clearSearch, &QToolButton::clicked, m_search, &QLineEdit::clear);
    search->addWidget(m_clearSearch);

    m_appFilter = new QToolButton(searchRow);
    m_appFilter->setObjectName(QStringLiteral("appFilter"));
    m_appFilter->setAutoRaise(true);
    m_appFilter->setFocusPolicy(Qt::NoFocus);
    m_appFilter->setPopupMode(QToolButton::InstantPopup);
    translated([this] { m_appFilter->setToolTip(tr("Filter by source app")); });
    m_appMenu = new QMenu(m_appFilter);
    m_appFilter->setMenu(m_appMenu);
    QS::Color::follow(*m_appFilter, [this](Scheme) { styleAppFilter(); });
    search->addWidget(m_appFilter);

    m_searchKeyCap = new QSKeyCap(QString(), searchRow);
    search->addWidget(m_searchKeyCap);
    rows->addWidget(searchRow);

    auto* chips = new QHBoxLayout;
    chips->setSpacing(7);
    m_chipHighlight = new ChipHighlight(header);
    m_chipHighlight->hide();
    m_chipGlide = new QVariantAnimation(this);
    connect(m_chipGlide, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { m_chipHighlight->setGeometry(value.toRect()); });
    for (const ItemFilter filter : ItemFilters::allCases()) {
        auto* chip = new FilterChip(filter, header);
        chip->installEventFilter(this);
        connect(chip, &QAbstractButton::clicked, this, [this, filter] { chooseFilterFromChip(filter); });
        chips->addWidget(chip);
        m_chips.append(chip);
    }
    chips->addStretch();
    rows->addLayout(chips);
    updateChips();
    return header;
}

void HistoryView::rebuildAppMenu() {
    m_appMenu->clear();
    const auto& current = m_model->appFilterBundleID();
    const QColor check = QS::Color::brand();
    QAction* all = m_appMenu->addAction(tr("All Apps"));
    if (!current)
        all->setIcon(SymbolIcon::icon(QStringLiteral("checkmark"), check));
    connect(all, &QAction::triggered, this, [this] {
        m_model->setAppFilterBundleID(std::nullopt);
        rebuildAppMenu();
        updateEmptyState();
    });
    const QList<HistoryStore::SourceApp> apps = m_store.sourceApps();
    if (!apps.isEmpty())
        m_appMenu->addSeparator();
    for (const HistoryStore::SourceApp& app : apps) {
        // Application names are shown as they are, never as markup.
        QAction* action =
            m_appMenu->addAction(m_services.appIcon(app.bundleID),
                                 sourceAppName(app).replace(QLatin1Char('&'), QStringLiteral("&&")));
        action->setData(app.bundleID);
        action->setCheckable(true);
        action->setChecked(current == app.bundleID);
        connect(action, &QAction::triggered, this, [this, id = app.bundleID] {
            m_model->setAppFilterBundleID(id);
            rebuildAppMenu();
            updateEmptyState();
        });
    }

    styleAppFilter();
}

// The source-application button: the chosen application's icon on a brand tint, else a plain symbol.
void HistoryView::styleAppFilter() {
    const std::optional<QString>& current = m_model->appFilterBundleID();
    const bool filtering = current.has_value();
    const Scheme scheme = QS::Color::drawnScheme(*m_appFilter);
    const QColor tint = filtering ? QS::Color::brand() : QS::Color::secondaryText(scheme);
    QIcon icon = filtering ? m_services.appIcon(*current) : QIcon();
    if (icon.isNull())
        icon = SymbolIcon::icon(QStringLiteral("app.badge"), tint);
    m_appFilter->setIcon(icon);
    m_appFilter->setIconSize(QSize(12, 12));
    m_appFilter->setStyleSheet(
        QStringLiteral("QToolButton { border-radius: 9px; padding: 3px 6px; background: %1; }"
                       "QToolButton::menu-indicator { image: none; }")
            .arg((filtering ? QS::Color::withOpacity(QS::Color::brand(), 0.16)
                            : QS::Color::glassFill(scheme))
                     .name(QColor::HexArgb)));
}

QWidget* HistoryView::buildContent() {
    auto* content = new QWidget(m_card);
    auto* row = new QHBoxLayout(content);
    row->setContentsMargins(14, 0, 14, 12);
    m_contentRow = row;
    row->setSpacing(12);

    const auto paneFill = [](QPainter& painter, const QWidget& widget) {
        const QColor label = QS::Color::label(QS::Color::schemeOf(widget));
        const QRectF bounds = QRectF(widget.rect()).adjusted(0.25, 0.25, -0.25, -0.25);
        QPainterPath path;
        path.addRoundedRect(bounds, kPaneCornerRadius, kPaneCornerRadius);
        painter.fillPath(path, QS::Color::withOpacity(label, 0.04));
        QLinearGradient gradient(bounds.topLeft(), bounds.bottomRight());
        gradient.setColorAt(0, QS::Color::withOpacity(QS::Color::brand(), 0.04));
        gradient.setColorAt(1, Qt::transparent);
        painter.fillPath(path, gradient);
        painter.setPen(QPen(QS::Color::withOpacity(label, 0.08), 0.5));
        painter.drawPath(path);
    };

    auto* listColumn = new PaintedBox(paneFill, content);
    listColumn->setFixedWidth(340);
    auto* listLayout = new QVBoxLayout(listColumn);
    m_listStack = new QStackedWidget(listColumn);
    m_list = new QListView(m_listStack);
    m_list->setObjectName(QStringLiteral("historyList"));
    m_list->setModel(m_model);
    m_delegate = new ItemRowDelegate(m_services.images, m_services.appIcon, m_list);
    m_list->setItemDelegate(m_delegate);
    connect(m_delegate, &ItemRowDelegate::thumbnailReady, this, [this](const QUuid& id) {
        const int row = m_model->rowOf(id);
        if (row >= 0)
            m_list->update(m_model->index(row));
    });
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setMouseTracking(true);
    m_list->setSpacing(1);
    listLayout->setContentsMargins(7, 7, 7, 7);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setDragEnabled(true);
    m_list->setDragDropMode(QAbstractItemView::DragOnly);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->viewport()->setAutoFillBackground(false);
    clearBase(*m_list);
    ThinScrollbarConfigurator::apply(*m_list);
    m_rowGlide = new Snapshot(QStringLiteral("rowGlide"), m_list->viewport());
    m_rowGlide->hide();
    m_rowGlideAnimation = new QVariantAnimation(this);
    connect(m_rowGlideAnimation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { m_rowGlide->move(m_rowGlide->x(), value.toInt()); });
    connect(m_rowGlideAnimation, &QVariantAnimation::finished, this, &HistoryView::endRowGlide);
    m_scrollAnimation = new QVariantAnimation(this);
    connect(m_scrollAnimation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { m_list->verticalScrollBar()->setValue(value.toInt()); });
    connect(m_list, &QListView::customContextMenuRequested, this, &HistoryView::showContextMenu);
    m_listStack->addWidget(m_list);
    m_listStack->addWidget(buildEmptyState());
    m_listFade = new Snapshot(QStringLiteral("listFade"), listColumn);
    m_listFade->hide();
    listLayout->addWidget(m_listStack);
    row->addWidget(listColumn);

    m_previewColumn = new PaintedBox(paneFill, content);
    auto* previewLayout = new QVBoxLayout(m_previewColumn);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_previewColumn, 1);
    return content;
}

QWidget* HistoryView::buildEmptyState() {
    m_empty = new QWidget(m_listStack);
    m_empty->setObjectName(QStringLiteral("emptyState"));
    auto* layout = new QVBoxLayout(m_empty);
    layout->setContentsMargins(16, 56, 16, 16);
    layout->setSpacing(14);
    layout->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    auto* badge = new PaintedBox(
        [](QPainter& painter, const QWidget& widget) {
            QRadialGradient gradient(QRectF(widget.rect()).center(), 40);
            gradient.setColorAt(0.1, QS::Color::withOpacity(QS::Color::brand(), 0.28));
            gradient.setColorAt(1, QS::Color::withOpacity(QS::Color::brand(), 0.06));
            painter.setPen(Qt::NoPen);
            painter.setBrush(gradient);
            painter.drawEllipse(QRectF(widget.rect()));
        },
        m_empty);
    badge->setFixedSize(72, 72);
    auto* badgeLayout = new QVBoxLayout(badge);
    badgeLayout->setAlignment(Qt::AlignCenter);
    m_emptyIcon = new QLabel(badge);
    m_emptyIcon->setFixedSize(28, 28);
    badgeLayout->addWidget(m_emptyIcon);
    layout->addWidget(badge, 0, Qt::AlignHCenter);

    m_emptyTitle = textLabel({}, QS::Font::system(14, QFont::Bold), &QS::Color::label, m_empty);
    m_emptyTitle->setAlignment(Qt::AlignCenter);
    m_emptyTitle->setWordWrap(true);
    layout->addWidget(m_emptyTitle);
    m_emptyMessage =
        textLabel({}, QS::Font::system(12, QFont::Medium), &QS::Color::secondaryText, m_empty);
    m_emptyMessage->setAlignment(Qt::AlignCenter);
    m_emptyMessage->setWordWrap(true);
    layout->addWidget(m_emptyMessage);

    m_emptyShortcutLine = new QWidget(m_empty);
    auto* line = new QHBoxLayout(m_emptyShortcutLine);
    line->setContentsMargins(0, 4, 0, 0);
    line->setSpacing(6);
    QLabel* openWith =
        textLabel({}, QS::Font::system(11, QFont::Medium), &QS::Color::tertiaryText, m_emptyShortcutLine);
    translated([openWith] { openWith->setText(tr("Open anytime with")); });
    line->addWidget(openWith);
    m_emptyKeyCap = new QSKeyCap(QString(), m_emptyShortcutLine);
    line->addWidget(m_emptyKeyCap);
    layout->addWidget(m_emptyShortcutLine, 0, Qt::AlignHCenter);
    return m_empty;
}

QWidget* HistoryView::buildMultiBar() {
    auto* slot = new QWidget(m_card);
    auto* slotLayout = new QVBoxLayout(slot);
    slotLayout->setContentsMargins(14, 0, 14, 8);
    auto* bar = new PaintedBox(
        [](QPainter& painter, const QWidget& widget) {
            const QColor brand = QS::Color::brand();
            const QRectF bounds = QRectF(widget.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
            QLinearGradient gradient(bounds.topLeft(), bounds.topRight());
            gradient.setColorAt(0, QS::Color::withOpacity(brand, 0.16));
            gradient.setColorAt(1, QS::Color::withOpacity(brand, 0.08));
            painter.setBrush(gradient);
            painter.setPen(QPen(QS::Color::withOpacity(brand, 0.3), 1));
            painter.drawRoundedRect(bounds, 12, 12);
        },
        slot);
    bar->setObjectName(QStringLiteral("multiPasteBar"));
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(14, 10, 14, 10);
    layout->setSpacing(10);
    layout->addWidget(symbolLabel(QStringLiteral("checklist"), 13, QS::Color::brand(), bar));
    m_multiCount =
        textLabel({}, QS::Font::system(12, QFont::Bold), &QS::Color::label, bar);
    layout->addWidget(m_multiCount);
    layout->addStretch();
    auto* clear = new BarButton(BarButton::Look::plain, QString(), QString(), bar);
    translated([clear] { clear->setText(tr("Clear")); });
    clear->setObjectName(QStringLiteral("multiClear"));
    connect(clear, &QPushButton::clicked, m_model, &HistoryListModel::clearMultiSelection);
    layout->addWidget(clear);
    auto* queue =
        new BarButton(BarButton::Look::bordered, QStringLiteral("arrow.right.to.line"), QString(), bar);
    queue->setObjectName(QStringLiteral("pasteQueue"));
    translated([queue] {
        queue->setText(tr("Paste Queue"));
        // The paste keys are Ctrl with whichever key types V in the layout.
        queue->setToolTip(
            tr("Paste first item, then press %1 repeatedly for the rest")
                .arg(KeyNotation::withModifiers(Hotkeys::ModifierFlag::Control, QStringLiteral("V"))));
    });
    connect(queue, &QPushButton::clicked, this, [this] {
        if (m_callbacks.onStartQueue)
            m_callbacks.onStartQueue(m_model->multiSelectedItems());
    });
    layout->addWidget(queue);
    auto* all = new BarButton(BarButton::Look::prominent, QStringLiteral("doc.on.doc"), QString(), bar);
    translated([all] { all->setText(tr("Paste All")); });
    all->setObjectName(QStringLiteral("pasteAll"));
    connect(all, &QPushButton::clicked, this, [this] {
        if (m_callbacks.onPasteAll)
            m_callbacks.onPasteAll(m_model->multiSelectedItems());
    });
    layout->addWidget(all);
    m_pasteQueueButton = queue;
    m_pasteAllButton = all;
    slotLayout->addWidget(bar);
    m_multiBar = slot;
    m_multiBar->setVisible(false);
    return slot;
}

QWidget* HistoryView::buildFooter() {
    auto* footer = new PaintedBox(
        [](QPainter& painter, const QWidget& widget) {
            const QColor label = QS::Color::label(QS::Color::schemeOf(widget));
            QLinearGradient gradient(0, 0, 0, widget.height());
            gradient.setColorAt(0, QS::Color::withOpacity(label, 0.02));
            gradient.setColorAt(1, QS::Color::withOpacity(label, 0.055));
            painter.fillRect(widget.rect(), gradient);
        },
        m_card);
    auto* layout = new QHBoxLayout(footer);
    // Keys written out in words take room: a little tighter than elsewhere, so that the hints in
    // Polish and the permission warning fit side by side.
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(6);
    // The keys of the panel, written as the desktop writes them (in the interface language), and
    // what they do.
    struct Hint {
        std::function<QString()> keys;
        const char* label;
    };
    const auto shortcut = [](Hotkeys::Key key, Hotkeys::ModifierFlags modifiers = {}) {
        return [key, modifiers] {
            return KeyNotation::text(Hotkeys::Shortcut(key, modifiers));
        };
    };
    const Hint hints[] = {
        {shortcut(Hotkeys::Key::return_), QT_TR_NOOP("Paste")},
        {shortcut(Hotkeys::Key::return_, Hotkeys::ModifierFlag::Control), QT_TR_NOOP("Plain text")},
        {[] { return KeyNotation::withModifiers(Hotkeys::ModifierFlag::Control, KeyNotation::click()); },
         QT_TR_NOOP("Multi")},
        {shortcut(Hotkeys::Key::space), QT_TR_NOOP("Quick Look")},
        {shortcut(Hotkeys::Key::escape), QT_TR_NOOP("Close")}};
    for (const Hint& h : hints) {
        auto* hint = new QWidget(footer);
        auto* hintLayout = new QHBoxLayout(hint);
        hintLayout->setContentsMargins(0, 0, 0, 0);
        hintLayout->setSpacing(3);
        auto* key = new QSKeyCap(QString(), hint);
        hintLayout->addWidget(key);
        QLabel* label =
            textLabel({}, QS::Font::system(10, QFont::Medium), &QS::Color::secondaryText, hint);
        hintLayout->addWidget(label);
        translated([key, label, h] {
            key->setKey(h.keys());
            label->setText(tr(h.label));
        });
        layout->addWidget(hint);
    }
    layout->addStretch();

    auto* warning = new QPushButton(footer);
    warning->setObjectName(QStringLiteral("accessibilityWarning"));
    warning->setFocusPolicy(Qt::NoFocus);
    warning->setCursor(Qt::PointingHandCursor);
    // Without XTest nothing can press the paste keys for the user: picks are only copied. The General
    // settings page says why.
    translated([warning] {
        warning->setText(tr("No automatic pasting"));
        warning->setToolTip(
            tr("Picked items are only copied to the clipboard: automatic pasting needs an X11 "
               "session with the XTest extension. Click to open the General settings."));
    });
    warning->setFont(QS::Font::system(10, QFont::Bold));
    connect(warning, &QPushButton::clicked, this, [this] {
        if (m_services.openGeneralSettings)
            m_services.openGeneralSettings();
    });
    m_warning = warning;
    m_pulseAnimation = new QVariantAnimation(this);
    m_pulseAnimation->setStartValue(kWarningTintRest);
    m_pulseAnimation->setEndValue(kWarningTintPeak);
    m_pulseAnimation->setDuration(1200);
    m_pulseAnimation->setEasingCurve(QEasingCurve::InOutSine);
    connect(m_pulseAnimation, &QVariantAnimation::valueChanged, this, &HistoryView::styleWarning);
    QS::Color::follow(*warning, [this, warning](Scheme scheme) {
        warning->setIcon(SymbolIcon::icon(QStringLiteral("exclamationmark.triangle.fill"),
                                          QS::Color::system(QS::Color::System::Orange, scheme)));
        styleWarning();
    });
    // Back and forth for as long as the permission is missing.
    connect(m_pulseAnimation, &QVariantAnimation::finished, this, [this] {
        if (!m_axPulse && m_axTrusted)
            return;
        m_pulseAnimation->setDirection(m_pulseAnimation->direction() == QAbstractAnimation::Forward
                                           ? QAbstractAnimation::Backward
                                           : QAbstractAnimation::Forward);
        m_pulseAnimation->start();
    });
    layout->addWidget(warning);

    m_footerCount = textLabel({}, QS::Font::system(11, QFont::Bold), &brandTint, footer);
    m_footerCount->setObjectName(QStringLiteral("footerCount"));
    m_footerCount->setStyleSheet(
        QStringLiteral("QLabel { border-radius: 10px; padding: 4px 9px; background: %1; }")
            .arg(QS::Color::withOpacity(QS::Color::brand(), 0.14).name(QColor::HexArgb)));
    layout->addWidget(m_footerCount);
    return footer;
}

// The permission warning: orange on an orange tint that pulses while the permission is missing.
void HistoryView::styleWarning() {
    const QColor orange = QS::Color::system(QS::Color::System::Orange, QS::Color::drawnScheme(*m_warning));
    const QVariant pulse = m_pulseAnimation->currentValue();
    const qreal tint = pulse.isValid() ? pulse.toDouble() : kWarningTintRest;
    m_warning->setStyleSheet(
        QStringLiteral("QPushButton { border: none; border-radius: 11px; padding: 5px 9px; "
                       "color: %1; background: %2; }")
            .arg(orange.name(), QS::Color::withOpacity(orange, tint).name(QColor::HexArgb)));
}

void HistoryView::translated(std::function<void()> apply) {
    apply();
    m_retranslations.append(std::move(apply));
}

void HistoryView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        for (const std::function<void()>& apply : std::as_const(m_retranslations))
            apply();
        for (QWidget* chip : std::as_const(m_chips)) {
            auto* filterChip = static_cast<FilterChip*>(chip);
            filterChip->setText(ItemFilters::title(filterChip->filter()));
            filterChip->updateGeometry();
        }
        rebuildAppMenu();
        updateEmptyState();
        updateMultiBar();
        // The rows' section headers and texts are painted by the delegate: in the new language too.
        m_list->viewport()->update();
        // The chips have new widths: the highlight goes straight to the chosen one's new place.
        if (QLayout* layout = m_card->layout())
            layout->activate();
        m_highlightedFilter.reset();
        updateChips();
    }
    QWidget::changeEvent(event);
}

void HistoryView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_card->setGeometry(rect());
    placeNotice();
    for (QWidget* overlay : {static_cast<QWidget*>(m_quickLook), static_cast<QWidget*>(m_veskPromo)}) {
        if (overlay)
            overlay->setGeometry(rect());
    }
}

void HistoryView::prepareForShow() {
    m_search->setFocus(Qt::OtherFocusReason);
    m_model->selectFirst();
    revealSelection();
    updateShortcutCaps();
    rebuildAppMenu();
    m_axTimer.start();
    m_axTrusted = m_services.accessibilityTrusted ? m_services.accessibilityTrusted() : true;
    m_warning->setVisible(!m_axTrusted);
    if (!m_axTrusted)
        setPulse(true, true);
}

// The list as it was left may be scrolled anywhere: the selected row comes into sight at once, and
// the first row with the section header above it.
void HistoryView::revealSelection() {
    m_scrollAnimation->stop();
    const int row = m_model->selectedID() ? m_model->rowOf(*m_model->selectedID()) : -1;
    if (row < 0)
        return;
    if (m_model->visibleCount() > 0 && m_model->visibleItem(0)->id() == *m_model->selectedID())
        m_list->scrollToTop();
    else
        m_list->scrollTo(m_model->index(row), QAbstractItemView::EnsureVisible);
}

void HistoryView::panelHidden() {
    m_axTimer.stop();
    m_pulseAnimation->stop();
    m_lastPointer.reset();
}

void HistoryView::checkPermission() {
    const bool trusted = m_services.accessibilityTrusted ? m_services.accessibilityTrusted() : true;
    if (trusted == m_axTrusted)
        return;
    m_axTrusted = trusted;
    m_warning->setVisible(!trusted);
    setPulse(!trusted, false);
}

void HistoryView::setPulse(bool pulse, bool animated) {
    m_axPulse = pulse;
    m_pulseAnimation->stop();
    m_pulseAnimation->setDirection(QAbstractAnimation::Forward);
    if (pulse && animated && !QS::Motion::reduceMotion()) {
        m_pulseAnimation->start();
        return;
    }
    // The look of the state, without movement.
    m_pulseAnimation->setCurrentTime(pulse ? m_pulseAnimation->duration() : 0);
    emit m_pulseAnimation->valueChanged(pulse ? kWarningTintPeak : kWarningTintRest);
}

bool HistoryView::isAccessibilityWarningShown() const {
    return m_warning->isVisibleTo(this);
}

void HistoryView::updateShortcutCaps() {
    const QString keys = m_services.showHistoryKeys ? m_services.showHistoryKeys() : QString();
    m_searchKeyCap->setKey(keys);
    m_searchKeyCap->setVisible(!keys.isEmpty());
    m_emptyKeyCap->setKey(keys);
    m_emptyShortcutLine->setVisible(!keys.isEmpty());
}

void HistoryView::onListChanged() {
    // Rows moved: a glide towards a place in the old list would end in the wrong one.
    if (m_scrollAnimation->state() == QAbstractAnimation::Running)
        m_scrollAnimation->stop();
    if (isRowGliding()) {
        m_rowGlideAnimation->stop();
        endRowGlide();
    }
    const bool empty = m_model->visibleCount() == 0;
    m_listStack->setCurrentWidget(empty ? m_empty : static_cast<QWidget*>(m_list));
    m_footerCount->setText(QString::number(m_model->visibleCount()));
    updateEmptyState();
    updateChips();
}

void HistoryView::onStateChanged() {
    updatePreview();
    updateMultiBar();
}

void HistoryView::updateChips() {
    QWidget* chosen = nullptr;
    for (QWidget* widget : m_chips) {
        auto* chip = static_cast<FilterChip*>(widget);
        chip->setChecked(chip->filter() == m_model->filter());
        if (chip->isChecked())
            chosen = chip;
    }
    if (!chosen || m_highlightedFilter == m_model->filter())
        return;
    const bool placed = m_highlightedFilter.has_value();
    m_highlightedFilter = m_model->filter();
    const QRect target = ChipHighlight::around(chosen->geometry());
    m_chipGlide->stop();
    const QS::Motion::Animation glide = QS::Motion::honouringReduceMotion(QS::Motion::spring());
    m_chipHighlight->show();
    m_chipHighlight->lower();
    if (!placed || glide.isInstant()) {
        m_chipHighlight->setGeometry(target);
        return;
    }
    m_chipGlide->setStartValue(m_chipHighlight->geometry());
    m_chipGlide->setEndValue(target);
    QS::Motion::configure(*m_chipGlide, glide);
    m_chipGlide->start();
}

void HistoryView::chooseFilterFromChip(ItemFilter filter) {
    // The list changes inside the chip's spring: the rows as they were fade away over the new ones.
    const QS::Motion::Animation fade = QS::Motion::honouringReduceMotion(QS::Motion::spring());
    const bool fades = !fade.isInstant() && m_listStack->isVisible();
    if (fades)
        static_cast<Snapshot*>(m_listFade)->setPicture(m_listStack->grab());
    m_model->chooseFilter(filter);
    updateChips();
    if (!fades)
        return;
    m_listFade->setGeometry(m_listStack->geometry());
    m_listFade->show();
    m_listFade->raise();
    QS::Transition::disappear(*m_listFade, m_listStack->geometry(), 1.0, fade, {});
}

bool HistoryView::isListFading() const {
    return QS::Transition::isRunning(*m_listFade);
}

bool HistoryView::isChipHighlightGliding() const {
    return m_chipGlide->state() == QAbstractAnimation::Running;
}

void HistoryView::updateEmptyState() {
    const bool filtering = !m_model->query().isEmpty() || m_model->appFilterBundleID().has_value();
    const QColor brand = QS::Color::brand();
    m_emptyIcon->setPixmap(
        SymbolIcon::pixmap(filtering ? QStringLiteral("magnifyingglass") : QStringLiteral("doc.on.clipboard"),
                           28, brand, devicePixelRatioF()));
    if (filtering) {
        m_emptyTitle->setVisible(false);
        m_emptyMessage->setText(tr("No results for “%1”").arg(m_model->query()));
        m_emptyShortcutLine->setVisible(false);
    } else {
        m_emptyTitle->setVisible(true);
        m_emptyTitle->setText(tr("No items yet"));
        m_emptyMessage->setText(tr("Copy something and it will appear here"));
        m_emptyShortcutLine->setVisible(!m_emptyKeyCap->key().isEmpty());
    }
}

void HistoryView::updatePreview() {
    const ClipboardItemPtr item = m_model->previewItem();
    if (m_preview && m_preview->item() == item) {
        if (m_quickLook && m_quickLook->item() != item)
            setQuickLookShown(true);
        return;
    }
    // A fresh pane for every newly previewed item.
    delete m_preview;
    m_preview = new PreviewPane(
        item, m_callbacks.onPasteText, [this] { setVeskPromoShown(true, QS::Motion::soft()); },
        previewServices(), m_previewColumn);
    m_preview->setCornerRadius(kPaneCornerRadius);
    // Leaving the editor gives the keys back to the search field, where the panel's keys work.
    connect(m_preview, &PreviewPane::editingFinished, m_search, [this] { m_search->setFocus(); });
    m_previewColumn->layout()->addWidget(m_preview);
    if (m_quickLook) {
        if (item)
            setQuickLookShown(true);
        else
            setQuickLookShown(false);
    }
}

PreviewServices HistoryView::previewServices() {
    PreviewServices services;
    services.images = m_services.images;
    services.workspace = m_services.workspace;
    services.defaults = m_services.defaults;
    services.appIcon = m_services.appIcon;
    services.performSmartAction = m_services.performSmartAction;
    services.reportFailure = [this](const QString& reason) {
        showNotice(reason);
    };
    return services;
}

void HistoryView::updateMultiBar() {
    const qsizetype count = m_model->multiSelected().size();
    m_multiBar->setVisible(count > 0);
    m_multiCount->setText(tr("%n selected", nullptr, static_cast<int>(count)));
    const bool enabled = !m_model->multiSelectedItems().isEmpty();
    m_pasteQueueButton->setEnabled(enabled);
    m_pasteAllButton->setEnabled(enabled);
    updateCardHeight();
}

void HistoryView::updateCardHeight() {
    // The bar brings its own spacing: the content row keeps less room below while it is shown.
    m_contentRow->setContentsMargins(14, 0, 14, m_model->multiSelected().isEmpty() ? 12 : 8);
    const int height = m_model->multiSelected().isEmpty() ? kHeight : kMultiSelectHeight;
    if (this->height() == height)
        return;
    setFixedSize(kWidth, height);
    if (QWidget* top = window(); top != this)
        top->resize(kWidth, height);
}

void HistoryView::setQuickLookShown(bool shown, std::optional<QS::Motion::Animation> animation) {
    constexpr double kQuickLookScale = 0.98;
    // A replaced overlay goes at once; a closed one leaves with the transition.
    dismissOverlay(std::exchange(m_quickLook, nullptr), rect(), kQuickLookScale,
                   shown ? std::nullopt : animation);
    const ClipboardItemPtr item = m_model->previewItem();
    if (!shown || !item)
        return;
    m_quickLook = new QuickLookView(
        item, [this] { setQuickLookShown(false); }, m_callbacks.onPasteText, previewServices(), this);
    presentOverlay(*m_quickLook, rect(), kQuickLookScale, animation);
    if (m_veskPromo)
        m_veskPromo->raise();
}

void HistoryView::showVeskPromo() {
    setVeskPromoShown(true, QS::Motion::soft());
}

void HistoryView::setVeskPromoShown(bool shown, std::optional<QS::Motion::Animation> animation) {
    constexpr double kPromoScale = 0.97;
    // A replaced overlay goes at once; a closed one leaves with the transition.
    dismissOverlay(std::exchange(m_veskPromo, nullptr), rect(), kPromoScale,
                   shown ? std::nullopt : animation);
    if (!shown)
        return;
    QPixmap editorIcon;
    if (m_services.workspace) {
        const VeskIntegration vesk(*m_services.workspace);
        if (vesk.applicationPath())
            editorIcon = vesk.icon(64).pixmap(64, 64);
    }
    m_veskPromo = new VeskPromoOverlay([this] { setVeskPromoShown(false, QS::Motion::soft()); },
                                       [this](const QUrl& url) {
                                           if (m_services.workspace)
                                               m_services.workspace->openUrl(url);
                                       },
                                       editorIcon, this);
    presentOverlay(*m_veskPromo, rect(), kPromoScale, animation);
    m_veskPromo->raise();
}

void HistoryView::scrollToCentre(int row) {
    if (row < 0)
        return;
    QScrollBar* bar = m_list->verticalScrollBar();
    m_scrollAnimation->stop();
    const int from = bar->value();
    m_list->scrollTo(m_model->index(row), QAbstractItemView::PositionAtCenter);
    const int to = bar->value();
    const QS::Motion::Animation glide = QS::Motion::honouringReduceMotion(QS::Motion::fast());
    if (from == to || glide.isInstant())
        return;
    bar->setValue(from);
    m_scrollAnimation->setStartValue(from);
    m_scrollAnimation->setEndValue(to);
    QS::Motion::configure(*m_scrollAnimation, glide);
    m_scrollAnimation->start();
}

void HistoryView::togglePin(const ClipboardItemPtr& item) {
    const QUuid id = item->id();
    // A glide still running ends where it was going: its row is painted by the list again.
    m_rowGlideAnimation->stop();
    endRowGlide();
    const int rowBefore = m_model->rowOf(id);
    const int topBefore = rowBefore >= 0 ? m_list->visualRect(m_model->index(rowBefore)).top() : 0;
    m_store.togglePin(item);
    const QS::Motion::Animation glide = QS::Motion::honouringReduceMotion(QS::Motion::spring());
    const int rowAfter = m_model->rowOf(id);
    if (rowBefore < 0 || rowAfter < 0 || glide.isInstant())
        return;
    m_list->doItemsLayout();
    const QRect after = m_list->visualRect(m_model->index(rowAfter));
    if (after.top() == topBefore || !after.isValid())
        return;
    // The row's picture at its new place glides there from the old one; the list leaves the new
    // place empty meanwhile.
    static_cast<Snapshot*>(m_rowGlide)->setPicture(m_list->viewport()->grab(after));
    m_rowGlide->setGeometry(after.left(), topBefore, after.width(), after.height());
    m_rowGlide->show();
    m_rowGlide->raise();
    m_delegate->setHiddenRow(id);
    m_list->viewport()->update();
    m_rowGlideAnimation->setStartValue(topBefore);
    m_rowGlideAnimation->setEndValue(after.top());
    QS::Motion::configure(*m_rowGlideAnimation, glide);
    m_rowGlideAnimation->start();
}

void HistoryView::endRowGlide() {
    m_rowGlide->hide();
    m_delegate->setHiddenRow(std::nullopt);
    m_list->viewport()->update();
}

bool HistoryView::isRowGliding() const {
    return m_rowGlideAnimation->state() == QAbstractAnimation::Running;
}

bool HistoryView::isListScrolling() const {
    return m_scrollAnimation->state() == QAbstractAnimation::Running;
}

bool HistoryView::handleKey(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Up:
        m_model->moveSelection(-1);
        return true;
    case Qt::Key_Down:
        m_model->moveSelection(1);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!m_model->multiSelected().isEmpty()) {
            if (m_callbacks.onPasteAll)
                m_callbacks.onPasteAll(m_model->multiSelectedItems());
            return true;
        }
        if (const ClipboardItemPtr item = m_model->previewItem()) {
            if (m_callbacks.onSelect)
                m_callbacks.onSelect(item, hasCommand(event));
            return true;
        }
        return false;
    case Qt::Key_Escape:
        if (m_veskPromo)
            setVeskPromoShown(false);
        else if (m_quickLook)
            setQuickLookShown(false);
        else if (m_preview && m_preview->isEditing())
            m_preview->cancelEditing();
        else if (!m_model->multiSelected().isEmpty())
            m_model->clearMultiSelection();
        else if (m_callbacks.onDismiss)
            m_callbacks.onDismiss();
        return true;
    case Qt::Key_F10:
        // Shift+F10 asks for a context menu as the Menu key does (which arrives as a context-menu
        // event instead).
        if ((event.modifiers() & ~Qt::KeypadModifier) != Qt::ShiftModifier)
            return false;
        return showSelectionContextMenu();
    case Qt::Key_Space:
        // The search field has the keys: once a query is being typed, Space is part of it. With an
        // empty query (or Quick Look open) it toggles Quick Look.
        if (!m_model->previewItem())
            return false;
        if (!m_quickLook && !m_search->text().isEmpty())
            return false;
        setQuickLookShown(!m_quickLook, QS::Motion::spring());
        return true;
    default:
        break;
    }
    if (hasCommand(event)) {
        if (const std::optional<int> n = pickedDigit(event); n && *n <= m_model->visibleCount()) {
            if (m_callbacks.onSelect)
                m_callbacks.onSelect(m_model->visibleItem(*n - 1), false);
            return true;
        }
    }
    return false;
}

void HistoryView::clickRow(const ClipboardItemPtr& item, bool multiModifier) {
    if (multiModifier || !m_model->multiSelected().isEmpty()) {
        m_model->toggleMulti(item->id());
        m_model->commitSelection(item->id(), false);
        return;
    }
    if (m_callbacks.onSelect)
        m_callbacks.onSelect(item, false);
}

void HistoryView::rowPointerMoved(const QPoint& viewportPos, const QPointF& globalPos) {
    if (m_lastPointer && *m_lastPointer == globalPos)
        return;
    m_lastPointer = globalPos;
    const ClipboardItemPtr item = m_model->itemAt(m_list->indexAt(viewportPos).row());
    const std::optional<QUuid> id = item ? std::optional(item->id()) : std::nullopt;
    if (id == m_pointerRow)
        return;
    if (m_pointerRow)
        m_model->pointerLeft(*m_pointerRow);
    m_pointerRow = id;
    if (id)
        m_model->pointerEntered(*id);
}

bool HistoryView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (event->type() == QEvent::ShortcutOverride) {
            // Keys the panel handles must reach it as key presses, not as the field's shortcuts.
            if (key->key() == Qt::Key_Escape || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                event->accept();
                return true;
            }
            return false;
        }
        if (handleKey(*key))
            return true;
        return false;
    }
    // The Menu key asks for the context menu of what has the focus: in the panel, that is the
    // selected item (not the search field's editing menu).
    if (event->type() == QEvent::ContextMenu && (watched == m_search || watched == this) &&
        static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard)
        return showSelectionContextMenu();
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
        m_chips.contains(qobject_cast<QWidget*>(watched))) {
        // The layout placed the chips: the highlight stays on the chosen one unless it is gliding.
        auto* chip = static_cast<QAbstractButton*>(watched);
        if (chip->isChecked() && !isChipHighlightGliding())
            m_chipHighlight->setGeometry(ChipHighlight::around(chip->geometry()));
        return false;
    }
    if (watched == m_list->viewport()) {
        switch (event->type()) {
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            rowPointerMoved(mouse->position().toPoint(), mouse->globalPosition());
            break;
        }
        case QEvent::Leave:
            if (m_pointerRow)
                m_model->pointerLeft(*m_pointerRow);
            m_pointerRow.reset();
            m_lastPointer.reset();
            break;
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            m_pressedRow =
                mouse->button() == Qt::LeftButton ? m_list->indexAt(mouse->position().toPoint()).row() : -1;
            break;
        }
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const int row = m_list->indexAt(mouse->position().toPoint()).row();
            const int pressed = std::exchange(m_pressedRow, -1);
            if (mouse->button() == Qt::LeftButton && row >= 0 && row == pressed) {
                if (const ClipboardItemPtr item = m_model->itemAt(row)) {
                    clickRow(item, QApplication::keyboardModifiers().testFlag(Qt::ControlModifier));
                    return true;
                }
            }
            break;
        }
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void HistoryView::showContextMenu(const QPoint& viewportPos) {
    if (const ClipboardItemPtr item = m_model->itemAt(m_list->indexAt(viewportPos).row()))
        openContextMenu(item, viewportPos);
}

bool HistoryView::showSelectionContextMenu() {
    const ClipboardItemPtr item = m_model->previewItem();
    if (!item)
        return false;
    // On its row while the row is in view, else at the top of the list.
    const QRect row = m_list->visualRect(m_model->index(m_model->rowOf(item->id())));
    const QRect viewport = m_list->viewport()->rect();
    openContextMenu(item, row.intersects(viewport) ? row.center() : viewport.topLeft());
    return true;
}

void HistoryView::openContextMenu(const ClipboardItemPtr& item, const QPoint& viewportPos) {
    QMenu* menu = makeContextMenu(item, this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(m_list->viewport()->mapToGlobal(viewportPos));
}

void HistoryView::pasteWhenReady(const QFuture<QString>& text) {
    deliverOnContextThread(text, this, [this](const QString& made) {
        if (m_callbacks.onPasteText)
            m_callbacks.onPasteText(made);
    });
}

void HistoryView::showNotice(const QString& text) {
    m_notice->setText(text);
    placeNotice();
    m_notice->show();
    m_notice->raise();
    m_noticeTimer.start();
}

void HistoryView::placeNotice() {
    if (!m_notice || !m_footer)
        return;
    // One line when it fits, wrapped within the card otherwise (the padding and border are 26 pixels).
    const int width =
        std::min(m_notice->fontMetrics().horizontalAdvance(m_notice->text()) + 26, m_card->width() - 80);
    const int height = m_notice->heightForWidth(width);
    m_notice->setGeometry((m_card->width() - width) / 2, m_footer->y() - height - 10, width, height);
}

QMenu* HistoryView::makeContextMenu(const ClipboardItemPtr& item, QWidget* parent) {
    using HistoryContextMenu::Action;
    auto* menu = new QMenu(parent);
    const QColor iconColor = QS::Color::label(QS::Color::schemeOf(*this));
    const std::weak_ptr<ClipboardItem> weakItem = item;
    const std::function<void(QMenu*, const QList<HistoryContextMenu::Entry>&)> fill =
        [&](QMenu* target, const QList<HistoryContextMenu::Entry>& entries) {
            for (const HistoryContextMenu::Entry& entry : entries) {
                if (entry.action == Action::separator) {
                    target->addSeparator();
                    continue;
                }
                // Menu titles may come from item text (smart-action payloads): never mnemonics.
                const QString title = QString(entry.title).replace(QLatin1Char('&'), QStringLiteral("&&"));
                if (!entry.children.isEmpty()) {
                    QMenu* submenu = target->addMenu(title);
                    fill(submenu, entry.children);
                    continue;
                }
                QAction* action = target->addAction(title);
                action->setObjectName(QStringLiteral("menu_%1").arg(static_cast<int>(entry.action)));
                if (!entry.symbolName.isEmpty())
                    action->setIcon(SymbolIcon::icon(entry.symbolName, iconColor));
                connect(action, &QAction::triggered, this, [this, entry, weakItem] {
                    const ClipboardItemPtr target = weakItem.lock();
                    if (!target)
                        return;
                    const QString text = target->plainText().value_or(QString());
                    switch (entry.action) {
                    case Action::paste:
                        if (m_callbacks.onSelect)
                            m_callbacks.onSelect(target, false);
                        break;
                    case Action::pastePlainText:
                        if (m_callbacks.onSelect)
                            m_callbacks.onSelect(target, true);
                        break;
                    case Action::copy:
                        if (m_services.copyToPasteboard)
                            m_services.copyToPasteboard(target);
                        break;
                    case Action::toggleQueue:
                        m_model->toggleMulti(target->id());
                        break;
                    case Action::pasteOCRText:
                        if (m_callbacks.onPasteText)
                            m_callbacks.onPasteText(target->ocrText().value_or(QString()));
                        break;
                    case Action::transform:
                        pasteWhenReady(QtConcurrent::run(&TextTransforms::apply, *entry.transform, text));
                        break;
                    case Action::smartAction:
                        if (m_services.performSmartAction) {
                            ContentClassifier::Replies replies;
                            replies.context = this;
                            replies.pasteText = [this](const QString& pasted) {
                                if (m_callbacks.onPasteText)
                                    m_callbacks.onPasteText(pasted);
                            };
                            replies.failed = [this](const QString& reason) {
                                showNotice(reason);
                            };
                            m_services.performSmartAction(*entry.smartAction, replies);
                        }
                        break;
                    case Action::saveAsSnippet:
                        m_store.addSnippet(target->previewTitle(), text);
                        break;
                    case Action::togglePin:
                        togglePin(target);
                        break;
                    case Action::quickLook:
                        m_model->commitSelection(target->id(), false);
                        setQuickLookShown(true);
                        break;
                    case Action::deleteItem:
                        m_store.deleteItem(target);
                        break;
                    case Action::transformSubmenu:
                    case Action::smartActionSubmenu:
                    case Action::separator:
                        break;
                    }
                });
            }
        };
    fill(menu, HistoryContextMenu::entries(*item, m_model->multiSelected().contains(item->id())));
    return menu;
}
