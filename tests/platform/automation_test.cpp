#include <gtest/gtest.h>

#include "platform/automation.hpp"
#include "platform/http_request.hpp"
#include "tests/support/one_answer_http_server.hpp"

namespace tulvo::platform {
namespace {

using testing::OneAnswerHttpServer;

// Records how each member was called.
class Recorder : public AutomationObject {
  public:
    bool hasMember(std::string_view name) const override {
        return name == "Rate" || name == "Speak";
    }
    Variant invoke(std::string_view name, MemberKind kind,
                   const std::vector<Variant>& args) override {
        calls.push_back({std::string(name), kind, args.size()});
        return int64_t(7);
    }
    struct Call {
        std::string name;
        MemberKind kind;
        size_t arguments;
    };
    std::vector<Call> calls;
};

struct BridgeTest : ::testing::Test {
    std::vector<std::string> reports;
    AutomationBridge bridge{[this](const std::string& m) { reports.push_back(m); }};
};

TEST_F(BridgeTest, UnknownClassAndRefusedCreationAreReportedWithTheirTexts) {
    EXPECT_EQ(bridge.createObject("No.Such.Thing"), nullptr);
    bridge.registerClass("Refuses.It", [] {
        Creation made;
        made.errorCode = 0x80040154;
        made.errorText = "Class not registered";
        return made;
    });
    EXPECT_EQ(bridge.createObject("Refuses.It"), nullptr);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0], "Couldn't find Class ID of object, type:\rNo.Such.Thing");
    EXPECT_EQ(reports[1],
              "Creation of object failed, type:\rRefuses.It\rClass not registered (&h80040154)");
}

TEST_F(BridgeTest, MemberPrefixesChooseTheKindOfCall) {
    Recorder object;
    EXPECT_EQ(std::get<int64_t>(*bridge.call(object, "set_Rate", {int64_t(-4)})), 7);
    bridge.call(object, "setbyref_Rate", {int64_t(1)});
    bridge.call(object, "get_Rate");
    bridge.call(object, "Speak", {std::string("x"), int64_t(1)});
    ASSERT_EQ(object.calls.size(), 4u);
    EXPECT_EQ(object.calls[0].kind, MemberKind::PropertyPut);
    EXPECT_EQ(object.calls[1].kind, MemberKind::PropertyPutByRef);
    EXPECT_EQ(object.calls[2].kind, MemberKind::PropertyGet);
    EXPECT_EQ(object.calls[3].kind, MemberKind::Method);
    for (const auto& call : object.calls) EXPECT_TRUE(call.name == "Rate" || call.name == "Speak");
    EXPECT_EQ(object.calls[3].arguments, 2u);
    EXPECT_TRUE(reports.empty());
}

TEST_F(BridgeTest, UnknownMemberIsReportedAndNotCalled) {
    Recorder object;
    EXPECT_FALSE(bridge.call(object, "get_Volume").has_value());
    EXPECT_EQ(reports, std::vector<std::string>{"COM error\rdispid for Volume not found"});
    EXPECT_TRUE(object.calls.empty());
}

TEST(LastModifiedDate, HttpDatesBecomeTheirDayAndOthersNothing) {
    EXPECT_EQ(lastModifiedDate("Wed, 21 Oct 2015 07:28:00 GMT"), "2015-10-21");
    EXPECT_EQ(lastModifiedDate("mon, 3 jan 2022 00:00:00 gmt"), "2022-01-03");
    EXPECT_EQ(lastModifiedDate("Fri, 01 Dec 2023 23:59:59 GMT"), "2023-12-01");
    // Another zone is taken to universal time.
    EXPECT_EQ(lastModifiedDate("Fri, 01 Dec 2023 23:30:00 -0100"), "2023-12-02");
    // A date nobody can read is no date at all, never one that looks newer.
    for (const char* unreadable : {"", "Wed, 21 Foo 2015", "Wed, 21 ANF 2015", "garbage"})
        EXPECT_EQ(lastModifiedDate(unreadable), "") << unreadable;
}

TEST_F(BridgeTest, HttpBodyAndLastModifiedFromALocalServer) {
    std::string body(300000, 'z');
    body[0] = '\0';  // binary bodies come back byte for byte
    OneAnswerHttpServer server(200, body, "Last-Modified: Tue, 05 Mar 2024 08:00:00 GMT\r\n");
    bridge.registerClass(kHttpRequestClass, createHttpRequest);
    auto request = bridge.createObject(kHttpRequestClass);
    ASSERT_NE(request, nullptr);
    const Bytes got = bridge.httpBody(*request, server.url("/chindict/export/cedict/a.zip"));
    EXPECT_EQ(std::string(got.begin(), got.end()), body);
    EXPECT_EQ(bridge.lastModified(*request, server.url("/a.zip")), "2024-03-05");
    EXPECT_EQ(server.lastMethod(), "HEAD");
    EXPECT_TRUE(reports.empty());
}

TEST(HttpRequest, FailuresGiveNoBody) {
    HttpLimits limits;
    limits.connectSeconds = 2;
    limits.stallSeconds = 1;
    limits.totalSeconds = 3;
    limits.maxBodyBytes = 1000;
    {
        // Nothing listens on a port the server has just given up.
        std::string url;
        {
            OneAnswerHttpServer gone(200, "x");
            url = gone.url();
        }
        HttpRequest request(limits);
        request.open("GET", url);
        EXPECT_FALSE(request.send());
        EXPECT_TRUE(request.responseBody().empty());
    }
    {
        // A server that never answers is given up, not waited for for ever.
        OneAnswerHttpServer silent(200, "", "", true);
        HttpRequest request(limits);
        request.open("GET", silent.url());
        EXPECT_FALSE(request.send());
        EXPECT_TRUE(request.responseBody().empty());
    }
    {
        // A body above the limit is refused whole, not cut.
        OneAnswerHttpServer large(200, std::string(5000, 'x'));
        HttpRequest request(limits);
        request.open("GET", large.url());
        EXPECT_FALSE(request.send());
        EXPECT_TRUE(request.responseBody().empty());
    }
    {
        // Only http and https are fetched.
        HttpRequest request(limits);
        request.open("GET", "file:///etc/hostname");
        EXPECT_FALSE(request.send());
        EXPECT_TRUE(request.responseBody().empty());
    }
}

TEST(HttpRequest, HeadersAreFoundInAnyCaseAndStatusIsKept) {
    OneAnswerHttpServer server(404, "missing", "X-Thing: one\r\n");
    HttpRequest request;
    request.open("GET", server.url());
    EXPECT_TRUE(request.send());
    EXPECT_EQ(request.status(), 404);
    EXPECT_EQ(request.responseHeader("x-THING"), "one");
    EXPECT_EQ(request.responseHeader("Absent"), "");
}

}  // namespace
}  // namespace tulvo::platform
