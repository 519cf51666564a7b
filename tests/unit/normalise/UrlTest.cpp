#include <gtest/gtest.h>

#include "base/Url.h"

using namespace quillary;

TEST(ParseUrl, RejectsWhatTheGrammarForbids) {
    for (const char* bad : {"http://exa mple.com", "http://a.com/%zz", "http://a.com/%4",
                            "http://a.com:80x/", "http://[::1/", "http://[1:2:3]/",
                            "1http://a.com", "-x:y", "http://a.com/#one#two",
                            "http://a\xC3\xA9.com", "http://a.com/<x>", "http://a@b@c.com"})
        EXPECT_FALSE(parseUrl(bad)) << bad;
    for (const char* good : {"", "relative/path", "/absolute", "//host.only", "?q", "#f",
                             "urn:isbn:0451450523", "http://[v7.fe:80]/", "http://h/a:b@c"})
        EXPECT_TRUE(parseUrl(good)) << good;
}

TEST(IPv6Address, FollowsTheTextForms) {
    for (const char* good : {"::", "::1", "1::", "1:2:3:4:5:6:7:8", "1:2:3:4:5:6::8", "fe80::1:2",
                             "::ffff:192.0.2.1", "1:2:3:4:5:6:1.2.3.4"})
        EXPECT_TRUE(isIPv6Address(good)) << good;
    for (const char* bad : {"", ":", ":::", "1:2:3:4:5:6:7", "1:2:3:4:5:6:7:8:9", "1::2::3",
                            "12345::", "::1.2.3", "::256.1.1.1", "::01.1.1.1", "1.2.3.4::",
                            "1:2:3:4:5:6:7::8", "g::"})
        EXPECT_FALSE(isIPv6Address(bad)) << bad;
}

TEST(HasSchemeAndHost, OnlyFullAddressesPass) {
    for (const char* full : {"http://www.example.com", "ftp://192.0.2.1/file", "http://[2001:db8::7]:80/",
                             "https://user:pw@Example.COM:8080/a/b%20c?x=1&y=2#top"})
        EXPECT_TRUE(hasSchemeAndHost(full)) << full;
    for (const char* partial : {"www.example.com", "chapter2.html#start", "mailto:me@example.com", "http://",
                                "file:///etc/hosts", "//example.com/no-scheme", "example.com:80/x"})
        EXPECT_FALSE(hasSchemeAndHost(partial)) << partial;
}
