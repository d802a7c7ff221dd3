#include <gtest/gtest.h>

#include <string>

#include "http/UriReference.h"

using namespace wispel;

TEST(UriReference, ResolvesAsTheGenericSyntaxSays) {
    // The normal and abnormal examples of URI reference resolution.
    const std::string base = "http://a/b/c/d;p?q";
    const struct {
        const char* reference;
        const char* resolved;
    } cases[] = {
        {"g:h", "g:h"},
        {"g", "http://a/b/c/g"},
        {"./g", "http://a/b/c/g"},
        {"g/", "http://a/b/c/g/"},
        {"/g", "http://a/g"},
        {"//g", "http://g"},
        {"?y", "http://a/b/c/d;p?y"},
        {"g?y", "http://a/b/c/g?y"},
        {"#s", "http://a/b/c/d;p?q#s"},
        {"g?y#s", "http://a/b/c/g?y#s"},
        {";x", "http://a/b/c/;x"},
        {"", "http://a/b/c/d;p?q"},
        {".", "http://a/b/c/"},
        {"./", "http://a/b/c/"},
        {"..", "http://a/b/"},
        {"../g", "http://a/b/g"},
        {"../..", "http://a/"},
        {"../../g", "http://a/g"},
        {"../../../g", "http://a/g"},
        {"/./g", "http://a/g"},
        {"/../g", "http://a/g"},
        {"g.", "http://a/b/c/g."},
        {"..g", "http://a/b/c/..g"},
        {"./../g", "http://a/b/g"},
        {"g/./h", "http://a/b/c/g/h"},
        {"g/../h", "http://a/b/c/h"},
        {"g;x=1/../y", "http://a/b/c/y"},
        {"g?y/../x", "http://a/b/c/g?y/../x"},
        {"g#s/../x", "http://a/b/c/g#s/../x"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(resolveUriReference(base, c.reference), c.resolved) << c.reference;
    }
    EXPECT_EQ(resolveUriReference("http://a", "g"), "http://a/g");
    // Without a base that has a scheme, nothing is resolved.
    EXPECT_EQ(resolveUriReference("", "../g"), "../g");
    EXPECT_EQ(resolveUriReference("/feeds/main.xml", "g"), "g");
}

TEST(UriReference, RedirectTargetsResolveAgainstTheRequestedAddress) {
    const struct {
        const char* base;
        const char* location;
        const char* resolved;
    } cases[] = {
        {"http://h:81/dir/start", "feed.xml", "http://h:81/dir/feed.xml"},
        {"http://h/dir/start", "../up/feed.xml", "http://h/up/feed.xml"},
        {"http://h/dir/start?page=1", "?page=2", "http://h/dir/start?page=2"},
        {"http://h/dir/start#top", "/abs", "http://h/abs"},
        {"https://h/a", "//other/b", "https://other/b"},
        {"http://[::1]:8080/a/b", "c", "http://[::1]:8080/a/c"},
        {"http://h/a", "HTTPS://x/y", "HTTPS://x/y"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(resolveUriReference(c.base, c.location), c.resolved) << c.location;
    }
}

TEST(UriReference, SchemeAndParts) {
    EXPECT_EQ(uriScheme("http://h/"), "http");
    EXPECT_EQ(uriScheme("mailto:a@b"), "mailto");
    EXPECT_EQ(uriScheme("svn+ssh://h"), "svn+ssh");
    for (const char* relative : {"", "/a:b", "a/b:c", "1http://h", ":x", "feed.xml"}) {
        EXPECT_EQ(uriScheme(relative), "") << relative;
        EXPECT_FALSE(hasUriScheme(relative)) << relative;
    }
    const TUriReference parts = splitUriReference("http://u@h:1/p/q?x=1#f");
    EXPECT_EQ(parts.authority, "u@h:1");
    EXPECT_EQ(parts.path, "/p/q");
    EXPECT_EQ(parts.query, "x=1");
    EXPECT_EQ(parts.fragment, "f");
    const TUriReference bare = splitUriReference("g");
    EXPECT_FALSE(bare.hasScheme || bare.hasAuthority || bare.hasQuery || bare.hasFragment);
}
