#include "browse/ListGrid.h"

#include <QApplication>
#include <QPainter>

namespace tobimaru {

void ListGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    if (!m_grid)
        return;
    painter->save();
    painter->setPen(option.palette.color(QPalette::Mid));
    const QRect r = option.rect;
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->restore();
}

QSize ListGridDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (index.column() != 0)
        return QStyledItemDelegate::sizeHint(option, index);
    // Continuous play marks rows as it goes (bold, with a play, end, next or repeat icon): a
    // width fitted to the plain name would cut the name down to "..." then.
    QStyleOptionViewItem o = option;
    initStyleOption(&o, index);
    o.font.setBold(true);
    o.fontMetrics = QFontMetrics(o.font);
    o.features |= QStyleOptionViewItem::HasDecoration;
    if (o.decorationSize.isEmpty())
        o.decorationSize = QSize(16, 16);
    const QWidget* widget = option.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    return style->sizeFromContents(QStyle::CT_ItemViewItem, &o, QSize(), widget);
}

} // namespace tobimaru
