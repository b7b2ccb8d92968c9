#include "platform/net/UrlConnection.h"
#include "platform/core/AdvertisingIdentifier.h"
#include "platform/net/CurlProtocols.h"

#include "../support/TestContext.h"
#include "LoopbackServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

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
std::future<UrlResponse> start(TestContext& t, UrlRequest request, bool& started) {
    auto promise = std::make_shared<std::promise<UrlResponse>>();
    auto ended = promise->get_future();
    request.completion = [promise](const UrlResponse& response) { promise->set_value(response); };
    started = startUrlConnection(t.context.trace, t.context.work, std::move(request));
    return ended;
}

} // namespace

TEST(UrlConnection, SendsTheExactPathQueryAndHeaders) {
    LoopbackServer server(LoopbackServer::Answer::Ok);
    ASSERT_GT(server.port(), 0);
    TestContext t;
    t.startTrace();
    ASSERT_TRUE(t.context.trace.isOpen());
    std::string url =
        server.origin() + "/app.php?idfa=" + std::string(advertisingIdentifier) + "&appid=1&v=2.3";
    bool started = false;
    UrlRequest request = requestFor(url);
    request.headers = {"Cache-Control: no-cache"};
    auto ended = start(t, std::move(request), started);
    ASSERT_TRUE(started);
    t.stopTrace();
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
    EXPECT_NE(t.folder.read("trace.jsonl").find("\"op\":\"http.get\",\"url\":\"" + url + "\"}"),
              std::string::npos);
}

TEST(UrlConnection, SilentServerEndsByTheTimeOutWithoutHoldingTheCaller) {
    LoopbackServer server(LoopbackServer::Answer::Never);
    ASSERT_GT(server.port(), 0);
    TestContext t;
    bool started = false;
    auto ended = start(t, requestFor(server.origin() + "/", 1), started);
    ASSERT_TRUE(started);
    // The server never answers, so a caller that had waited could not be here before the end.
    EXPECT_EQ(ended.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
    UrlResponse response = ended.get();
    EXPECT_FALSE(response.completed);
    EXPECT_TRUE(response.timedOut) << response.error;
}

// The application's end must not wait out the time-out of a request that hangs.
TEST(UrlConnection, AHangingRequestEndsPromptlyWhenTheBackgroundWorkIsStopped) {
    LoopbackServer server(LoopbackServer::Answer::Never);
    ASSERT_GT(server.port(), 0);
    TestContext t;
    bool started = false;
    auto ended = start(t, requestFor(server.origin() + "/", 30), started);
    ASSERT_TRUE(started);
    for (int attempt = 0; attempt < 5000 && server.requests().empty(); ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(server.requests().size(), 1u) << "the request never reached the server";

    auto stopping = std::chrono::steady_clock::now();
    t.context.work.stopAll();
    // Not a measure of speed: far below the 30 s time-out, which is what a join without the abort
    // would wait for.
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, std::chrono::seconds(10));
    ASSERT_EQ(ended.wait_for(std::chrono::seconds(0)), std::future_status::ready);
    UrlResponse response = ended.get();
    EXPECT_FALSE(response.completed);
    EXPECT_FALSE(response.timedOut);
    EXPECT_EQ(t.context.work.running(), 0u);
}

TEST(UrlConnection, NoServerEndsWithAnError) {
    int port = 0;
    {
        LoopbackServer gone(LoopbackServer::Answer::Ok);
        port = gone.port();
    }
    TestContext t;
    bool started = false;
    auto ended = start(t, requestFor("http://127.0.0.1:" + std::to_string(port) + "/"), started);
    ASSERT_TRUE(started);
    UrlResponse response = ended.get();
    EXPECT_FALSE(response.completed);
    EXPECT_FALSE(response.error.empty());
}

namespace {

CURLcode refused(const CurlLibrary&, CURL*) {
    return CURLE_UNKNOWN_OPTION;
}

size_t swallow(char*, size_t size, size_t count, void*) {
    return size * count;
}

// What libcurl makes of a file:// URL on `easy`, a protocol a web request must never reach.
CURLcode fetchFile(CURL* easy, const TemporaryFolder& folder) {
    auto file = folder.write("secret", "not for the web");
    curl_easy_setopt(easy, CURLOPT_URL, ("file://" + file.string()).c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, swallow);
    return curl_easy_perform(easy);
}

} // namespace

TEST(UrlConnection, RequestsStayOnTheWebOnOldAndNewLibcurlsOrAreNotMade) {
    TestContext t;
    const TemporaryFolder& folder = t.folder;
    std::string whyNot;
    auto curl = CurlLibrary::load(whyNot);
    ASSERT_TRUE(curl) << whyNot;
    using Easy = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
    Easy unrestricted(curl_easy_init(), &curl_easy_cleanup);
    ASSERT_EQ(fetchFile(unrestricted.get(), folder), CURLE_OK); // the check below means something

    // A libcurl older than the named list: the mask keeps the request on the web.
    Easy older(curl_easy_init(), &curl_easy_cleanup);
    EXPECT_TRUE(
        restrictToWeb(t.context.trace, *curl, older.get(), {refused, libcurlProtocolSetters().byMask}));
    EXPECT_EQ(fetchFile(older.get(), folder), CURLE_UNSUPPORTED_PROTOCOL);

    Easy broken(curl_easy_init(), &curl_easy_cleanup);
    EXPECT_FALSE(restrictToWeb(t.context.trace, *curl, broken.get(), {refused, refused}));

    // A request as the application makes it.
    bool started = false;
    auto ended = start(t, requestFor("file://" + folder.write("page", "x").string()), started);
    ASSERT_TRUE(started);
    UrlResponse response = ended.get();
    EXPECT_FALSE(response.completed);
    EXPECT_FALSE(response.error.empty());
}
