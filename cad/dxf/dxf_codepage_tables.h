// Tables of the single-byte code pages; see dxf_codepage_tables.cpp.
#pragma once

namespace qx::dxf::detail {

extern const char16_t kCodePage874[128];
extern const char16_t kCodePage1250[128];
extern const char16_t kCodePage1251[128];
extern const char16_t kCodePage1252[128];
extern const char16_t kCodePage1253[128];
extern const char16_t kCodePage1254[128];
extern const char16_t kCodePage1255[128];
extern const char16_t kCodePage1256[128];
extern const char16_t kCodePage1257[128];
extern const char16_t kCodePage1258[128];
extern const char16_t kCodePage437[128];
extern const char16_t kCodePage850[128];
extern const char16_t kCodePage852[128];
extern const char16_t kCodePage866[128];

}  // namespace qx::dxf::detail
