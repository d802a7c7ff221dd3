#pragma once
// THyperLabel: a text label that shows a link. It turns `HyperColour` while the pointer is
// over it and `PressedColour` while a mouse button is held down on it, and a click (press,
// then release with the pointer over it; any button) opens its `URL` once.
//
// Colours are kept as 0x00BBGGRR values (red in the lowest byte).

#include <QLabel>

#include <cstdint>
#include <string>

namespace wispel {

using TColor = std::uint32_t;

inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clRed = 0x0000FF;

QColor toQColor(TColor colour);
TColor fromQColor(const QColor& colour);

class THyperLabel : public QLabel {
    Q_OBJECT
public:
    explicit THyperLabel(QWidget* parent = nullptr);

    TColor HyperColour = clBlue;
    TColor PressedColour = clRed;
    std::string URL;  // empty: no link

    TColor FontColour() const;
    void SetFontColour(TColor colour);

    TColor SavedColour() const noexcept { return savedColour_; }
    bool Pressed() const noexcept { return pressed_; }
    bool MouseInside() const noexcept { return mouseInside_; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void pointerEnters();
    void pointerLeaves();

    TColor savedColour_ = 0;  // the font colour when the pointer came in
    bool pressed_ = false;    // a button went down here and has not come up yet
    bool mouseInside_ = false;
};

}  // namespace wispel
