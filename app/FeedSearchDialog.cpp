#include "app/FeedSearchDialog.h"

#include <QPushButton>

#include "app/FeedLookup.h"
#include "app/QtText.h"
#include "core/Exception.h"
#include "ui_FeedSearchDialog.h"

namespace wispel {

TdlgFeedSearch::TdlgFeedSearch(const std::string& url, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TdlgFeedSearch>()), url_(url) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->lblSearching->setText(tr("Looking for the feed of this address:\n\n%1").arg(fromText(url)));
    keep_ = ui->buttons->addButton(tr("Keep the address"), QDialogButtonBox::AcceptRole);
    keep_->setObjectName(QStringLiteral("btnKeepAddress"));
    keep_->setToolTip(tr("Stop looking and save the address as typed"));
    // Enter goes on waiting: only a click stops the search.
    for (QAbstractButton* button : ui->buttons->buttons()) {
        if (auto* push = qobject_cast<QPushButton*>(button)) push->setAutoDefault(false);
    }
    connect(keep_, &QPushButton::clicked, this, [this] {
        end_ = TFeedSearchEnd::KeepAddress;
        accept();
    });
    connect(ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TdlgFeedSearch::~TdlgFeedSearch() = default;

TFeedSearchEnd TdlgFeedSearch::Run() {
    end_ = TFeedSearchEnd::Cancelled;
    lookup_ = std::make_unique<TFeedLookup>(url_);
    connect(lookup_.get(), &TFeedLookup::Finished, this, [this] {
        end_ = TFeedSearchEnd::Finished;
        accept();
    });
    exec();
    // Stopped by the person: nobody waits for the exchange any longer.
    if (end_ != TFeedSearchEnd::Finished) lookup_->Abort();
    return end_;
}

TFeedSearch TdlgFeedSearch::Result() const {
    if (!lookup_) throw Exception("The search for the feed has not started");
    return lookup_->Result();
}

}  // namespace wispel
