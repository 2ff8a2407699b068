#include "QSSectionHeader.h"

#include "Color.h"
#include "Font.h"
#include "SymbolIcon.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPainter>

#include <cmath>

namespace {
constexpr int kHorizontalPadding = 10;
constexpr int kTopPadding = 10;
constexpr int kBottomPadding = 4;
constexpr int kSpacing = 6;
constexpr int kIconSize = 10;
} // namespace

QSSectionHeader::QSSectionHeader(const char* title, const QString& icon, QWidget* parent)
    : QWidget(parent), m_title(title), m_icon(icon) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QString QSSectionHeader::title() const {
    return QCoreApplication::translate("QSSectionHeader", m_title);
}

QFont QSSectionHeader::titleFont() const {
    QFont font = QS::Font::system(11, QFont::Bold);
    font.setCapitalization(QFont::AllUppercase);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.4);
    return font;
}

QSize QSSectionHeader::minimumSizeHint() const {
    const QFontMetricsF metrics(titleFont());
    const int iconWidth = m_icon.isEmpty() ? 0 : kIconSize + kSpacing;
    const int width = 2 * kHorizontalPadding + iconWidth +
                      static_cast<int>(std::ceil(metrics.horizontalAdvance(title().toUpper())));
    const int height = kTopPadding + kBottomPadding + static_cast<int>(std::ceil(metrics.height()));
    return QSize(width, height);
}

QSize QSSectionHeader::sizeHint() const {
    return minimumSizeHint();
}

void QSSectionHeader::paintEvent(QPaintEvent*) {
    const QS::Color::Scheme scheme = QS::Color::schemeOf(*this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRect content =
        rect().adjusted(kHorizontalPadding, kTopPadding, -kHorizontalPadding, -kBottomPadding);
    int x = content.left();
    if (!m_icon.isEmpty()) {
        const QPixmap symbol = SymbolIcon::pixmap(m_icon, kIconSize, QS::Color::brand(), devicePixelRatioF());
        painter.drawPixmap(QPoint(x, content.center().y() - kIconSize / 2 + 1), symbol);
        x += kIconSize + kSpacing;
    }
    painter.setFont(titleFont());
    painter.setPen(QS::Color::secondaryText(scheme));
    painter.drawText(QRect(x, content.top(), content.right() - x + 1, content.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title());
}

void QSSectionHeader::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        updateGeometry();
        update();
    }
    QWidget::changeEvent(event);
}
