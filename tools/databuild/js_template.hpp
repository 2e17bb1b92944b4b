// Reading the text out of a JavaScript module of the form
//   module.exports = `...`;
// as the JavaScript engine would: the template literal's escapes undone and
// its raw line ends normalised to LF.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tulvo::databuild {

// The cooked value of the first template literal in `source`. Empty with
// `error` set when there is none, it is unterminated, holds a substitution
// ("${") or a malformed escape.
std::optional<std::string> templateLiteralValue(std::string_view source, std::string* error);

}  // namespace tulvo::databuild
