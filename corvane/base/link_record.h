#pragma once
// The fixed-size record of one page, as it travels through a run, and the
// small helpers every subsystem shares. Portable: no Windows headers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr std::size_t kSourceSize = 2048;
constexpr std::size_t kEmailSize = 128;
constexpr std::size_t kWhoIsSize = 128;
constexpr std::size_t kContactPageSize = 1024;

struct URLInfo {
    char Source[kSourceSize];
    int32_t Incoming;
    int32_t Outcoming;
    int32_t lPoint;
    int32_t Rank;
    int32_t Item;
    char Email[kEmailSize];
    char WhoIs[kWhoIsSize];
    char ContactPage[kContactPageSize];
};

// The record goes to the tools library (CorrectURL) and is copied byte for
// byte: one layout for 32- and 64-bit builds and for the library's side.
static_assert(sizeof(URLInfo) == 3348, "URLInfo size");
static_assert(alignof(URLInfo) == 4, "URLInfo alignment");
static_assert(offsetof(URLInfo, Source) == 0, "URLInfo::Source");
static_assert(offsetof(URLInfo, Incoming) == 2048, "URLInfo::Incoming");
static_assert(offsetof(URLInfo, Outcoming) == 2052, "URLInfo::Outcoming");
static_assert(offsetof(URLInfo, lPoint) == 2056, "URLInfo::lPoint");
static_assert(offsetof(URLInfo, Rank) == 2060, "URLInfo::Rank");
static_assert(offsetof(URLInfo, Item) == 2064, "URLInfo::Item");
static_assert(offsetof(URLInfo, Email) == 2068, "URLInfo::Email");
static_assert(offsetof(URLInfo, WhoIs) == 2196, "URLInfo::WhoIs");
static_assert(offsetof(URLInfo, ContactPage) == 2324, "URLInfo::ContactPage");

// Incoming of a page whose backward links no source counts (today's result
// services answer no "link:" query): shown as an empty cell, never as 0.
constexpr int32_t kNotMeasured = -1;
// A backward-link count as the list and the reports show it.
std::string MeasureText(int32_t nCount);

// A new record: every byte zero, no row yet.
URLInfo MakeRecord(const char* szSource = nullptr);

// Copies text into a fixed field, cut to the field's width less one and
// always terminated inside the field.
void CopyField(char* field, std::size_t fieldSize, const char* text);
template <std::size_t N>
void CopyField(char (&field)[N], const char* text) { CopyField(field, N, text); }
template <std::size_t N>
void CopyField(char (&field)[N], const std::string& text) { CopyField(field, N, text.c_str()); }

// Case-insensitive membership test on a list of addresses.
bool FindInList(const std::vector<std::string>* lpList, const char* szAddress);
