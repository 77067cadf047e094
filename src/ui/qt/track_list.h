#pragma once

#include <QListWidget>
#include <functional>
#include <vector>

namespace kvs {

// The track list: one row per track, "mark\tname\tchan:port" drawn in three
// aligned columns. Navigation keys stay with the list; the keys the main
// window routes (Enter, End, Home, Left, Right, Insert, Delete) and every
// character go to the key handler instead. It has no scroll bar of its own:
// the track view scrolls it so that row n of both shows the same track.
class TrackList final : public QListWidget {
    Q_OBJECT

  public:
    explicit TrackList(QWidget* parent = nullptr);

    // Called for the routed keys; the list ignores the key either way.
    void SetKeyHandler(std::function<void(QKeyEvent*)> handler) {
        keyHandler_ = std::move(handler);
    }

    // Rebuilds every row, keeping `current` selected (-1 for none), without
    // emitting RowSelected.
    void SetRows(const std::vector<QString>& rows, int current);
    void SetRow(int row, const QString& text);
    void SelectRowQuietly(int row);
    int RowHeight() const;
    int TopRow() const;
    void SetTopRow(int row);

  signals:
    void RowSelected(int row);              // by the user (keys or mouse)
    void ContextMenuWanted(QPoint global);  // right button or the menu key
    void TopRowChanged(int row);
    void RowHeightChanged(int px);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void UpdatePortColumn();
    void UpdateRowHeight();

    std::function<void(QKeyEvent*)> keyHandler_;
    bool quiet_ = false;
};

// Whether the track list hands this key to the main window.
bool IsRoutedListKey(const QKeyEvent& event);

}  // namespace kvs
