// Result buffers: the host's chains of typed values, used for system variables, selection
// filters and extended data. A chain received from the host is released by the receiver.
#pragma once

#include <cstdint>
#include <string_view>

#include "qxapp.h"

union qxresval {
    double rreal;
    double rpoint[3];
    short rint;
    std::int32_t rlong;
    std::int64_t rlname[2];
    char16_t* rstring;  // owned by the buffer, allocated by the host
    struct {
        std::int32_t clen;
        unsigned char* buf;  // owned by the buffer
    } rbinary;
};

struct qxresbuf {
    qxresbuf* rbnext;
    int restype;  // a QxResultCode or an extended-data group code (1000-1071)
    qxresval resval;
};

// Result buffer value kinds, by type code: which member of qxresval a code uses.
enum class QxRbKind { None, Real, Point, Short, Long, String, Name, Binary };
QxRbKind qxutRbKind(int restype);

// A new buffer of the given type, zeroed (a string buffer holds no string yet).
qxresbuf* qxutNewRb(int restype);
// Releases a whole chain, strings and binary chunks included.
int qxutRelRb(qxresbuf* chain);
// Builds a chain from (type, value) pairs ending with 0, for example
// qxutBuildList(QXRT_DXF0, u"ACAD_TABLE", 0). String values are copied.
qxresbuf* qxutBuildList(int restype, ...);
// Frees a host-allocated string (such as the string of a QXRT_STR system variable) and
// sets the pointer to null.
void qxutDelBuffer(char16_t*& text);
// Host-allocated copy of a text, to store in a buffer's rstring.
char16_t* qxutNewString(const char16_t* text);
char16_t* qxutNewString(std::u16string_view text);
// Deep copy of a chain.
qxresbuf* qxutDupChain(const qxresbuf* chain);
