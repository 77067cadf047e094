#include "ui/qt/syx_view_widget.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <cmath>

#include "ui/qt/dialog_base.h"
#include "ui/qt/key_modifiers.h"

namespace kvs {
namespace {

std::optional<SyxKey> KeyOf(int key) {
    switch (key) {
        case Qt::Key_PageUp:
            return SyxKey::PageUp;
        case Qt::Key_PageDown:
            return SyxKey::PageDown;
        case Qt::Key_Home:
            return SyxKey::Home;
        case Qt::Key_End:
            return SyxKey::End;
        case Qt::Key_Left:
            return SyxKey::Left;
        case Qt::Key_Right:
            return SyxKey::Right;
        case Qt::Key_Up:
            return SyxKey::Up;
        case Qt::Key_Down:
            return SyxKey::Down;
        case Qt::Key_Insert:
            return SyxKey::Insert;
        case Qt::Key_Delete:
            return SyxKey::Delete;
        case Qt::Key_F5:
            return SyxKey::F5;
        case Qt::Key_F6:
            return SyxKey::F6;
        case Qt::Key_F7:
            return SyxKey::F7;
        case Qt::Key_F8:
            return SyxKey::F8;
        default:
            return std::nullopt;
    }
}

// The character the view acts on for a key press, if any: Ctrl+C, Ctrl+V,
// Backspace or a printable character.
std::optional<char32_t> CharOf(const QKeyEvent& event) {
    const KeyModifiers mods = ModifiersOf(event);
    if (mods.alt) return std::nullopt;
    if (mods.ctrl) {
        if (event.key() == Qt::Key_C) return SyxView::kCtrlC;
        if (event.key() == Qt::Key_V) return SyxView::kCtrlV;
        return std::nullopt;
    }
    if (event.key() == Qt::Key_Backspace) return SyxView::kBackspace;
    const QString text = event.text();
    if (text.size() != 1 || !text[0].isPrint()) return std::nullopt;
    return text[0].unicode();
}

bool ViewOwnsKey(const QKeyEvent& event) {
    return KeyOf(event.key()).has_value() || CharOf(event).has_value();
}

}  // namespace

SyxViewWidget::SyxViewWidget(SyxView& view, const PromptTable& prompts, QWidget* parent)
    : QAbstractScrollArea(parent), view_(view), prompts_(prompts) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int row) {
        if (syncing_) return;
        view_.ScrollTo(static_cast<std::uint32_t>(std::max(row, 0)), view_.FirstColumn());
        viewport()->update();
    });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int column) {
        if (syncing_) return;
        view_.ScrollTo(view_.FirstRow(), static_cast<std::uint32_t>(std::max(column, 0)));
        viewport()->update();
    });
    view_.SetHost(this);
    TakeFont();
    Resized();
}

SyxViewWidget::~SyxViewWidget() {
    view_.SetHost(nullptr);
}

QSize SyxViewWidget::sizeHint() const {
    const int frame = 2 * frameWidth();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return {static_cast<int>(SyxView::kRowColumns) * view_.CharWidth() + 2 * SyxView::kMargin +
                frame + bar,
            12 * view_.LineHeight() + 2 * SyxView::kMargin + frame};
}

void SyxViewWidget::TakeFont() {
    const QFontMetricsF metrics(font());
    // Whole pixels per cell, so that hit-testing and painting agree.
    view_.SetMetrics(static_cast<int>(std::ceil(metrics.horizontalAdvance(QLatin1Char('0')))),
                     static_cast<int>(std::ceil(metrics.lineSpacing())));
    updateGeometry();
}

void SyxViewWidget::Resized() {
    view_.Resize(viewport()->width(), viewport()->height());
    Refresh();
}

void SyxViewWidget::Refresh() {
    SyncBars();
    viewport()->update();
}

void SyxViewWidget::SyncBars() {
    syncing_ = true;
    const auto apply = [](QScrollBar* bar, const SyxScroll& scroll) {
        bar->setRange(0, static_cast<int>(scroll.max));
        bar->setPageStep(static_cast<int>(std::max(scroll.page, 1u)));
        bar->setSingleStep(1);
        bar->setValue(static_cast<int>(scroll.pos));
    };
    apply(verticalScrollBar(), view_.VerticalScroll());
    apply(horizontalScrollBar(), view_.HorizontalScroll());
    syncing_ = false;
}

// The bars only report where the user moved them; the view model scrolls.
void SyxViewWidget::scrollContentsBy(int, int) {}

bool SyxViewWidget::event(QEvent* event) {
    // Ahead of any shortcut of the dialog or the window (Ctrl+C, F5 ...).
    if (event->type() == QEvent::ShortcutOverride && ViewOwnsKey(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

void SyxViewWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        TakeFont();
        Resized();
    }
    QAbstractScrollArea::changeEvent(event);
}

void SyxViewWidget::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Resized();
}

void SyxViewWidget::keyPressEvent(QKeyEvent* event) {
    if (const auto key = KeyOf(event->key())) {
        view_.KeyDown(*key, ModifiersOf(*event).ctrl);
    } else if (const auto c = CharOf(*event)) {
        view_.Char(*c);
    } else {
        event->ignore();  // Return, Escape, Tab: the dialog's
        return;
    }
    event->accept();
    Refresh();
}

void SyxViewWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) {
        event->ignore();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const QPoint at = event->position().toPoint();
    view_.Click(at.x(), at.y());
    event->accept();
    Refresh();
}

void SyxViewWidget::contextMenuEvent(QContextMenuEvent* event) {
    const QPoint at = event->reason() == QContextMenuEvent::Mouse
                          ? event->pos()
                          : CaretQRect().bottomLeft() + QPoint(0, 1);
    ShowMenu(viewport()->mapToGlobal(at));
    event->accept();
}

void SyxViewWidget::ShowMenu(const QPoint& globalPos) {
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("SyxViewContextMenu"));
    QAction* copy = menu.addAction(ToQString(prompts_.Text(prompt::menu_edit_copy)));
    QAction* paste = menu.addAction(ToQString(prompts_.Text(prompt::menu_edit_paste)));
    QAction* chosen = menu.exec(globalPos);
    if (chosen == copy) view_.Copy();
    if (chosen == paste) view_.Paste();
    if (chosen != nullptr) Refresh();
}

void SyxViewWidget::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update(CaretQRect());
}

void SyxViewWidget::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update(CaretQRect());
}

QRect SyxViewWidget::CaretQRect() const {
    const SyxRect r = view_.CaretRect();
    return {r.x, r.y, r.width, r.height};
}

void SyxViewWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Text));
    const QFontMetricsF metrics(font());
    const int lineHeight = view_.LineHeight();
    const int cell = view_.CharWidth();
    const qreal ascent = metrics.ascent() + (lineHeight - metrics.height()) / 2;
    const QRect clip = event->rect();
    for (std::uint32_t row = view_.FirstVisibleRow(); row < view_.EndVisibleRow(); ++row) {
        const int y = view_.RowY(row);
        if (y > clip.bottom() || y + lineHeight <= clip.top()) continue;
        const std::string text = view_.RowText(row);
        const qreal baseline = std::round(y + ascent);
        // Each cell at its own column, so the glyphs stand where clicks land.
        const int x0 = view_.RowX();
        painter.drawText(QPointF(x0, baseline), QString::fromLatin1(text.data(), 4));
        for (std::size_t i = SyxView::kAddressColumns; i + 1 < text.size();
             i += SyxView::kCellColumns)
            painter.drawText(QPointF(x0 + static_cast<int>(i) * cell, baseline),
                             QString::fromLatin1(text.data() + i, 2));
    }
    if (hasFocus()) painter.fillRect(CaretQRect(), palette().brush(QPalette::Text));
}

void SyxViewWidget::Beep() {
    QApplication::beep();
}

bool SyxViewWidget::SetClipboardText(const std::string& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) return false;
    clipboard->setText(QString::fromStdString(text));
    return clipboard->text() == QString::fromStdString(text);
}

std::optional<std::string> SyxViewWidget::ClipboardText() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
    if (data == nullptr || !data->hasText()) return std::nullopt;
    return data->text().toStdString();
}

}  // namespace kvs
