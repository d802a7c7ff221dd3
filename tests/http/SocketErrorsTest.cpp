#include <gtest/gtest.h>
#include <netdb.h>

#include <cerrno>

#include "http/NetException.h"
#include "http/NetStack.h"
#include "http/SocketErrors.h"

using namespace wispel;

TEST(SocketErrors, MapSystemErrorsToCodesAndTexts) {
    struct Case {
        int error;
        int code;
        const char* message;
    };
    const Case cases[] = {
        {ECONNREFUSED, 10061, "Socket Error # 10061\r\nConnection refused."},
        {ETIMEDOUT, 10060, "Socket Error # 10060\r\nConnection timed out."},
        {ECONNRESET, 10054, "Socket Error # 10054\r\nConnection reset by peer."},
        {EPIPE, 10058, "Socket Error # 10058\r\nCannot send or receive after socket is closed."},
        {EAGAIN, 10035, "Socket Error # 10035\r\nOperation would block. "},
        {EADDRINUSE, 10048, "Socket Error # 10048\r\nAddress already in use."},
        {ENOTEMPTY, 10066, "Socket Error # 10066\r\nDirectory not empty"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(socketErrorFromErrno(c.error), c.code);
        EXPECT_STREQ(ENetSocketError(c.code).what(), c.message);
    }
    // Name lookup errors carry their own codes and no text.
    EXPECT_EQ(socketErrorFromLookup(EAI_NONAME), 11001);
    EXPECT_STREQ(ENetSocketError(11001).what(), "Socket Error # 11001\r\n");
}

TEST(SocketErrors, DottedAddresses) {
    EXPECT_TRUE(TNetStack::IsIP("127.0.0.1"));
    EXPECT_TRUE(TNetStack::IsIP("255.0.10.0"));
    for (const char* text : {"256.0.0.1", "1.2.3", "1.2.3.4.5", "a.b.c.d", "1..2.3", ""}) {
        EXPECT_FALSE(TNetStack::IsIP(text)) << text;
    }
    EXPECT_EQ(TNetStack::TranslateStringToTInAddr("127.0.0.1"), htonl(0x7F000001));
    EXPECT_THROW(TNetStack::TranslateStringToTInAddr("127.x.0.1"), EConvertError);
}
