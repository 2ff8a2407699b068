#include "SettingsWidgets.h"

#include <UI/Design/Font.h>
#include <UI/Design/Motion.h>
#include <UI/Design/QSSectionHeader.h>
#include <UI/Design/SchemeFollower.h>
#include <UI/Design/SymbolIcon.h>
#include <UI/Design/ThinScrollbarConfigurator.h>

#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <cmath>

namespace UI {

namespace {
constexpr qreal kPanelRadius = 10;
constexpr int kRowInset = 12;
// Room around a prominent button's face for its short enlargement.
constexpr int kGrowthMargin = 3;
constexpr int kAlertSymbolSize = 40;
constexpr int kAlertWidth = 380;

QColor panelFill(QS::Color::Scheme scheme) {
    return scheme == QS::Color::Scheme::Dark ? QColor(255, 255, 255, 14) : QColor(255, 255, 255, 190);
}

QColor hairline(QS::Color::Scheme scheme) {
    return QS::Color::withOpacity(QS::Color::label(scheme), 0.09);
}

void setColorRoles(QWidget& widget, std::initializer_list<QPalette::ColorRole> roles, const QColor& color) {
    QPalette palette = widget.palette();
    bool changed = false;
    for (QPalette::ColorRole role : roles) {
        if (palette.color(QPalette::Active, role) != color ||
            palette.color(QPalette::Inactive, role) != color) {
            palette.setColor(QPalette::Active, role, color);
            palette.setColor(QPalette::Inactive, role, color);
            changed = true;
        }
    }
    if (changed)
        widget.setPalette(palette);
}

QMessageBox* makeBox(QWidget* over, Tone tone, const QString& title, const QString& message) {
    bringToFront(over);
    auto* box = new QMessageBox(over->window());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->setWindowTitle(QStringLiteral("Quillstack"));
    const qreal ratio = box->devicePixelRatioF();
    box->setIconPixmap(SymbolIcon::pixmap(QStringLiteral("exclamationmark.triangle.fill"), kAlertSymbolSize,
                                          toneColor(tone, QS::Color::schemeOf(*over)), ratio));
    box->setTextFormat(Qt::PlainText);
    box->setText(title);
    box->setInformativeText(message);
    if (auto* text = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
        text->setFont(QS::Font::system(13, QFont::Bold));
    // Room for the message to run in a few lines rather than a narrow column.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(new QSpacerItem(kAlertWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return box;
}

void present(QMessageBox* box) {
    box->open();
    box->raise();
    box->activateWindow();
}
} // namespace

QColor toneColor(Tone tone, QS::Color::Scheme scheme) {
    switch (tone) {
    case Tone::Primary:
        return QS::Color::label(scheme);
    case Tone::Secondary:
        return QS::Color::secondaryText(scheme);
    case Tone::Tertiary:
        return QS::Color::tertiaryText(scheme);
    case Tone::Brand:
        return QS::Color::brand();
    case Tone::Orange:
        return QS::Color::system(QS::Color::System::Orange, scheme);
    case Tone::Red:
        return QS::Color::system(QS::Color::System::Red, scheme);
    case Tone::White:
        return Qt::white;
    }
    return QS::Color::label(scheme);
}

QFont bodyFont() {
    return QS::Font::system(13);
}

QFont captionFont() {
    return QS::Font::system(11);
}

TextLabel::TextLabel(Tone tone, const QFont& font, QWidget* parent) : QLabel(parent), m_tone(tone) {
    // Inside a button (a choice card) a label would otherwise take the button's text colour.
    setForegroundRole(QPalette::WindowText);
    setTextFormat(Qt::PlainText);
    setFont(font);
    applyTone();
}

void TextLabel::setTone(Tone tone) {
    m_tone = tone;
    applyTone();
}

void TextLabel::applyTone() {
    setColorRoles(*this, {QPalette::WindowText, QPalette::Text},
                  toneColor(m_tone, QS::Color::schemeOf(*this)));
}

void TextLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyTone();
}

SymbolLabel::SymbolLabel(const QString& symbol, int size, Tone tone, QWidget* parent, qreal opacity)
    : QLabel(parent), m_symbol(symbol), m_size(size), m_tone(tone), m_opacity(opacity) {
    setFixedSize(size, size);
    setAlignment(Qt::AlignCenter);
    render();
}

void SymbolLabel::setTone(Tone tone) {
    m_tone = tone;
    render();
}

void SymbolLabel::render() {
    const QColor color = QS::Color::withOpacity(toneColor(m_tone, QS::Color::schemeOf(*this)), m_opacity);
    setPixmap(SymbolIcon::pixmap(m_symbol, m_size, color, devicePixelRatioF()));
}

void SymbolLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        render();
}

SettingsSwitch::SettingsSwitch(QWidget* parent)
    : QAbstractButton(parent), m_knob(new QVariantAnimation(this)) {
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(m_knob, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_position = value.toReal();
        update();
    });
    connect(this, &QAbstractButton::toggled, this,
            [this](bool on) { QS::Motion::runTo(*m_knob, m_position, on ? 1.0 : 0.0, QS::Motion::fast()); });
}

QSize SettingsSwitch::sizeHint() const {
    return {40, 24};
}

bool SettingsSwitch::hitButton(const QPoint& pos) const {
    return rect().contains(pos);
}

void SettingsSwitch::paintEvent(QPaintEvent*) {
    const QS::Color::Scheme scheme = QS::Color::schemeOf(*this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.45);
    const QRectF track = QRectF(rect()).adjusted(1, 1, -1, -1);
    const qreal radius = track.height() / 2;
    const QColor off =
        QS::Color::withOpacity(QS::Color::label(scheme), scheme == QS::Color::Scheme::Dark ? 0.24 : 0.16);
    const QColor on = QS::Color::brand();
    const QColor fill = QS::Color::mix(off, on, m_position);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(track, radius, radius);

    const qreal knobDiameter = track.height() - 4;
    const qreal travel = track.width() - knobDiameter - 4;
    const QRectF knob(track.left() + 2 + travel * m_position, track.top() + 2, knobDiameter, knobDiameter);
    painter.setBrush(QColor(0, 0, 0, 40));
    painter.drawEllipse(knob.translated(0, 0.75));
    painter.setBrush(Qt::white);
    painter.drawEllipse(knob);

    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QS::Color::withOpacity(QS::Color::brand(), 0.6), 2));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius + 0.5, radius + 0.5);
    }
}

ProminentButton::ProminentButton(Tone tint, const QString& symbol, QWidget* parent)
    : QPushButton(parent), m_tint(tint), m_symbol(symbol) {
    setCursor(Qt::PointingHandCursor);
    setFont(QS::Font::system(13, QFont::DemiBold));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ProminentButton::setScale(qreal scale) {
    m_scale = scale;
    update();
}

QSize ProminentButton::sizeHint() const {
    const QFontMetrics metrics(font());
    const int iconWidth = m_symbol.isEmpty() ? 0 : 14 + 6;
    const int width = metrics.horizontalAdvance(text()) + iconWidth + 2 * 14 + 2 * kGrowthMargin;
    const int height = std::max(28, metrics.height() + 12) + 2 * kGrowthMargin;
    return {width, height};
}

void ProminentButton::paintEvent(QPaintEvent*) {
    const QS::Color::Scheme scheme = QS::Color::schemeOf(*this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF face = QRectF(rect()).adjusted(kGrowthMargin, kGrowthMargin, -kGrowthMargin, -kGrowthMargin);
    painter.translate(face.center());
    painter.scale(m_scale, m_scale);
    painter.translate(-face.center());

    QColor fill = toneColor(m_tint, scheme);
    if (!isEnabled())
        fill = QS::Color::withOpacity(fill, 0.35);
    else if (isDown())
        fill = fill.darker(115);
    else if (underMouse())
        fill = fill.lighter(108);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(face, 7, 7);
    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QS::Color::withOpacity(fill, 0.55), 2));
        painter.drawRoundedRect(face.adjusted(-1.5, -1.5, 1.5, 1.5), 8.5, 8.5);
    }

    const QColor ink = isEnabled() ? QColor(Qt::white) : QColor(255, 255, 255, 190);
    const QFontMetrics metrics(font());
    const int iconSize = 14;
    const int textWidth = metrics.horizontalAdvance(text());
    const int contentWidth = textWidth + (m_symbol.isEmpty() ? 0 : iconSize + 6);
    qreal x = face.center().x() - contentWidth / 2.0;
    if (!m_symbol.isEmpty()) {
        const QPixmap symbol = SymbolIcon::pixmap(m_symbol, iconSize, ink, devicePixelRatioF());
        painter.drawPixmap(QPointF(x, face.center().y() - iconSize / 2.0), symbol);
        x += iconSize + 6;
    }
    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(QRectF(x, face.top(), textWidth + 1, face.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     text());
}

TonedButton::TonedButton(Tone tone, QWidget* parent) : QPushButton(parent), m_tone(tone) {
    setCursor(Qt::PointingHandCursor);
    applyTone();
}

QSize TonedButton::sizeHint() const {
    // A little more room than the style's tightest fit, like the forms' other controls.
    return QPushButton::sizeHint() + QSize(16, 4);
}

void TonedButton::applyTone() {
    setColorRoles(*this, {QPalette::ButtonText}, toneColor(m_tone, QS::Color::schemeOf(*this)));
}

void TonedButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyTone();
}

FormPanel::FormPanel(QWidget* parent) : QWidget(parent), m_rows(new QVBoxLayout(this)) {
    m_rows->setContentsMargins(0, 2, 0, 2);
    m_rows->setSpacing(0);
}

void FormPanel::addRow(QWidget* row) {
    row->setParent(this);
    m_rows->addWidget(row);
}

void FormPanel::paintEvent(QPaintEvent*) {
    const QS::Color::Scheme scheme = QS::Color::schemeOf(*this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setBrush(panelFill(scheme));
    painter.setPen(QPen(hairline(scheme), 1));
    painter.drawRoundedRect(bounds, kPanelRadius, kPanelRadius);

    // A hairline above every visible row but the first.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(hairline(scheme), 1));
    bool first = true;
    for (int i = 0; i < m_rows->count(); ++i) {
        const QWidget* row = m_rows->itemAt(i)->widget();
        if (!row || !row->isVisible())
            continue;
        if (!first)
            painter.drawLine(kRowInset, row->y(), width() - kRowInset, row->y());
        first = false;
    }
}

FormSection::FormSection(const char* header, QWidget* parent)
    : QWidget(parent), m_panel(new FormPanel(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (header)
        layout->addWidget(new QSSectionHeader(header, {}, this));
    layout->addWidget(m_panel);
}

TextLabel* FormSection::footer() {
    if (!m_footer) {
        m_footer = new TextLabel(Tone::Secondary, captionFont(), this);
        m_footer->setWordWrap(true);
        m_footer->setContentsMargins(kRowInset, 6, kRowInset, 0);
        layout()->addWidget(m_footer);
    }
    return m_footer;
}

SettingsForm::SettingsForm(QWidget* parent)
    : QScrollArea(parent), m_content(new QWidget), m_sections(new QVBoxLayout(m_content)) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    m_content->setAutoFillBackground(false);
    m_sections->setContentsMargins(20, 4, 20, 12);
    m_sections->setSpacing(8);
    m_sections->addStretch(1);
    setWidget(m_content);
    ThinScrollbarConfigurator::apply(*this);
}

void SettingsForm::changeEvent(QEvent* event) {
    QScrollArea::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        ThinScrollbarConfigurator::apply(*this);
}

FormSection* SettingsForm::addSection(const char* header) {
    auto* section = new FormSection(header, m_content);
    addWidget(section);
    return section;
}

void SettingsForm::addWidget(QWidget* widget) {
    widget->setParent(m_content);
    m_sections->insertWidget(m_sections->count() - 1, widget);
}

QHBoxLayout* choiceCardRow(QWidget* row) {
    // The cards keep a few pixels around their faces for the hover growth; the faces stand 10 apart,
    // inset like the rows.
    constexpr int kCardGrowth = 3;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(kRowInset - kCardGrowth, 10 - kCardGrowth, kRowInset - kCardGrowth,
                               10 - kCardGrowth);
    layout->setSpacing(10 - 2 * kCardGrowth);
    return layout;
}

QWidget* buttonRow(QPushButton* button, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(10, 8, 10, 8);
    button->setParent(row);
    layout->addWidget(button);
    layout->addStretch(1);
    return row;
}

TextLabel* rowLabel(QWidget* parent) {
    return new TextLabel(Tone::Primary, bodyFont(), parent);
}

QWidget* formRow(QWidget* label, QWidget* control, QWidget* parent, QWidget* note) {
    auto* row = new QWidget(parent);
    auto* column = new QVBoxLayout(row);
    column->setContentsMargins(kRowInset, 6, kRowInset, 6);
    column->setSpacing(2);
    auto* line = new QHBoxLayout;
    line->setSpacing(12);
    label->setParent(row);
    label->setMinimumHeight(28);
    line->addWidget(label, 1);
    if (control) {
        control->setParent(row);
        line->addWidget(control, 0, Qt::AlignRight | Qt::AlignVCenter);
    }
    column->addLayout(line);
    if (note) {
        note->setParent(row);
        column->addWidget(note);
    }
    return row;
}

void styleTextInput(QWidget& input) {
    QS::Color::follow(input, [&input](QS::Color::Scheme scheme) {
        const bool dark = scheme == QS::Color::Scheme::Dark;
        const QColor fill = dark ? QColor(255, 255, 255, 16) : QColor(Qt::white);
        const QColor stroke = QS::Color::withOpacity(QS::Color::label(scheme), dark ? 0.16 : 0.18);
        const QColor focus = QS::Color::withOpacity(QS::Color::brand(), 0.8);
        const QColor selection = QS::Color::withOpacity(QS::Color::brand(), 0.35);
        input.setStyleSheet(
            QStringLiteral("%1 { background: %2; color: %3; border: 1px solid %4; border-radius: 6px; "
                           "padding: 4px 6px; selection-background-color: %5; selection-color: %3; } "
                           "%1:focus { border: 1px solid %6; }")
                .arg(QString::fromLatin1(input.metaObject()->className()), fill.name(QColor::HexArgb),
                     QS::Color::label(scheme).name(), stroke.name(QColor::HexArgb),
                     selection.name(QColor::HexArgb), focus.name(QColor::HexArgb)));
    });
}

void bringToFront(QWidget* widget) {
    QWidget* window = widget->window();
    window->show();
    window->raise();
    window->activateWindow();
}

QMessageBox* confirmDestructive(QWidget* over, const QString& title, const QString& message,
                                const QString& confirmTitle, std::function<void()> onConfirm) {
    QMessageBox* box = makeBox(over, Tone::Orange, title, message);
    auto* confirm = new TonedButton(Tone::Red);
    confirm->setText(confirmTitle);
    confirm->setObjectName(QStringLiteral("confirm"));
    box->addButton(confirm, QMessageBox::DestructiveRole);
    QPushButton* cancel =
        box->addButton(QCoreApplication::translate("UI::SettingsWidgets", "Cancel"), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    // Return alone never destroys anything.
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    QObject::connect(box, &QDialog::finished, box, [box, confirm, onConfirm = std::move(onConfirm)] {
        if (box->clickedButton() == confirm && onConfirm)
            onConfirm();
    });
    present(box);
    return box;
}

QMessageBox* warn(QWidget* over, const QString& title, const QString& message) {
    QMessageBox* box = makeBox(over, Tone::Red, title, message);
    box->addButton(QCoreApplication::translate("UI::SettingsWidgets", "OK"), QMessageBox::AcceptRole)
        ->setObjectName(QStringLiteral("ok"));
    present(box);
    return box;
}

} // namespace UI
