#include "ui/qt/track_list.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>

namespace kvs {
namespace {

constexpr int kPad = 4;

// Three columns from the row's tab-separated text. The mark and the name
// start at fixed stops (1.5 and 12 average characters, the list's tab
// stops); the "chan:port" column moves right when the list is wide enough,
// so long names keep more room, and the name is elided rather than running
// into it.
class TrackRowDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    int portX = 0;
    int rowHeight = 0;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {option.rect.width(), rowHeight};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : nullptr;
        if (style) style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

        const QStringList columns = text.split(QLatin1Char('\t'));
        const QFontMetrics& fm = opt.fontMetrics;
        const int nameX = fm.averageCharWidth() * 3 / 2 + kPad;
        const QRect r = opt.rect;
        const bool selected = opt.state & QStyle::State_Selected;
        painter->save();
        painter->setPen(opt.palette.color(
            opt.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled,
            selected ? QPalette::HighlightedText : QPalette::Text));
        auto draw = [&](int x, int right, const QString& s) {
            const int width = std::max(0, right - x);
            painter->drawText(QRect(r.left() + x, r.top(), width, r.height()),
                              Qt::AlignLeft | Qt::AlignVCenter,
                              fm.elidedText(s, Qt::ElideRight, width));
        };
        if (columns.size() > 0) draw(kPad, nameX, columns[0]);
        if (columns.size() > 1) draw(nameX, portX - kPad, columns[1]);
        if (columns.size() > 2) draw(portX, r.width() - kPad, columns.mid(2).join(u' '));
        painter->restore();
    }
};

TrackRowDelegate* DelegateOf(const QListWidget* list) {
    return static_cast<TrackRowDelegate*>(list->itemDelegate());
}

}  // namespace

bool IsRoutedListKey(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_End:
        case Qt::Key_Home:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Insert:
        case Qt::Key_Delete:
            return true;
        default:
            break;
    }
    return !event.text().isEmpty() && event.text().at(0).isPrint() &&
           !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

TrackList::TrackList(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new TrackRowDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setTextElideMode(Qt::ElideRight);
    setFocusPolicy(Qt::StrongFocus);
    UpdateRowHeight();
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!quiet_) emit RowSelected(row);
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int value) { emit TopRowChanged(value); });
}

int TrackList::RowHeight() const {
    return DelegateOf(this)->rowHeight;
}

int TrackList::TopRow() const {
    return verticalScrollBar()->value();
}

void TrackList::SetTopRow(int row) {
    if (verticalScrollBar()->value() != row) verticalScrollBar()->setValue(row);
}

void TrackList::SetRows(const std::vector<QString>& rows, int current) {
    if (static_cast<int>(rows.size()) == count()) {
        // Same tracks: only rows whose text changed are repainted.
        for (int i = 0; i < count(); ++i)
            SetRow(i, rows[static_cast<std::size_t>(i)]);
        SelectRowQuietly(current);
        return;
    }
    quiet_ = true;
    setUpdatesEnabled(false);
    const int top = TopRow();
    clear();
    for (const QString& text : rows)
        addItem(text);
    SelectRowQuietly(current);
    SetTopRow(top);
    setUpdatesEnabled(true);
    quiet_ = false;
    UpdatePortColumn();
}

void TrackList::SetRow(int row, const QString& text) {
    QListWidgetItem* it = item(row);
    if (!it || it->text() == text) return;
    it->setText(text);
    UpdatePortColumn();
}

void TrackList::SelectRowQuietly(int row) {
    quiet_ = true;
    if (row >= 0 && row < count()) {
        setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    } else {
        setCurrentRow(-1);
        clearSelection();
    }
    quiet_ = false;
}

void TrackList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Menu) {
        QListWidget::keyPressEvent(event);  // arrives as a keyboard context menu event
        return;
    }
    if (IsRoutedListKey(*event)) {
        if (keyHandler_) keyHandler_(event);
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void TrackList::mousePressEvent(QMouseEvent* event) {
    // A right click selects the row under the mouse first, as a left click
    // would; the context menu follows as its own event.
    if (event->button() == Qt::RightButton) {
        if (QListWidgetItem* it = itemAt(event->position().toPoint())) setCurrentItem(it);
    }
    QListWidget::mousePressEvent(event);
}

void TrackList::contextMenuEvent(QContextMenuEvent* event) {
    QPoint local = event->pos();
    if (event->reason() != QContextMenuEvent::Mouse) {
        const QListWidgetItem* it = currentItem();
        local = it ? QPoint(0, visualItemRect(it).top()) : QPoint(0, 0);
    }
    emit ContextMenuWanted(viewport()->mapToGlobal(local));
    event->accept();
}

void TrackList::resizeEvent(QResizeEvent* event) {
    QListWidget::resizeEvent(event);
    UpdatePortColumn();
}

void TrackList::changeEvent(QEvent* event) {
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) UpdateRowHeight();
}

void TrackList::UpdateRowHeight() {
    // Tall enough for the list's font and for the view's fixed-pitch glyphs,
    // since both show the same rows.
    const QFontMetrics fixed(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const int height = std::max(fontMetrics().height(), fixed.height()) + 4;
    if (DelegateOf(this)->rowHeight == height) return;
    DelegateOf(this)->rowHeight = height;
    doItemsLayout();
    UpdatePortColumn();
    emit RowHeightChanged(height);
}

void TrackList::UpdatePortColumn() {
    const QFontMetrics fm = fontMetrics();
    int widestName = 0;
    int widestPort = 0;
    for (int i = 0; i < count(); ++i) {
        const QStringList columns = item(i)->text().split(QLatin1Char('\t'));
        if (columns.size() > 1) widestName = std::max(widestName, fm.horizontalAdvance(columns[1]));
        if (columns.size() > 2)
            widestPort = std::max(widestPort, fm.horizontalAdvance(columns.mid(2).join(u' ')));
    }
    // After the longest name when there is room, never left of the list's
    // tab stop and never so far right that the port names are cut.
    const int nameX = fm.averageCharWidth() * 3 / 2 + kPad;
    const int stop = fm.averageCharWidth() * 12 + kPad;
    const int wanted = nameX + widestName + fm.averageCharWidth() * 3;
    const int portX = std::max(stop, std::min(wanted, viewport()->width() - widestPort - 2 * kPad));
    auto* delegate = DelegateOf(this);
    if (delegate->portX != portX) {
        delegate->portX = portX;
        viewport()->update();
    }
}

}  // namespace kvs
