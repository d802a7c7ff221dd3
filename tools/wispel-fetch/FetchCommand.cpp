#include "tools/wispel-fetch/FetchCommand.h"

#include <memory>
#include <typeinfo>
#include <utility>

#include "core/CommandLineTool.h"
#include "core/DataFolder.h"
#include "core/ErrorText.h"
#include "core/Exception.h"
#include "core/TerminalText.h"
#include "feeds/FeedValidators.h"
#include "feeds/ItemsTable.h"
#include "feeds/SitesTable.h"
#include "feeds/Sources.h"
#include "tools/wispel-fetch/FileRetriever.h"

namespace wispel {

namespace {

bool parseJobs(const std::string& text, int& jobs) {
    if (text.empty() || text.size() > 2) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > kMaxUpdateJobs) return false;
    jobs = value;
    return true;
}

}  // namespace

bool parseFetchArguments(const std::vector<std::string>& args, TFetchOptions& options,
                         std::string& error) {
    bool operands = false;  // after "--"
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!operands && arg == "--") {
            operands = true;
        } else if (operands || options.files || !arg.starts_with("--")) {
            options.sources.push_back(arg);
        } else if (arg == "--max-time") {
            if (i + 1 == args.size() || !parseSeconds(args[++i], options.maxTime)) {
                error = "--max-time needs a number of seconds";
                return false;
            }
        } else if (arg == "--jobs") {
            if (i + 1 == args.size() || !parseJobs(args[++i], options.jobs)) {
                error = "--jobs needs a number of sites from 1 to " + std::to_string(kMaxUpdateJobs);
                return false;
            }
        } else if (arg == "--tsv") {
            options.format = TFetchOutput::Format::Tsv;
        } else if (arg == "--file") {
            options.files = true;
        } else if (arg == "--sites") {
            options.sites = true;
        } else if (arg == "--unread") {
            options.unread = true;
        } else if (arg == "--mark-read") {
            options.markRead = true;
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (options.sites && (options.files || options.sources.size() > 1)) {
        error = "--sites takes one folder at most, and no sources";
        return false;
    }
    if ((options.unread || options.markRead) && !options.sites) {
        error = "--unread and --mark-read go with --sites";
        return false;
    }
    if (options.sites && !options.sources.empty() && options.sources[0].empty()) {
        error = "--sites needs a folder name, not an empty one";
        return false;
    }
    return true;
}

void splitSource(const std::string& source, std::string& name, std::string& url) {
    const size_t equals = source.find('=');
    if (equals == std::string::npos || equals == 0 ||
        source.substr(0, equals).find("://") != std::string::npos) {
        name = url = source;
        return;
    }
    name = source.substr(0, equals);
    url = source.substr(equals + 1);
}

namespace {

std::string baseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string sitesFolder(const TFetchOptions& options) {
    std::string folder = options.sources.empty() ? wispelDataFolder() : options.sources[0];
    return folder.empty() ? folder : withTrailingSlash(std::move(folder));
}

void addSources(const TFetchOptions& options, TRSSSourceCollection& list) {
    if (options.sites) {
        // The same read as the window's start-up, so both see the same sites.
        const std::string folder = sitesFolder(options);
        CreateSitesTableIfMissing(folder);  // a first start finds an empty table, as the window does
        ReadActiveSites(folder, list);
        return;
    }
    if (options.sources.empty()) {
        AddDesignTimeSource(list);  // new, so due at once
        return;
    }
    for (const std::string& source : options.sources) {
        TRSSSourceItem* entry = list.Add();
        entry->UpdateFrequency = 0;
        if (options.files) {
            entry->URL = source;
            entry->Site = baseName(source);
        } else {
            splitSource(source, entry->Site, entry->URL);
        }
    }
}

void printError(const std::string& text, std::FILE* err) {
    const std::string line = escapeControlsAsOneLine(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), err);
}

// Prints each site as it is reported: its items on standard output, its error on standard
// error, so that one failing site never hides the others. With a sites table the feed is
// first merged into the kept news, and the site's kept news are printed.
class TFetchView : public TUpdateView {
public:
    TFetchView(TFetchOutput& output, std::FILE* err, const TFetchOptions& options)
        : output_(output), err_(err), options_(options) {}

    // The kept news of the sites' folder; from then on sites are merged and printed from it.
    void KeepNews(std::unique_ptr<TItemsTable> items) { items_ = std::move(items); }

    void SiteRetrieved(const TUpdateSite& site, const TRSSListedItemCollection& items) override {
        if (!items_) return output_.site(site.Site, items);
        keep(site, &items);
    }
    // Without kept news an unchanged site shows its node alone.
    void SiteNotModified(const TUpdateSite& site) override {
        if (!items_) return output_.site(site.Site, none_);
        keep(site, nullptr);
    }
    void SiteFailed(const TUpdateSite& site, const std::string& message) override {
        printError(site.Site + " (" + site.URL + "): " + message, err_);
        std::fflush(err_);
    }
    void UpdateFinished(const TUpdateSummary& summary) override { summary_ = summary; }

    const TUpdateSummary& Summary() const noexcept { return summary_; }
    // A site's news could not be kept or read back.
    bool KeepingFailed() const noexcept { return keepingFailed_; }

private:
    // Merges the feed (when there is one) and prints the site's kept news; an error of the
    // table is the site's failure, and the other sites go on.
    void keep(const TUpdateSite& site, const TRSSListedItemCollection* items) {
        try {
            if (items) items_->Merge(site.SiteID, *items);
            printKept(site);
        } catch (const std::exception& e) {
            printError(site.Site + " (" + site.URL + "): " + errorBoxText(e), err_);
            keepingFailed_ = true;
        }
    }

    void printKept(const TUpdateSite& site) {
        std::vector<TStoredItem> shown;
        items_->ForEachItem(
            [&](const TStoredItem& item) {
                if (!options_.unread || !item.Read) shown.push_back(item);
            },
            site.SiteID);
        output_.storedSite(site.Site, shown);
        if (!options_.markRead) return;
        for (const TStoredItem& item : shown)
            if (!item.Read) items_->SetRead(site.SiteID, item.Key, true);
    }

    TFetchOutput& output_;
    std::FILE* err_;  // not owned
    const TFetchOptions& options_;
    std::unique_ptr<TItemsTable> items_;  // with a sites table
    TRSSListedItemCollection none_{typeid(TRSSListedItem)};
    TUpdateSummary summary_;
    bool keepingFailed_ = false;
};

// The update itself; false when a site failed or an error ended it, with the error box's
// text of such an error in `error` (empty for a silent abort).
bool runUpdate(const TFetchOptions& options, std::FILE* out, std::FILE* err, std::string& error) {
    TFetchOutput output(out, options.format);
    TFetchView view(output, err, options);
    TFeedUpdate update(view);
    update.Jobs = options.jobs;
    update.TotalTimeout = options.maxTime;
    if (options.files) update.MakeRetriever = [] { return std::make_unique<TFileRetriever>(); };
    TFeedValidators validators;
    try {
        addSources(options, update.Sources().RSSSourceList());
        if (options.sites) {
            if (update.Sources().RSSSourceList().Count() == 0) {
                printError("No active sites in " + sitesFolder(options) + kSitesTableName +
                               ": add one with wispel-sites add NAME URL",
                           err);
            }
            validators.Load(sitesFolder(options));
            view.KeepNews(std::make_unique<TItemsTable>(sitesFolder(options)));
            update.Validators = &validators;
        }
        output.begin();
        update.Run();
        if (options.sites) validators.Save();
    } catch (const std::exception& e) {
        if (!isSilentAbort(e)) error = errorBoxText(e);
        return false;
    }
    return view.Summary().Failed == 0 && !view.KeepingFailed();
}

}  // namespace

int runFetch(const TFetchOptions& options, std::FILE* out, std::FILE* err) {
    std::string error;
    bool failed = false;
    // Nothing may end the tool but its own exit: an error of any kind is reported.
    try {
        failed = !runUpdate(options, out, err, error);
    } catch (const std::exception& e) {
        error = errorBoxText(e);
        failed = true;
    } catch (...) {
        error = "Unknown error.";
        failed = true;
    }
    if (!error.empty()) printError(error, err);
    const std::string writeError = outputError(out, "standard output");
    if (!writeError.empty()) printError(writeError, err);
    return failed || !writeError.empty() ? 1 : 0;
}

}  // namespace wispel
