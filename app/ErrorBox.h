#pragma once
// The program's two error boxes: the one every error of the running program gets, and the
// last-chance box of a failed start-up.

#include <QString>

#include <exception>

class QWidget;

namespace wispel {

// The box's text for an error of the running program (the full-stop rule of errorBoxText).
QString errorBoxMessage(const std::exception& error);

// A modal box: caption the application title, stop icon, one OK button, `text` shown as
// plain text whatever it holds.
void showErrorBox(QWidget* parent, const QString& text);

// The text of the start-up failure box: the error's class, the program and the message.
QString applicationErrorText(const std::exception& error, const QString& program);

// Reports a start-up failure: the text goes to standard error and, where a person can see
// it, into a box captioned "Application Error".
void showApplicationError(const std::exception& error);

}  // namespace wispel
