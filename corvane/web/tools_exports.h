#pragma once
// The exports of the two outside libraries, "brannick.dll" (tools) and
// "vossic.dll" (rank checksum), as this program calls them. The stand-in
// libraries check their exports against these types. Portable.
#include "base/link_record.h"

// The tools library uses the C calling convention, the checksum library
// the standard Windows one (it removes its own arguments); the native
// build has one convention only.
#if defined(_WIN32)
#define TOOLS_CALL __cdecl
#define CHECKSUM_CALL __stdcall
#else
#define TOOLS_CALL
#define CHECKSUM_CALL
#endif

typedef void*(TOOLS_CALL* PFN_OpenConnection)();
typedef void(TOOLS_CALL* PFN_CloseConnection)(void* hConnection);
typedef void(TOOLS_CALL* PFN_CorrectURL)(URLInfo* lpInfo);
typedef char*(TOOLS_CALL* PFN_tcsstrncase)(const char* szText, const char* szPattern);
typedef char*(TOOLS_CALL* PFN_tcsstrback)(const char* szText, const char* szPattern);
typedef bool(TOOLS_CALL* PFN_IsValidGURL)(const char* szAddress);
typedef int(CHECKSUM_CALL* PFN_GetCH)(const char* szAddress, char* szChecksum);

// IsValidGURL answers in one byte.
static_assert(sizeof(bool) == 1, "bool is one byte");
