#include "base/json_answer.h"

#include <cmath>
#include <cstring>
#include <limits>

#include <nlohmann/json.hpp>

using nlohmann::json;

namespace {

// The first pass: counts values and depth and stops the parser at the first
// one beyond the bounds, building nothing. The library's parser keeps its
// own stack on the heap, so this pass itself is safe at any depth.
class CBoundsCheck : public nlohmann::json_sax<json> {
public:
    bool null() override { return Value(); }
    bool boolean(bool) override { return Value(); }
    bool number_integer(number_integer_t) override { return Value(); }
    bool number_unsigned(number_unsigned_t) override { return Value(); }
    bool number_float(number_float_t, const string_t&) override { return Value(); }
    bool string(string_t&) override { return Value(); }
    bool binary(binary_t&) override { return Value(); }
    bool start_object(std::size_t) override { return Enter(); }
    bool key(string_t&) override { return true; }
    bool end_object() override { return Leave(); }
    bool start_array(std::size_t) override { return Enter(); }
    bool end_array() override { return Leave(); }
    bool parse_error(std::size_t, const std::string&, const json::exception&) override { return false; }

private:
    bool Value() { return ++m_nValues <= kMaxAnswerValues; }
    bool Enter() { return Value() && ++m_nDepth <= kMaxAnswerDepth; }
    bool Leave() {
        --m_nDepth;
        return true;
    }

    std::size_t m_nValues = 0;
    std::size_t m_nDepth = 0;
};

bool HasControlChar(const std::string& text) {
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) return true;
    }
    return false;
}

}  // namespace

bool ParseBoundedJson(const std::string& body, json& answer) noexcept {
    try {
        answer = nullptr;
        if (body.size() > kMaxAnswerBytes) return false;
        CBoundsCheck bounds;
        if (!json::sax_parse(body, &bounds)) return false;
        // Parse errors come back as a discarded value, not as exceptions.
        // The library keeps its exceptions, as the whole tree does (built
        // without them it would abort instead of throwing): the readers
        // check every member's type before reading it, so what can still
        // throw is running out of memory, and ReadGuarded catches that.
        answer = json::parse(body, nullptr, false);
        return !answer.is_discarded();
    } catch (...) {
        answer = nullptr;
        return false;
    }
}

std::string LoweredAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool IsWebAddress(const std::string& text) {
    const std::string scheme = LoweredAscii(text.substr(0, 8));
    return (scheme.compare(0, 7, "http://") == 0 || scheme == "https://") && !HasControlChar(text);
}

const json* Member(const json& value, const char* szKey) {
    if (!value.is_object()) return nullptr;
    const auto it = value.find(szKey);
    return it == value.end() ? nullptr : &*it;
}

bool ReadWholeNumber(const json& value, int64_t& nNumber) {
    if (value.is_number_integer() && !value.is_number_unsigned()) {
        nNumber = value.get<int64_t>();
        return true;
    }
    if (value.is_number_unsigned()) {
        const uint64_t nUnsigned = value.get<uint64_t>();
        if (nUnsigned > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return false;
        nNumber = static_cast<int64_t>(nUnsigned);
        return true;
    }
    if (value.is_number_float()) {
        const double dValue = value.get<double>();
        // 2^63 is exact as a double; every whole double below it fits.
        if (!std::isfinite(dValue) || std::trunc(dValue) != dValue || dValue < -9223372036854775808.0 ||
            dValue >= 9223372036854775808.0)
            return false;
        nNumber = static_cast<int64_t>(dValue);
        return true;
    }
    return false;
}

std::string LoggedText(const json& value) {
    if (!value.is_string()) return std::string();
    return value.get_ref<const std::string&>().substr(0, kMaxLoggedText);
}

void TakeResultUrls(const json& results, std::vector<std::string>& urls) {
    if (!results.is_array()) return;
    for (const json& item : results) {
        if (urls.size() >= kMaxKeptResults) return;
        const json* lpUrl = Member(item, "url");
        if (!lpUrl || !lpUrl->is_string()) continue;
        const std::string& url = lpUrl->get_ref<const std::string&>();
        if (IsWebAddress(url)) urls.push_back(url);
    }
}
