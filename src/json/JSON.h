#pragma once

// Torvane's JSON library: include this one header.

// The writer: values to compact JSON text.
#include "json/JSONDataSerializer.h"
#include "json/JSONSerializer.h"
#include "json/SerializedJSONData.h"
