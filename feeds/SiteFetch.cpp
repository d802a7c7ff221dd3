#include "feeds/SiteFetch.h"

#include <typeinfo>

#include "core/ErrorText.h"
#include "core/MemoryStream.h"
#include "feeds/FeedParser.h"
#include "feeds/FeedTitle.h"
#include "feeds/Retriever.h"

namespace wispel {

namespace {

TSiteOutcome retrieveAndParse(TRSSRetriever& retriever, TRSSParser& parser,
                              const std::string& url, const TFeedValidator& known) {
    TSiteOutcome outcome;
    TMemoryStream stream;
    const TRetrieval got = retriever.RetrieveIfModified(url, &stream, known);
    outcome.validator = got.Validator;
    if (got.NotModified) {
        // The stored news are current: nothing to parse.
        outcome.kind = TSiteOutcome::Kind::NotModified;
        return outcome;
    }
    // Relative links of the feed resolve against the address it finally came from.
    parser.SetBaseURL(got.URL);
    parser.ParseRSSStream(&stream);
    outcome.kind = TSiteOutcome::Kind::Retrieved;
    outcome.title = FeedTitle(parser.Document());
    outcome.items = std::make_unique<TRSSListedItemCollection>(typeid(TRSSListedItem));
    outcome.items->TakeItems(parser.Items());
    return outcome;
}

TSiteOutcome failed(std::string message) {
    TSiteOutcome outcome;
    outcome.kind = TSiteOutcome::Kind::Failed;
    outcome.message = std::move(message);
    return outcome;
}

}  // namespace

TSiteOutcome fetchSite(TRSSRetriever& retriever, TRSSParser& parser, const std::string& url,
                       const TFeedValidator& known) {
    try {
        return retrieveAndParse(retriever, parser, url, known);
    } catch (const std::exception& error) {
        retriever.DropConnection();
        return failed(errorBoxText(error));
    } catch (...) {
        retriever.DropConnection();
        return failed("Unknown error.");
    }
}

}  // namespace wispel
