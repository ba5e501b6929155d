#pragma once
// Reading the JSON answers of the result and rank services of today's web
// with nlohmann-json, within the bounds every reader keeps. Portable; the
// readers live with the subsystem that uses their answer, this file holds
// what they share.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "base/answer_outcome.h"

// Parses body into answer, false for anything that is not one JSON text
// within the bounds above. Never throws: the bounds are checked by a first
// pass that builds nothing, so an over-deep or over-wide body costs no
// memory; parse errors are results, not exceptions.
bool ParseBoundedJson(const std::string& body, nlohmann::json& answer) noexcept;

// The member key of an object, null when value is no object or lacks it.
const nlohmann::json* Member(const nlohmann::json& value, const char* szKey);

// A number without a fractional part that fits 64 bits (6 and 6.0 alike).
bool ReadWholeNumber(const nlohmann::json& value, int64_t& nNumber);

// The text with its ASCII letters lower-cased: names and addresses in
// answers compare so, whatever the locale.
std::string LoweredAscii(std::string text);

// An address that starts with http:// or https:// (any case) and holds no
// control character, which would cut or split it in a fixed field or a log
// line.
bool IsWebAddress(const std::string& text);

// A string cut to kMaxLoggedText bytes; empty for any other value.
std::string LoggedText(const nlohmann::json& value);

// Appends the "url" of each item of results, in order, up to
// kMaxKeptResults in all: only web addresses (IsWebAddress). Items without
// one are passed over.
void TakeResultUrls(const nlohmann::json& results, std::vector<std::string>& urls);

// Runs read(result) and gives its result, or a default-made one (whose
// outcome is Malformed) when anything in it threw, as running out of memory
// may: no exception leaves a reader.
template <typename Result, typename Read>
Result ReadGuarded(Read&& read) noexcept {
    Result result;
    try {
        read(result);
    } catch (...) {
        result = Result();
    }
    return result;
}
