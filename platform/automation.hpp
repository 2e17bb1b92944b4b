// Objects driven by name: a class is created from its name and its members
// are called by name with variant arguments. The HTTP request object and the
// speech voice sit behind this, so the callers name them as they always have.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tulvo::platform {

using Bytes = std::vector<uint8_t>;
using Variant = std::variant<std::monostate, bool, int64_t, std::string, Bytes>;

enum class MemberKind { Method, PropertyGet, PropertyPut, PropertyPutByRef };

class AutomationObject {
  public:
    virtual ~AutomationObject() = default;
    virtual bool hasMember(std::string_view name) const = 0;
    // Called only for members the object has.
    virtual Variant invoke(std::string_view name, MemberKind kind,
                           const std::vector<Variant>& args) = 0;
};

// What a class factory gives back: the object, or the error code and the
// system's text for it when creation was refused.
struct Creation {
    std::unique_ptr<AutomationObject> object;
    uint32_t errorCode = 0;
    std::string errorText;
};

class AutomationBridge {
  public:
    using Reporter = std::function<void(const std::string& message)>;
    using Factory = std::function<Creation()>;

    // Every failure is handed to `report` (the program shows it in a box).
    explicit AutomationBridge(Reporter report);

    void registerClass(std::string name, Factory factory);

    // Nothing when the class is unknown or refuses creation.
    std::unique_ptr<AutomationObject> createObject(std::string_view name);

    // "set_x" puts property x, "setbyref_x" puts it by reference, "get_x"
    // gets it, any other name is a method. Nothing when the object lacks it.
    std::optional<Variant> call(AutomationObject& object, std::string_view member,
                                const std::vector<Variant>& args = {});

    // GET of the URL through an HTTP request object; empty on any failure.
    Bytes httpBody(AutomationObject& request, const std::string& url);
    // HEAD of the URL: its Last-Modified date as YYYY-MM-DD, or empty.
    std::string lastModified(AutomationObject& request, const std::string& url);

  private:
    Reporter report_;
    std::map<std::string, Factory, std::less<>> classes_;
};

// The class name of the HTTP request object.
inline constexpr const char* kHttpRequestClass = "Msxml2.XMLHTTP";

// Text of a failure, CR between lines.
std::string classNotFoundMessage(std::string_view name);
std::string creationFailedMessage(std::string_view name, uint32_t code,
                                  std::string_view systemText);
std::string memberNotFoundMessage(std::string_view member);

}  // namespace tulvo::platform
