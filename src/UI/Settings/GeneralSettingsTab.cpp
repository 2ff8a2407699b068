#include "GeneralSettingsTab.h"

#include <App/LanguageManager.h>
#include <Capture/DefaultSettings.h>
#include <Platform/UserDefaults.h>
#include <Storage/HistoryStore.h>
#include <UI/Design/Color.h>
#include <UI/Design/Font.h>
#include <UI/Design/QSChoiceCard.h>
#include <UI/Design/SchemeFollower.h>
#include <UI/Design/WheelGuard.h>

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace UI {

namespace {
const QString kLaunchAtLogin = QStringLiteral("launchAtLogin");
constexpr int kDefaultLimit = 200;

struct PositionChoice {
    const char* id;
    const char* symbol;
    const char* title;
};

const PositionChoice kPositionChoices[] = {
    {"center", "rectangle.center.inset.filled",
     QT_TRANSLATE_NOOP("UI::GeneralSettingsTab", "Center of screen")},
    {"cursor", "cursorarrow.click.2", QT_TRANSLATE_NOOP("UI::GeneralSettingsTab", "Near cursor")},
    {"input", "character.cursor.ibeam", QT_TRANSLATE_NOOP("UI::GeneralSettingsTab", "Near text field")},
};
} // namespace

const QList<int>& GeneralSettingsTab::limits() {
    static const QList<int> values{20, 50, 100, 200, 300, 500, 1000};
    return values;
}

GeneralSettingsTab::GeneralSettingsTab(const SettingsServices& services, QWidget* parent)
    : SettingsForm(parent), m_services(services) {
    Platform::UserDefaults& defaults = *m_services.defaults;

    // Launch at login and the history limit.
    m_limitSection = addSection();
    m_launchLabel = rowLabel(this);
    m_launchAtLogin = new SettingsSwitch(this);
    m_launchAtLogin->setObjectName(QStringLiteral("launchAtLogin"));
    m_launchAtLogin->setChecked(defaults.boolValue(kLaunchAtLogin, false));
    m_loginItemError = new TextLabel(Tone::Orange, captionFont(), this);
    m_loginItemError->setObjectName(QStringLiteral("loginItemError"));
    m_loginItemError->setWordWrap(true);
    m_loginItemError->hide();
    m_limitSection->addRow(formRow(m_launchLabel, m_launchAtLogin, this, m_loginItemError));
    connect(m_launchAtLogin, &QAbstractButton::toggled, this, [this](bool on) {
        m_services.defaults->setValue(kLaunchAtLogin, on);
        // The switch keeps the user's choice; a registration that failed is said beside it.
        const bool registered = !m_services.setLoginItem || m_services.setLoginItem(on);
        m_loginItemError->setVisible(!registered);
        refreshTrustWarning();
    });

    m_limitLabel = rowLabel(this);
    m_limit = new QComboBox(this);
    m_limit->setObjectName(QStringLiteral("historyLimit"));
    m_limit->setFont(bodyFont());
    WheelGuard::apply(*m_limit);
    for (int limit : limits())
        m_limit->addItem(QString(), limit);
    m_limit->setCurrentIndex(m_limit->findData(
        static_cast<int>(defaults.intValue(App::SettingsKeys::historyLimit, kDefaultLimit))));
    m_limitSection->addRow(formRow(m_limitLabel, m_limit, this));
    connect(m_limit, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0)
            return;
        m_services.defaults->setValue(App::SettingsKeys::historyLimit, m_limit->itemData(index).toInt());
        m_services.store->enforceLimit();
        refreshTrustWarning();
    });

    // Where the panel appears.
    m_positionSection = addSection(QT_TRANSLATE_NOOP("QSSectionHeader", "Show window"));
    auto* cards = new QWidget(this);
    QHBoxLayout* cardRow = choiceCardRow(cards);
    for (const PositionChoice& choice : kPositionChoices) {
        auto* content = new QWidget;
        content->setMinimumHeight(72 - 2 * 12);
        auto* stack = new QVBoxLayout(content);
        stack->setContentsMargins(0, 0, 0, 0);
        stack->setSpacing(8);
        auto* symbol = new SymbolLabel(QString::fromLatin1(choice.symbol), 22, Tone::Secondary, content);
        symbol->setFixedHeight(28);
        stack->addWidget(symbol, 0, Qt::AlignHCenter);
        auto* title = new TextLabel(Tone::Secondary, QS::Font::system(11, QFont::Medium), content);
        title->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        title->setWordWrap(true);
        stack->addWidget(title);
        const QString id = QString::fromLatin1(choice.id);
        auto* card = new QSChoiceCard(
            false, [this, id] { choosePosition(id); }, content, cards);
        card->setObjectName(QStringLiteral("position.") + id);
        cardRow->addWidget(card, 1);
        m_positions.append({id, choice.title, card, symbol, title});
    }
    m_positionSection->addRow(cards);
    showPositionSelection();

    // Paste or only copy.
    FormSection* behaviour = addSection(QT_TRANSLATE_NOOP("QSSectionHeader", "After selecting an item"));
    auto* radios = new QWidget(this);
    auto* radioColumn = new QVBoxLayout(radios);
    radioColumn->setContentsMargins(12, 8, 12, 8);
    radioColumn->setSpacing(6);
    m_paste = new QRadioButton(radios);
    m_paste->setObjectName(QStringLiteral("autoPaste.paste"));
    m_copyOnly = new QRadioButton(radios);
    m_copyOnly->setObjectName(QStringLiteral("autoPaste.copy"));
    auto* group = new QButtonGroup(radios);
    for (QRadioButton* radio : {m_paste, m_copyOnly}) {
        radio->setFont(bodyFont());
        group->addButton(radio);
        radioColumn->addWidget(radio);
        // The style fills the ring with the base colour and draws the chosen dot in the text colour:
        // in dark both come out near black and grey. A ring that stands off the page and a dot in
        // the brand colour tell the choice apart in either scheme.
        QS::Color::follow(*radio, [radio](QS::Color::Scheme scheme) {
            radio->setPalette(QPalette());
            QPalette palette = radio->palette();
            const bool dark = scheme == QS::Color::Scheme::Dark;
            palette.setColor(QPalette::Base, dark ? QColor(0x3a, 0x3a, 0x3c) : QColor(Qt::white));
            palette.setColor(QPalette::Text, dark ? QS::Color::brand().lighter(150) : QS::Color::brand());
            radio->setPalette(palette);
        });
    }
    (defaults.boolValue(App::SettingsKeys::autoPaste, true) ? m_paste : m_copyOnly)->setChecked(true);
    connect(m_paste, &QAbstractButton::toggled, this, [this](bool paste) {
        m_services.defaults->setValue(App::SettingsKeys::autoPaste, paste);
        refreshTrustWarning();
    });
    behaviour->addRow(radios);

    // Why automatic pasting cannot work in this session.
    m_trustWarning = addSection();
    m_trustWarning->setObjectName(QStringLiteral("accessibilityWarning"));
    auto* warning = new QWidget(this);
    auto* warningRow = new QHBoxLayout(warning);
    warningRow->setContentsMargins(12, 10, 12, 10);
    warningRow->setSpacing(10);
    warningRow->addWidget(
        new SymbolLabel(QStringLiteral("exclamationmark.triangle.fill"), 22, Tone::Orange, warning), 0,
        Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    m_trustTitle = new TextLabel(Tone::Primary, QS::Font::system(12, QFont::DemiBold), warning);
    m_trustTitle->setWordWrap(true);
    m_trustDetail = new TextLabel(Tone::Secondary, QS::Font::system(12), warning);
    m_trustDetail->setWordWrap(true);
    texts->addWidget(m_trustTitle);
    texts->addWidget(m_trustDetail);
    warningRow->addLayout(texts, 1);
    m_trustWarning->addRow(warning);

    retranslate();
    refreshTrustWarning();
}

void GeneralSettingsTab::choosePosition(const QString& id) {
    m_services.defaults->setValue(App::SettingsKeys::windowPosition, id);
    showPositionSelection();
    refreshTrustWarning();
}

void GeneralSettingsTab::showPositionSelection() {
    const QString stored = m_services.defaults->stringValue(App::SettingsKeys::windowPosition);
    for (PositionCard& position : m_positions) {
        const bool selected = position.id == stored;
        position.card->setSelected(selected);
        position.symbol->setTone(selected ? Tone::Brand : Tone::Secondary);
        position.label->setTone(selected ? Tone::Primary : Tone::Secondary);
    }
}

void GeneralSettingsTab::refreshTrustWarning() {
    const bool trusted = !m_services.accessibilityTrusted || m_services.accessibilityTrusted();
    m_trustWarning->setVisible(!trusted);
}

void GeneralSettingsTab::showEvent(QShowEvent* event) {
    refreshTrustWarning();
    SettingsForm::showEvent(event);
}

void GeneralSettingsTab::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    SettingsForm::changeEvent(event);
}

void GeneralSettingsTab::retranslate() {
    m_launchLabel->setText(tr("Launch at Login"));
    m_launchAtLogin->setAccessibleName(m_launchLabel->text());
    m_loginItemError->setText(tr("The autostart entry could not be changed, so this may not take effect."));
    m_limitLabel->setText(tr("Remember last items"));
    m_limit->setAccessibleName(m_limitLabel->text());
    const QLocale locale = m_services.language ? m_services.language->locale() : QLocale();
    for (int i = 0; i < m_limit->count(); ++i)
        m_limit->setItemText(i, locale.toString(m_limit->itemData(i).toInt()));
    m_limitSection->footer()->setText(tr("How many recent clipboard items to keep. Pinned items and snippets "
                                         "are never removed by this limit."));
    for (PositionCard& position : m_positions) {
        position.label->setText(tr(position.title));
        position.card->setAccessibleName(position.label->text());
    }
    m_positionSection->footer()->setText(tr("Where the history panel appears when you press the shortcut."));
    m_paste->setText(tr("Paste automatically"));
    m_copyOnly->setText(tr("Only copy to clipboard"));
    m_trustTitle->setText(tr("Automatic pasting is unavailable in this session."));
    m_trustDetail->setText(
        tr("It needs an X11 session with the XTest extension. Picked items are still copied "
           "to the clipboard."));
}

} // namespace UI
