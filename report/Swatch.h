#pragma once
// A small picture box that shows one colour: the curve colour swatches of
// the report window, the colour dialog and the printed pages. A
// double-click runs `onDoubleClick`.
#include <QFrame>

#include <cstdint>
#include <functional>

class Swatch : public QFrame {
  public:
    explicit Swatch(const QString& name, QWidget* parent);

    // The back colour (a Windows colour value 0x00BBGGRR).
    void setBackColor(std::uint32_t color);
    std::uint32_t backColor() const { return colour; }
    // True once a colour was set; before, the swatch shows the window colour.
    bool coloured() const { return hasColour; }

    std::function<void()> onDoubleClick;

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    std::uint32_t colour = 0;
    bool hasColour = false;
};
