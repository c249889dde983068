// JSON forms of the values members take and give. Arguments: numbers,
// strings, booleans; null for an optional or unused one; records as objects
// keyed by their field names (missing fields keep their defaults); arrays of
// records as JSON arrays whose first element goes to the array's lower bound;
// byte arrays as arrays of numbers; dates as "2009-08-25T13:45:30".
#pragma once

#include "common/dispatch_members.h"

#include <nlohmann/json.hpp>

#include <string>

namespace sondrel::cli {

using Json = nlohmann::ordered_json;

// How deep arrays and objects may nest in an argument. The deepest a member
// takes is an array of records (2); a value nested deeper is refused before it
// is built, so that no input can exhaust the stack.
inline constexpr int MaxArgumentDepth = 4;

// Parses one JSON text whose arrays and objects nest at most maxDepth deep.
// Throws Json::parse_error for text that is not JSON, UsageError for text
// nested deeper.
Json parseJson(const std::string& text, int maxDepth);

// The argument for a parameter. Scalars keep their JSON kind (the library
// converts them to the parameter's type); records and arrays are built as the
// parameter declares them. Throws UsageError.
Variant argumentFromJson(const Json& value, const ParamInfo& param);

// A value as JSON: null for an empty value, records as objects in field
// order, arrays from their lower bound, dates as ISO text.
Json jsonFromVariant(const Variant& value);

// One line of JSON with a blank after every ':' and ',':
// {"member": "Reset", "result": 1, "args": []}
std::string jsonLine(const Json& value);

} // namespace sondrel::cli
