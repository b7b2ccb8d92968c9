#pragma once

// Torvane's JSON library: include this one header.
//
// The classes keep the names of the platform library they stand in for; each selector becomes
// a method named after its first keyword, keeping its optional out-parameters as nullable
// pointers (pass nullptr for "not needed"):
//
//   -[JSONScanner scanJSONObject:error:]       bool scanJSONObject(Value* out, Error* error)
//   -[DataScanner scanString:intoString:]      bool scanString(const Value& string, Value* out)
//   -[JSONDeserializer deserialize:error:]     static Value JSONDeserializer::deserialize(const Data&,
//   Error*)
//   +[NSDictionary dictionaryWithJSONData:error:]
//                                              static Value
//                                              NSDictionary_JSONReading::dictionaryWithJSONData(...)
//   +linebreaksCharacterSet                    CharacterSet linebreaksCharacterSet()
//   -[NSScanner backtrack:]                    void backtrack(TextScanner&, std::uint32_t count)
//
// Extension groups on platform classes become free functions taking the extended object
// (NSScanner_Extensions) or members declared with the class (DataScanner_Extensions).
//
// "None" (the platform's nil) is a default-constructed Value or Data. Exceptions are raised only
// where the platform raises NSGenericException: as torvane::GenericException.
//
//   Data text = Data::copy(R"({"lens": "blue"})");
//   Error error;
//   Value value = JSONDeserializer::deserialize(text, &error);
//   if (value.isDictionary()) use(value.objectForKey("lens"));

// Reading
#include "json/DataScanner.h"
#include "json/JSONDeserializer.h"
#include "json/JSONScanner.h"
#include "json/NSCharacterSet_Extensions.h"
#include "json/NSDictionary_JSONReading.h"
#include "json/NSScanner_Extensions.h"

// Writing
#include "json/JSONDataSerializer.h"
#include "json/JSONSerializer.h"
#include "json/SerializedJSONData.h"
