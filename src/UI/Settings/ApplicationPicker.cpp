#include "ApplicationPicker.h"

#include "SettingsWidgets.h"

#include <UI/Design/AppIconCache.h>
#include <UI/Design/Font.h>
#include <UI/Design/InstalledApplications.h>
#include <UI/Design/SymbolIcon.h>
#include <UI/Design/ThinScrollbarConfigurator.h>

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace UI {

namespace {
constexpr int kIconSize = 24;
constexpr int kRowHeight = 40;
constexpr int kSearchRole = Qt::UserRole + 11;
} // namespace

QSize ApplicationRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), kRowHeight};
}

void ApplicationRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    const QS::Color::Scheme scheme =
        option.widget ? QS::Color::schemeOf(*option.widget) : QS::Color::schemeOf(option.palette);
    const QString id = index.data(kDesktopIdRole).toString();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF row = QRectF(option.rect).adjusted(4, 1, -4, -1);
    if (option.state & QStyle::State_Selected) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(QS::Color::withOpacity(QS::Color::brand(), 0.18));
        painter->drawRoundedRect(row, 7, 7);
    }

    const QRectF iconRect(row.left() + 8, row.center().y() - kIconSize / 2.0, kIconSize, kIconSize);
    auto cached = m_icons.find(id);
    if (cached == m_icons.end())
        cached = m_icons.insert(id, AppIconCache::icon(id));
    if (!cached->isNull()) {
        const qreal ratio = painter->device()->devicePixelRatioF();
        QPixmap pixmap = cached->pixmap(QSize(kIconSize, kIconSize), ratio);
        painter->save();
        QPainterPath clip;
        clip.addRoundedRect(iconRect, 5, 5);
        painter->setClipPath(clip);
        painter->drawPixmap(iconRect, pixmap, QRectF(QPointF(0, 0), pixmap.deviceIndependentSize() * ratio));
        painter->restore();
    } else {
        const QPixmap dashed =
            SymbolIcon::pixmap(QStringLiteral("app.dashed"), kIconSize, QS::Color::secondaryText(scheme),
                               painter->device()->devicePixelRatioF());
        painter->drawPixmap(iconRect.topLeft(), dashed);
    }

    // Names and ids come from files anyone can write: drawn as plain text, one line each.
    const QRectF text(iconRect.right() + 10, row.top() + 4, row.right() - iconRect.right() - 18,
                      row.height() - 8);
    const QFont nameFont = QS::Font::system(12, QFont::Medium);
    const QFont idFont = QS::Font::system(10);
    const QFontMetrics nameMetrics(nameFont);
    const QFontMetrics idMetrics(idFont);
    const qreal block = nameMetrics.height() + 1 + idMetrics.height();
    const qreal top = text.center().y() - block / 2;
    painter->setFont(nameFont);
    painter->setPen(QS::Color::label(scheme));
    painter->drawText(QRectF(text.left(), top, text.width(), nameMetrics.height()),
                      Qt::AlignLeft | Qt::TextSingleLine,
                      nameMetrics.elidedText(index.data(Qt::DisplayRole).toString().simplified(),
                                             Qt::ElideRight, int(text.width())));
    painter->setFont(idFont);
    painter->setPen(QS::Color::secondaryText(scheme));
    painter->drawText(QRectF(text.left(), top + nameMetrics.height() + 1, text.width(), idMetrics.height()),
                      Qt::AlignLeft | Qt::TextSingleLine,
                      idMetrics.elidedText(id, Qt::ElideRight, int(text.width())));
    painter->restore();
}

ApplicationPicker::ApplicationPicker(QWidget* parent)
    : QDialog(parent), m_model(new QStandardItemModel(this)), m_filter(new QSortFilterProxyModel(this)) {
    setObjectName(QStringLiteral("applicationPicker"));
    setWindowModality(Qt::WindowModal);
    resize(440, 480);

    for (const InstalledApplications::Application& application : InstalledApplications::list()) {
        auto* row = new QStandardItem(application.name);
        row->setEditable(false);
        row->setData(application.desktopId, ApplicationRowDelegate::kDesktopIdRole);
        row->setData(application.name + u'\n' + application.desktopId, kSearchRole);
        m_model->appendRow(row);
    }
    m_filter->setSourceModel(m_model);
    m_filter->setFilterRole(kSearchRole);
    m_filter->setFilterCaseSensitivity(Qt::CaseInsensitive);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(10);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("search"));
    m_search->setClearButtonEnabled(true);
    m_search->setFont(bodyFont());
    styleTextInput(*m_search);
    layout->addWidget(m_search);
    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("applications"));
    m_list->setModel(m_filter);
    m_list->setItemDelegate(new ApplicationRowDelegate(m_list));
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ThinScrollbarConfigurator::apply(*m_list);
    layout->addWidget(m_list, 1);

    auto* buttons = new QHBoxLayout;
    m_chooseFile = new QPushButton(this);
    m_chooseFile->setObjectName(QStringLiteral("chooseFile"));
    m_cancel = new QPushButton(this);
    m_add = new QPushButton(this);
    m_add->setObjectName(QStringLiteral("add"));
    m_add->setDefault(true);
    m_add->setEnabled(false);
    buttons->addWidget(m_chooseFile);
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_add);
    layout->addLayout(buttons);

    connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_filter->setFilterFixedString(text.trimmed());
        if (!m_list->currentIndex().isValid() && m_filter->rowCount() > 0)
            m_list->setCurrentIndex(m_filter->index(0, 0));
    });
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { m_add->setEnabled(current.isValid()); });
    connect(m_list, &QListView::doubleClicked, this, &ApplicationPicker::acceptCurrent);
    connect(m_add, &QPushButton::clicked, this, &ApplicationPicker::acceptCurrent);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_chooseFile, &QPushButton::clicked, this, &ApplicationPicker::openFileChooser);
    m_search->setFocus();
    retranslate();
}

int ApplicationPicker::visibleCount() const {
    return m_filter->rowCount();
}

void ApplicationPicker::acceptCurrent() {
    const QModelIndex current = m_list->currentIndex();
    if (!current.isValid())
        return;
    m_chosen = current.data(ApplicationRowDelegate::kDesktopIdRole).toString();
    accept();
}

void ApplicationPicker::openFileChooser() {
    auto* chooser = new QFileDialog(this, tr("Choose a Desktop Entry"));
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    chooser->setWindowModality(Qt::WindowModal);
    chooser->setFileMode(QFileDialog::ExistingFile);
    chooser->setNameFilter(tr("Desktop entries (*.desktop)"));
    const QString applications = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    chooser->setDirectory(QDir(applications).exists() ? applications : QDir::homePath());
    connect(chooser, &QFileDialog::fileSelected, this, &ApplicationPicker::chooseFile);
    chooser->open();
    chooser->raise();
    chooser->activateWindow();
}

void ApplicationPicker::chooseFile(const QString& path) {
    m_chosen = InstalledApplications::desktopIdOfFile(path);
    if (m_chosen)
        accept();
    else
        reject();
}

void ApplicationPicker::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QDialog::changeEvent(event);
}

void ApplicationPicker::retranslate() {
    setWindowTitle(tr("Ignore an Application"));
    m_search->setPlaceholderText(tr("Search applications"));
    m_chooseFile->setText(tr("Choose File…"));
    m_cancel->setText(tr("Cancel"));
    m_add->setText(tr("Add"));
}

} // namespace UI
