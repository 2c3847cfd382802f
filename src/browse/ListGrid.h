#pragma once

#include <QStyledItemDelegate>

namespace tobimaru {

/// Draws the grid lines of the file list (`MnuGrid`); a tree view in report form has none of
/// its own. The name column is sized for the mark a row may get later: bold type and an icon.
class ListGridDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void setGridLines(bool on) { m_grid = on; }
    bool gridLines() const { return m_grid; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    bool m_grid = false;
};

} // namespace tobimaru
