#include "output/host_language.h"

#include "host/editor.h"
#include "host/resbuf.h"

std::u16string ReadHostLanguage()
{
    qxresbuf rbUnit{};
    std::u16string csLanguage;
    if (qxedGetVar(u"VERLAN", &rbUnit) == QXRT_NORM && rbUnit.restype == QXRT_STR && rbUnit.resval.rstring) {
        csLanguage = rbUnit.resval.rstring;
        qxutDelBuffer(rbUnit.resval.rstring);
    }
    return csLanguage;
}
