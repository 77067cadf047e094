#pragma once

#include <QAbstractScrollArea>
#include <optional>
#include <string>

#include "config/prompt_table.h"
#include "ui/syx_view.h"

namespace kvs {

// Paints a SyxView in the system fixed-pitch font inside a sunken frame and
// feeds it keys, clicks and scroll-bar moves; its context menu copies and
// pastes through the clipboard as text. Keys the view has no use for
// (Return, Escape, Tab, mnemonics) go on to the dialog.
class SyxViewWidget final : public QAbstractScrollArea, private SyxViewHost {
    Q_OBJECT

  public:
    SyxViewWidget(SyxView& view, const PromptTable& prompts, QWidget* parent = nullptr);
    ~SyxViewWidget() override;

    SyxView& View() { return view_; }
    QSize sizeHint() const override;
    // After the view model changed: scroll bars and contents.
    void Refresh();
    // The context menu at a global position.
    void ShowMenu(const QPoint& globalPos);

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    // SyxViewHost
    void Beep() override;
    bool SetClipboardText(const std::string& text) override;
    std::optional<std::string> ClipboardText() override;

    void TakeFont();
    void SyncBars();
    void Resized();
    QRect CaretQRect() const;

    SyxView& view_;
    const PromptTable& prompts_;
    bool syncing_ = false;
};

}  // namespace kvs
