#pragma once
// What a server said identifies the version of a feed it sent (its ETag and Last-Modified
// header values), kept per feed address so that the next request can ask for the feed only
// when it changed.
//
// They live in "Feeds.DAT", a table of our own beside "Sites.DAT" (which stays as it is),
// made through the table store on first use:
//
//   | field          | type         | meaning                                       |
//   |----------------|--------------|-----------------------------------------------|
//   | URL            | text of 250  | the feed's address as the sites table has it  |
//   | ETag           | text of 250  | the reply's ETag value, as sent (quotes kept) |
//   | LastModified   | text of 40   | the reply's Last-Modified value, as sent       |
//
// Keyed by address rather than by site: the values describe what one address served, so a
// site whose address is edited must not send the old address's values to the new one, and
// two sites with one address share them. A value longer than its field is not kept at all
// (a cut ETag would never match); the feed is then simply fetched whole each time.

#include <map>
#include <string>

#include "feeds/Retriever.h"

namespace wispel {

inline constexpr const char* kFeedsTableName = "Feeds.DAT";

class TFeedValidators {
public:
    // Reads the table of `folder` (ending in "/"), creating it when it is missing. Errors of
    // the table store pass to the caller.
    void Load(const std::string& folder);
    // The values kept for `url`; empty when there are none.
    TFeedValidator Find(const std::string& url) const;
    // Keeps `validator` for `url` in memory; Save writes it.
    void Store(const std::string& url, const TFeedValidator& validator);
    // Writes the values changed since Load to the table. Nothing happens without a Load.
    void Save();

private:
    struct Entry {
        TFeedValidator validator;
        bool changed = false;
    };
    std::string folder_;  // empty until Load
    std::map<std::string, Entry> entries_;
};

}  // namespace wispel
