#include "tools/wispel-fetch/FetchCommand.h"

#include <memory>

#include "core/ErrorText.h"
#include "core/Exception.h"
#include "feeds/FeedParser.h"
#include "feeds/Retriever.h"
#include "feeds/Sources.h"
#include "tools/wispel-fetch/FileRetriever.h"

namespace wispel {

bool parseFetchArguments(const std::vector<std::string>& args, TFetchOptions& options,
                         std::string& error) {
    for (const std::string& arg : args) {
        if (options.files || !arg.starts_with("--")) {
            options.sources.push_back(arg);
        } else if (arg == "--tsv") {
            options.format = TFetchOutput::Format::Tsv;
        } else if (arg == "--file") {
            options.files = true;
        } else {
            error = "unknown option " + arg;
            return false;
        }
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

int runFetch(const TFetchOptions& options, std::FILE* out, std::FILE* err) {
    TComponent owner;  // frees the components below, as the window does
    auto* parser = new TRSSParser(&owner);
    TRSSRetriever* retriever =
        options.files ? new TFileRetriever(&owner) : new TRSSRetriever(&owner);
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
    } catch (const std::exception& error) {
        if (!isSilentAbort(error)) {
            const std::string text = errorBoxText(error) + "\n";
            std::fwrite(text.data(), 1, text.size(), err);
        }
        return 1;
    }
    return 0;
}

}  // namespace wispel
