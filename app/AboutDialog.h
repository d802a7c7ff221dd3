#pragma once
// TdlgAbout: the product's name and version, its icon and picture, a few lines of text and
// two hyperlink labels. Shown modally by the main window's "About" item; it keeps its state
// (the labels' fields) between showings.

#include <QDialog>

#include <memory>

namespace Ui {
class TdlgAbout;
}

namespace wispel {

class THyperLabel;

class TdlgAbout : public QDialog {
    Q_OBJECT
public:
    explicit TdlgAbout(QWidget* parent = nullptr);
    ~TdlgAbout() override;

    THyperLabel* HyperLabel1() const;
    THyperLabel* HyperLabel2() const;

private:
    std::unique_ptr<Ui::TdlgAbout> ui;
};

}  // namespace wispel
