#include "AppearanceSettingsTab.h"

#include <Capture/DefaultSettings.h>
#include <Platform/UserDefaults.h>
#include <UI/Design/Font.h>
#include <UI/Design/QSChoiceCard.h>
#include <UI/Design/SchemeFollower.h>
#include <UI/Design/WheelGuard.h>

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

namespace UI {

namespace {
constexpr int kDefaultFontSize = 12;

struct SchemeChoice {
    const char* value;
    const char* title;
};

const SchemeChoice kSchemeChoices[] = {
    {"system", QT_TRANSLATE_NOOP("UI::AppearanceSettingsTab", "System")},
    {"light", QT_TRANSLATE_NOOP("UI::AppearanceSettingsTab", "Light")},
    {"dark", QT_TRANSLATE_NOOP("UI::AppearanceSettingsTab", "Dark")},
};

// A small picture of a window in the scheme: light, dark, or split between both for "system".
class SchemeThumbnail : public QWidget {
public:
    SchemeThumbnail(QString value, QWidget* parent) : QWidget(parent), m_value(std::move(value)) {
        setFixedSize(84, 54);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QPainterPath outline;
        outline.addRoundedRect(frame, 7, 7);
        if (m_value == QLatin1String("system")) {
            painter.save();
            painter.setClipPath(outline);
            painter.setClipRect(QRectF(frame.left(), frame.top(), frame.width() / 2, frame.height()),
                                Qt::IntersectClip);
            drawWindow(painter, frame, false);
            painter.restore();
            painter.save();
            painter.setClipPath(outline);
            painter.setClipRect(QRectF(frame.center().x(), frame.top(), frame.width() / 2, frame.height()),
                                Qt::IntersectClip);
            drawWindow(painter, frame, true);
            painter.restore();
        } else {
            painter.save();
            painter.setClipPath(outline);
            drawWindow(painter, frame, m_value == QLatin1String("dark"));
            painter.restore();
        }
        painter.setPen(QPen(QColor(0, 0, 0, 45), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(outline);
    }

private:
    static void drawWindow(QPainter& painter, const QRectF& frame, bool dark) {
        const QColor background = dark ? QColor(0x2B, 0x2B, 0x2D) : QColor(0xEC, 0xEC, 0xEC);
        const QColor card = dark ? QColor(0x3A, 0x3A, 0x3C) : Qt::white;
        const QColor line = dark ? QColor(236, 236, 238, 120) : QColor(29, 29, 31, 90);
        painter.fillRect(frame, background);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QS::Color::withOpacity(QS::Color::brand(), 0.85));
        painter.drawRoundedRect(QRectF(frame.left() + 8, frame.top() + 8, 22, 6), 3, 3);
        painter.setBrush(card);
        const QRectF panel(frame.left() + 8, frame.top() + 20, frame.width() - 16, frame.height() - 28);
        painter.drawRoundedRect(panel, 4, 4);
        painter.setBrush(line);
        for (int i = 0; i < 2; ++i)
            painter.drawRoundedRect(
                QRectF(panel.left() + 6, panel.top() + 6 + i * 9, panel.width() * (0.7 - 0.2 * i), 4), 2, 2);
    }

    QString m_value;
};
} // namespace

AppearanceSettingsTab::AppearanceSettingsTab(const SettingsServices& services, QWidget* parent)
    : SettingsForm(parent), m_services(services) {
    m_schemeSection = addSection(QT_TRANSLATE_NOOP("QSSectionHeader", "Appearance"));
    auto* cards = new QWidget(this);
    QHBoxLayout* cardRow = choiceCardRow(cards);
    for (const SchemeChoice& choice : kSchemeChoices) {
        const QString value = QString::fromLatin1(choice.value);
        auto* content = new QWidget;
        auto* stack = new QVBoxLayout(content);
        stack->setContentsMargins(0, 0, 0, 0);
        stack->setSpacing(8);
        stack->addWidget(new SchemeThumbnail(value, content), 0, Qt::AlignHCenter);
        auto* title = new TextLabel(Tone::Secondary, QS::Font::system(11, QFont::Medium), content);
        title->setAlignment(Qt::AlignHCenter);
        stack->addWidget(title);
        auto* card = new QSChoiceCard(
            false, [this, value] { chooseScheme(value); }, content, cards);
        card->setObjectName(QStringLiteral("appearance.") + value);
        cardRow->addWidget(card, 1);
        m_schemes.append({value, choice.title, card, title});
    }
    m_schemeSection->addRow(cards);
    showSchemeSelection();

    FormSection* previews = addSection(QT_TRANSLATE_NOOP("QSSectionHeader", "Previews"));
    m_sizeLabel = rowLabel(this);
    m_size = new QSlider(Qt::Horizontal, this);
    m_size->setObjectName(QStringLiteral("previewFontSize"));
    m_size->setRange(kMinimumFontSize, kMaximumFontSize);
    m_size->setSingleStep(1);
    m_size->setPageStep(1);
    m_size->setTickPosition(QSlider::TicksBelow);
    m_size->setTickInterval(1);
    m_size->setFixedWidth(220);
    WheelGuard::apply(*m_size);
    // The brand colour over the inherited palette, set afresh when the appearance changes: a palette
    // with one role of its own does not take every colour of the next scheme.
    QS::Color::follow(*m_size, [this](QS::Color::Scheme) {
        m_size->setPalette(QPalette());
        QPalette palette = m_size->palette();
        palette.setColor(QPalette::Highlight, QS::Color::brand());
        m_size->setPalette(palette);
    });
    const int stored =
        static_cast<int>(m_services.defaults->intValue(App::SettingsKeys::previewFontSize, kDefaultFontSize));
    m_size->setValue(std::clamp(stored, kMinimumFontSize, kMaximumFontSize));
    previews->addRow(formRow(m_sizeLabel, m_size, this));

    m_sample = new TextLabel(Tone::Primary, QS::Font::system(m_size->value()), this);
    m_sample->setObjectName(QStringLiteral("previewSample"));
    m_sample->setWordWrap(true);
    m_sample->setMinimumHeight(64);
    m_sample->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_sample->setContentsMargins(12, 10, 12, 12);
    previews->addRow(m_sample);
    connect(m_size, &QSlider::valueChanged, this, [this](int size) {
        // Open previews follow the setting as it changes.
        m_services.defaults->setValue(App::SettingsKeys::previewFontSize, size);
        showFontSize(size);
    });

    retranslate();
}

void AppearanceSettingsTab::chooseScheme(const QString& value) {
    m_services.defaults->setValue(App::SettingsKeys::appearance, value);
    if (m_services.applyAppearance)
        m_services.applyAppearance();
    showSchemeSelection();
}

void AppearanceSettingsTab::showSchemeSelection() {
    QString stored =
        m_services.defaults->stringValue(App::SettingsKeys::appearance, QStringLiteral("system"));
    // Any other value follows the desktop, so it shows as "system".
    if (stored != QLatin1String("light") && stored != QLatin1String("dark"))
        stored = QStringLiteral("system");
    for (SchemeCard& scheme : m_schemes) {
        const bool selected = scheme.value == stored;
        scheme.card->setSelected(selected);
        scheme.label->setTone(selected ? Tone::Primary : Tone::Secondary);
    }
}

void AppearanceSettingsTab::showFontSize(int size) {
    m_sizeLabel->setText(tr("Preview font size: ") + QString::number(size));
    m_sample->setFont(QS::Font::system(size));
}

void AppearanceSettingsTab::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    SettingsForm::changeEvent(event);
}

void AppearanceSettingsTab::retranslate() {
    for (SchemeCard& scheme : m_schemes) {
        scheme.label->setText(tr(scheme.title));
        scheme.card->setAccessibleName(scheme.label->text());
    }
    m_schemeSection->footer()->setText(tr("System follows the desktop's light or dark setting. Every "
                                          "Quillstack window changes at once."));
    showFontSize(m_size->value());
    m_size->setAccessibleName(tr("Preview font size"));
    m_sample->setText(tr("The quick brown fox jumps over the lazy dog"));
}

} // namespace UI
