#pragma once
// The rules a site's values follow before they are stored in the sites table, kept here once
// for every way of storing them (`wispel-sites add` and `set`, the window's sites dialog).
// Each check returns what is wrong as one sentence for the user, saying what to change, or
// nothing when the value may be stored as it is. The table itself would cut a long value and
// take any bytes, so a caller checks every value first and changes nothing when one fails.
//
//   Name    1 to 10 bytes of UTF-8 without control characters
//   URL     an http:// or https:// address with a host, at most 250 bytes, UTF-8 without
//           control characters or blanks (they would reach the request line)
//   Update  minutes between two fetches, 0 to 10080 (a week); empty: at every update

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wispel {

inline constexpr std::int64_t kMaxSiteUpdateMinutes = 10080;

std::optional<std::string> siteNameProblem(std::string_view name);
std::optional<std::string> siteAddressProblem(std::string_view url);
// `minutes` as typed: empty, or a whole number in decimal.
std::optional<std::string> siteUpdateProblem(std::string_view minutes);
std::optional<std::string> siteUpdateProblem(std::int64_t minutes);

// The check of a column by its name ("Name", "URL", "Update", without regard to case), on
// the value as text; other columns have no rule here.
std::optional<std::string> siteValueProblem(std::string_view column, std::string_view value);

// An address typed without a scheme ("127.0.0.1:8765/feed.xml") as the http:// address it
// most likely means, when that one passes; empty otherwise.
std::string suggestedSiteAddress(std::string_view url);

}  // namespace wispel
