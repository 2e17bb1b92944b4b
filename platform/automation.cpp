#include "platform/automation.hpp"

#include <cctype>
#include <cstdio>

namespace tulvo::platform {
namespace {

std::string hex(uint32_t code) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X", code);
    return buffer;
}

// The decimal number at the start of a field, 0 when there is none.
int leadingNumber(std::string_view field) {
    int value = 0;
    for (char c : field) {
        if (c < '0' || c > '9' || value > 100000) break;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::vector<std::string_view> splitOnSpaces(std::string_view text) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find(' ', start);
        if (end == std::string_view::npos) {
            fields.push_back(text.substr(start));
            break;
        }
        fields.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

}  // namespace

std::string classNotFoundMessage(std::string_view name) {
    return "Couldn't find Class ID of object, type:\r" + std::string(name);
}

std::string creationFailedMessage(std::string_view name, uint32_t code,
                                  std::string_view systemText) {
    return "Creation of object failed, type:\r" + std::string(name) + "\r" +
           std::string(systemText) + " (&h" + hex(code) + ")";
}

std::string memberNotFoundMessage(std::string_view member) {
    return "COM error\rdispid for " + std::string(member) + " not found";
}

AutomationBridge::AutomationBridge(Reporter report) : report_(std::move(report)) {}

void AutomationBridge::registerClass(std::string name, Factory factory) {
    classes_[std::move(name)] = std::move(factory);
}

std::unique_ptr<AutomationObject> AutomationBridge::createObject(std::string_view name) {
    const auto found = classes_.find(name);
    if (found == classes_.end()) {
        report_(classNotFoundMessage(name));
        return nullptr;
    }
    Creation made = found->second();
    if (!made.object) {
        report_(creationFailedMessage(name, made.errorCode, made.errorText));
        return nullptr;
    }
    return std::move(made.object);
}

std::optional<Variant> AutomationBridge::call(AutomationObject& object, std::string_view member,
                                              const std::vector<Variant>& args) {
    MemberKind kind = MemberKind::Method;
    std::string_view name = member;
    if (member.starts_with("set_")) {
        kind = MemberKind::PropertyPut;
        name.remove_prefix(4);
    } else if (member.starts_with("setbyref_")) {
        kind = MemberKind::PropertyPutByRef;
        name.remove_prefix(9);
    } else if (member.starts_with("get_")) {
        kind = MemberKind::PropertyGet;
        name.remove_prefix(4);
    }
    if (!object.hasMember(name)) {
        report_(memberNotFoundMessage(name));
        return std::nullopt;
    }
    return object.invoke(name, kind, args);
}

Bytes AutomationBridge::httpBody(AutomationObject& request, const std::string& url) {
    if (!call(request, "open", {std::string("GET"), url, false})) return {};
    if (!call(request, "send")) return {};
    const auto body = call(request, "get_responseBody");
    if (!body) return {};
    if (const Bytes* bytes = std::get_if<Bytes>(&*body)) return *bytes;
    return {};
}

std::string AutomationBridge::lastModified(AutomationObject& request, const std::string& url) {
    if (!call(request, "open", {std::string("HEAD"), url, false})) return {};
    if (!call(request, "send")) return {};
    const auto header = call(request, "getResponseHeader", {std::string("LAST-MODIFIED")});
    if (!header) return {};
    if (const std::string* text = std::get_if<std::string>(&*header))
        return lastModifiedDate(*text);
    return {};
}

std::string lastModifiedDate(std::string_view header) {
    if (header.empty()) return {};
    std::string upper(header);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const auto fields = splitOnSpaces(upper);
    const auto field = [&](size_t n) {
        return n <= fields.size() ? fields[n - 1] : std::string_view();
    };
    const int day = leadingNumber(field(2));
    const int year = leadingNumber(field(4));
    // A month name is one of the twelve three-letter names; anything else is 0.
    static constexpr std::string_view kMonths = "JANFEBMARAPRMAYJUNJULAUGSEPOCTNOVDEC";
    int month = 0;
    const std::string_view name = field(3);
    if (name.size() == 3) {
        const size_t at = kMonths.find(name);
        if (at != std::string_view::npos && at % 3 == 0) month = static_cast<int>(at / 3 + 1);
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year % 10000, month, day % 100);
    return buffer;
}

}  // namespace tulvo::platform
