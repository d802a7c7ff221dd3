#include "tools/wispel-fetch/FetchCommand.h"

#include <memory>
#include <utility>

#include "core/CommandLineTool.h"
#include "core/DataFolder.h"
#include "core/ErrorText.h"
#include "core/Exception.h"
#include "feeds/FeedParser.h"
#include "feeds/Retriever.h"
#include "feeds/SitesTable.h"
#include "feeds/Sources.h"
#include "http/NetHTTP.h"
#include "core/TerminalText.h"
#include "tools/wispel-fetch/FileRetriever.h"

namespace wispel {

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
        } else if (arg == "--tsv") {
            options.format = TFetchOutput::Format::Tsv;
        } else if (arg == "--file") {
            options.files = true;
        } else if (arg == "--sites") {
            options.sites = true;
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (options.sites && (options.files || options.sources.size() > 1)) {
        error = "--sites takes one folder at most, and no sources";
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

void addSources(const TFetchOptions& options, TRSSSourceCollection& list) {
    if (options.sites) {
        // The same read as the window's start-up, so both see the same sites.
        std::string folder = options.sources.empty() ? wispelDataFolder() : options.sources[0];
        if (!folder.empty()) folder = withTrailingSlash(std::move(folder));
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

}  // namespace

namespace {

void printError(const std::string& text, std::FILE* err) {
    const std::string line = escapeControlsAsOneLine(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), err);
}

// The cycle itself; false when an error ended it, with the error box's text in `error`
// (empty for a silent abort).
bool runCycle(const TFetchOptions& options, std::FILE* out, std::string& error) {
    TComponent owner;  // frees the components below, as the window does
    auto* parser = new TRSSParser(&owner);
    TRSSRetriever* retriever =
        options.files ? new TFileRetriever(&owner) : new TRSSRetriever(&owner);
    if (options.maxTime > 0) retriever->HTTP()->TotalTimeout = options.maxTime;
    auto* sources = new TRSSSources(&owner);
    sources->SetRetriever(retriever);
    TFetchOutput output(out, options.format);
    sources->OnRSSDataRetrieved = [&](TRSSSources*, TMemoryStream* stream, std::string site) {
        // Relative links resolve against the feed's address; a local file has none.
        parser->SetBaseURL(retriever->RetrievedURL());
        parser->ParseRSSStream(stream);
        output.site(site, parser->Items());
    };
    try {
        addSources(options, sources->RSSSourceList());
        output.begin();
        sources->UpdateSources();
    } catch (const std::exception& e) {
        if (!isSilentAbort(e)) error = errorBoxText(e);
        return false;
    }
    return true;
}

}  // namespace

int runFetch(const TFetchOptions& options, std::FILE* out, std::FILE* err) {
    std::string error;
    bool failed = false;
    // Nothing may end the tool but its own exit: an error of any kind is reported.
    try {
        failed = !runCycle(options, out, error);
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
