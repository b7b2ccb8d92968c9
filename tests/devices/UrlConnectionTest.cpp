#include "platform/net/UrlConnection.h"
#include "platform/core/AdvertisingIdentifier.h"
#include "platform/core/Trace.h"
#include "platform/net/CurlProtocols.h"

#include "LoopbackServer.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <memory>

using namespace torvane::platform;

namespace {

UrlRequest requestFor(std::string url, long timeoutSeconds = 30) {
    UrlRequest request;
    request.url = std::move(url);
    request.connectTimeoutSeconds = std::min(timeoutSeconds, 10L);
    request.timeoutSeconds = timeoutSeconds;
    return request;
}

// Starts `request` and gives a future for its end.
std::future<UrlResponse> start(UrlRequest request, bool& started) {
    auto promise = std::make_shared<std::promise<UrlResponse>>();
    auto ended = promise->get_future();
    request.completion = [promise](const UrlResponse& response) { promise->set_value(response); };
    started = startUrlConnection(std::move(request));
    return ended;
}

} // namespace

TEST(UrlConnection, SendsTheExactPathQueryAndHeaders) {
    LoopbackServer server(LoopbackServer::Answer::Ok);
    ASSERT_GT(server.port(), 0);
    TempFolder folder;
    ASSERT_TRUE(openTrace(folder.path() / "trace.jsonl"));
    std::string url =
        server.origin() + "/app.php?idfa=" + std::string(advertisingIdentifier) + "&appid=1&v=2.3";
    bool started = false;
    UrlRequest request = requestFor(url);
    request.headers = {"Cache-Control: no-cache"};
    auto ended = start(std::move(request), started);
    ASSERT_TRUE(started);
    closeTrace();
    UrlResponse response = ended.get();
    EXPECT_TRUE(response.completed);
    EXPECT_EQ(response.status, 200);

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].rfind(
                  "GET /app.php?idfa=00000000-0000-0000-0000-000000000000&appid=1&v=2.3 HTTP/1.1\r\n", 0),
              0u)
        << requests[0];
    EXPECT_NE(requests[0].find("\r\nCache-Control: no-cache\r\n"), std::string::npos) << requests[0];
    EXPECT_NE(folder.read("trace.jsonl").find("\"op\":\"http.get\",\"url\":\"" + url + "\"}"),
              std::string::npos);
}

TEST(UrlConnection, SilentServerEndsByTheTimeOutWithoutHoldingTheCaller) {
    LoopbackServer server(LoopbackServer::Answer::Never);
    ASSERT_GT(server.port(), 0);
    bool started = false;
    auto ended = start(requestFor(server.origin() + "/", 1), started);
    ASSERT_TRUE(started);
    // The server never answers, so a caller that had waited could not be here before the end.
    EXPECT_EQ(ended.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
    UrlResponse response = ended.get();
    EXPECT_FALSE(response.completed);
    EXPECT_TRUE(response.timedOut) << response.error;
}

TEST(UrlConnection, NoServerEndsWithAnError) {
    int port = 0;
    {
        LoopbackServer gone(LoopbackServer::Answer::Ok);
        port = gone.port();
    }
    bool started = false;
    auto ended = start(requestFor("http://127.0.0.1:" + std::to_string(port) + "/"), started);
    ASSERT_TRUE(started);
    UrlResponse response = ended.get();
    EXPECT_FALSE(response.completed);
    EXPECT_FALSE(response.error.empty());
}

namespace {

CURLcode refused(CURL*) {
    return CURLE_UNKNOWN_OPTION;
}

size_t swallow(char*, size_t size, size_t count, void*) {
    return size * count;
}

// What libcurl makes of a file:// URL on `easy`, a protocol a web request must never reach.
CURLcode fetchFile(CURL* easy, const TempFolder& folder) {
    auto file = folder.write("secret", "not for the web");
    curl_easy_setopt(easy, CURLOPT_URL, ("file://" + file.string()).c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, swallow);
    return curl_easy_perform(easy);
}

} // namespace

TEST(UrlConnection, RequestsStayOnTheWebOnOldAndNewLibcurlsOrAreNotMade) {
    TempFolder folder;
    using Easy = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
    Easy unrestricted(curl_easy_init(), &curl_easy_cleanup);
    ASSERT_EQ(fetchFile(unrestricted.get(), folder), CURLE_OK); // the check below means something

    // A libcurl older than the named list: the mask keeps the request on the web.
    Easy older(curl_easy_init(), &curl_easy_cleanup);
    EXPECT_TRUE(restrictToWeb(older.get(), {refused, libcurlProtocolSetters().byMask}));
    EXPECT_EQ(fetchFile(older.get(), folder), CURLE_UNSUPPORTED_PROTOCOL);

    Easy broken(curl_easy_init(), &curl_easy_cleanup);
    EXPECT_FALSE(restrictToWeb(broken.get(), {refused, refused}));

    // A request as the application makes it.
    bool started = false;
    auto ended = start(requestFor("file://" + folder.write("page", "x").string()), started);
    ASSERT_TRUE(started);
    UrlResponse response = ended.get();
    EXPECT_FALSE(response.completed);
    EXPECT_FALSE(response.error.empty());
}
