#include "platform/automation.hpp"

#include "platform/http_request.hpp"

#include <cctype>
#include <cstdio>

namespace tulvo::platform {
namespace {

std::string hex(uint32_t code) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X", code);
    return buffer;
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

}  // namespace tulvo::platform
