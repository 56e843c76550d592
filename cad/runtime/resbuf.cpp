// Result buffers: allocation, release, list building and copying.
#include <cstdarg>
#include <cstring>
#include <string>

#include "resbuf.h"

QxRbKind qxutRbKind(int t)
{
    switch (t) {
    case QXRT_NONE: return QxRbKind::None;
    case QXRT_REAL:
    case QXRT_ANG: return QxRbKind::Real;
    case QXRT_POINT:
    case QXRT_3DPOINT: return QxRbKind::Point;
    case QXRT_SHORT: return QxRbKind::Short;
    case QXRT_LONG: return QxRbKind::Long;
    case QXRT_STR:
    case QXRT_DXF0: return QxRbKind::String;
    case QXRT_ENAME:
    case QXRT_PICKS: return QxRbKind::Name;
    default: break;
    }
    // Drawing-file group codes, as extended data and entity data use them.
    if (t == -1 || t == -2) return QxRbKind::Name;
    if (t == 1004 || (t >= 310 && t <= 319)) return QxRbKind::Binary;
    if ((t >= 0 && t <= 9) || t == 100 || t == 102 || t == 105 || (t >= 300 && t <= 309) ||
        (t >= 320 && t <= 369) || (t >= 390 && t <= 399) || (t >= 410 && t <= 419) || (t >= 430 && t <= 439) ||
        t == 999 || (t >= 1000 && t <= 1009))
        return QxRbKind::String;
    if ((t >= 10 && t <= 17) || t == 210 || (t >= 1010 && t <= 1013)) return QxRbKind::Point;
    if ((t >= 38 && t <= 59) || (t >= 110 && t <= 149) || (t >= 211 && t <= 239) || (t >= 460 && t <= 469) ||
        (t >= 1014 && t <= 1059))
        return QxRbKind::Real;
    if ((t >= 60 && t <= 79) || (t >= 170 && t <= 179) || (t >= 270 && t <= 299) || (t >= 370 && t <= 389) ||
        (t >= 400 && t <= 409) || t == 1060 || t == 1070)
        return QxRbKind::Short;
    if ((t >= 90 && t <= 99) || (t >= 420 && t <= 429) || (t >= 440 && t <= 459) || t == 1071) return QxRbKind::Long;
    return QxRbKind::None;
}

char16_t* qxutNewString(const char16_t* text)
{
    return qxutNewString(text ? std::u16string_view(text) : std::u16string_view());
}

char16_t* qxutNewString(std::u16string_view text)
{
    auto* copy = new char16_t[text.size() + 1];
    std::memcpy(copy, text.data(), text.size() * sizeof(char16_t));
    copy[text.size()] = 0;
    return copy;
}

void qxutDelBuffer(char16_t*& text)
{
    delete[] text;
    text = nullptr;
}

qxresbuf* qxutNewRb(int restype)
{
    auto* rb = new qxresbuf{};
    rb->restype = restype;
    return rb;
}

static void releaseValue(qxresbuf* rb)
{
    switch (qxutRbKind(rb->restype)) {
    case QxRbKind::String: delete[] rb->resval.rstring; break;
    case QxRbKind::Binary: delete[] rb->resval.rbinary.buf; break;
    default: break;
    }
}

int qxutRelRb(qxresbuf* chain)
{
    while (chain) {
        qxresbuf* next = chain->rbnext;
        releaseValue(chain);
        delete chain;
        chain = next;
    }
    return QXRT_NORM;
}

qxresbuf* qxutBuildList(int restype, ...)
{
    va_list args;
    va_start(args, restype);
    qxresbuf* head = nullptr;
    qxresbuf** tail = &head;
    for (int type = restype; type != 0; type = va_arg(args, int)) {
        qxresbuf* rb = qxutNewRb(type);
        switch (qxutRbKind(type)) {
        case QxRbKind::String: rb->resval.rstring = qxutNewString(va_arg(args, const char16_t*)); break;
        case QxRbKind::Real: rb->resval.rreal = va_arg(args, double); break;
        case QxRbKind::Short: rb->resval.rint = static_cast<short>(va_arg(args, int)); break;
        case QxRbKind::Long: rb->resval.rlong = va_arg(args, std::int32_t); break;
        case QxRbKind::Point: {
            const double* p = va_arg(args, const double*);
            for (int i = 0; i < 3; ++i) rb->resval.rpoint[i] = p ? p[i] : 0.0;
            break;
        }
        case QxRbKind::Name: {
            const std::int64_t* n = va_arg(args, const std::int64_t*);
            rb->resval.rlname[0] = n ? n[0] : 0;
            rb->resval.rlname[1] = n ? n[1] : 0;
            break;
        }
        case QxRbKind::Binary:
        case QxRbKind::None: break;
        }
        *tail = rb;
        tail = &rb->rbnext;
    }
    va_end(args);
    return head;
}

qxresbuf* qxutDupChain(const qxresbuf* chain)
{
    qxresbuf* head = nullptr;
    qxresbuf** tail = &head;
    for (; chain; chain = chain->rbnext) {
        qxresbuf* rb = qxutNewRb(chain->restype);
        rb->resval = chain->resval;
        if (qxutRbKind(chain->restype) == QxRbKind::String) {
            rb->resval.rstring = qxutNewString(chain->resval.rstring);
        } else if (qxutRbKind(chain->restype) == QxRbKind::Binary && chain->resval.rbinary.buf) {
            const auto length = static_cast<std::size_t>(chain->resval.rbinary.clen);
            rb->resval.rbinary.buf = new unsigned char[length];
            std::memcpy(rb->resval.rbinary.buf, chain->resval.rbinary.buf, length);
        }
        *tail = rb;
        tail = &rb->rbnext;
    }
    return head;
}
