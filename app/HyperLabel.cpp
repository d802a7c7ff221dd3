#include "app/HyperLabel.h"

#include <QMouseEvent>

#include "app/Application.h"
#include "app/UrlOpener.h"

namespace wispel {

QColor toQColor(TColor colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

TColor fromQColor(const QColor& colour) {
    return static_cast<TColor>(colour.red()) | static_cast<TColor>(colour.green()) << 8 |
           static_cast<TColor>(colour.blue()) << 16;
}

THyperLabel::THyperLabel(QWidget* parent) : QLabel(parent) {
    SetFontColour(clNavy);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    // The caption is ours, but a label must never be talked into reading markup.
    setTextFormat(Qt::PlainText);
}

TColor THyperLabel::FontColour() const {
    return fromQColor(palette().color(QPalette::WindowText));
}

void THyperLabel::SetFontColour(TColor colour) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, toQColor(colour));
    setPalette(p);
}

void THyperLabel::pointerEnters() {
    savedColour_ = FontColour();
    SetFontColour(pressed_ ? PressedColour : HyperColour);
    mouseInside_ = true;
}

void THyperLabel::pointerLeaves() {
    SetFontColour(savedColour_);
    mouseInside_ = false;
}

// Enter and leave can come twice for one crossing (from the window system and from our
// own look at mouse moves while a button is held), so each acts only on a change.
void THyperLabel::enterEvent(QEnterEvent* event) {
    if (!mouseInside_) pointerEnters();
    QLabel::enterEvent(event);
}

void THyperLabel::leaveEvent(QEvent* event) {
    if (mouseInside_) pointerLeaves();
    QLabel::leaveEvent(event);
}

void THyperLabel::mousePressEvent(QMouseEvent* event) {
    SetFontColour(PressedColour);
    pressed_ = true;
    QLabel::mousePressEvent(event);
}

// While a button is held the label has the mouse to itself and the window system reports
// no crossings, so they are read off the moves.
void THyperLabel::mouseMoveEvent(QMouseEvent* event) {
    if (pressed_) {
        const bool inside = rect().contains(event->position().toPoint());
        if (inside && !mouseInside_) pointerEnters();
        if (!inside && mouseInside_) pointerLeaves();
    }
    QLabel::mouseMoveEvent(event);
}

void THyperLabel::mouseReleaseEvent(QMouseEvent* event) {
    SetFontColour(mouseInside_ ? HyperColour : savedColour_);
    pressed_ = false;
    if (mouseInside_ && !URL.empty()) runHandler([this] { urlOpener().Open(URL); });
    QLabel::mouseReleaseEvent(event);
}

}  // namespace wispel
