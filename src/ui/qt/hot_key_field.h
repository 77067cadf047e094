#pragma once

#include <QLineEdit>
#include <cstdint>

namespace kvs {

// A field that shows one computer key and captures the next key pressed in
// it. Backspace and Delete clear it; Tab, Escape and Return still work the
// dialog.
class HotKeyField : public QLineEdit {
    Q_OBJECT

  public:
    explicit HotKeyField(QWidget* parent);

    // keycode::kNone shows an empty field.
    void SetKey(std::uint32_t key);

  signals:
    // A key was pressed in the field (kNone to clear); the owner decides
    // whether to take it and shows what it kept with SetKey.
    void Captured(std::uint32_t key, bool withModifiers);

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace kvs
