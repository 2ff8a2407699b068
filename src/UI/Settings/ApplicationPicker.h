#pragma once

#include <QDialog>
#include <QHash>
#include <QIcon>
#include <QStyledItemDelegate>

#include <optional>

class QLineEdit;
class QListView;
class QPushButton;
class QSortFilterProxyModel;
class QStandardItemModel;

namespace UI {

// A row naming an application: its icon (or a dashed stand-in when it is not installed), its name
// and, under it, its desktop-file id. The model gives the name as display text and the id under
// kDesktopIdRole; icons are looked up when a row is first drawn and kept.
class ApplicationRowDelegate : public QStyledItemDelegate {
public:
    static constexpr int kDesktopIdRole = Qt::UserRole + 10;

    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    mutable QHash<QString, QIcon> m_icons;
};

// Chooses an application to ignore: the applications installed on the desktop, searchable by name
// or id, or a desktop file elsewhere picked with a file chooser. The result is the desktop-file id,
// the same id capture records for the application.
class ApplicationPicker : public QDialog {
    Q_OBJECT
public:
    explicit ApplicationPicker(QWidget* parent = nullptr);

    // After acceptance: the chosen application's id.
    std::optional<QString> chosenId() const { return m_chosen; }

    QLineEdit* searchField() const { return m_search; }
    QListView* list() const { return m_list; }
    // Rows shown under the current search.
    int visibleCount() const;

    // Takes the desktop file as the choice; one that names no application (or gives no id) ends the
    // dialog without a choice.
    void chooseFile(const QString& path);

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void acceptCurrent();
    void openFileChooser();

    QStandardItemModel* m_model;
    QSortFilterProxyModel* m_filter;
    QLineEdit* m_search;
    QListView* m_list;
    QPushButton* m_chooseFile;
    QPushButton* m_cancel;
    QPushButton* m_add;
    std::optional<QString> m_chosen;
};

} // namespace UI
