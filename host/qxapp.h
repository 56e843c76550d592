// Status codes of the plug-in interface. Object and table operations return
// Qxapp::ErrorStatus; selection, point and system-variable calls return the result codes.
#pragma once

namespace Qxapp {

enum ErrorStatus : int {
    eOk = 0,
    eNotImplementedYet = 1,
    eInvalidInput = 3,
    eNullObjectId = 5,
    eNotApplicable = 8,
    eKeyNotFound = 12,
    eDuplicateKey = 13,
    eInvalidIndex = 14,
    eWasErased = 20,
    eWasOpenForRead = 52,
    eWasOpenForWrite = 53,
    eNotOpenForWrite = 58,
    eNotOpenForRead = 59,
    eWasNotOpen = 64,
    eAtMaxReaders = 70,
    eWrongObjectType = 83,
    eNotInDatabase = 97,
    eAlreadyInDb = 101,
    eOutOfRange = 150,
    eInvalidXData = 181,
    eRegappIdNotFound = 182,
    eXdataSizeExceeded = 187,
    eFileAccessErr = 200,
    eFileNotFound = 210,
    eBadDxfFile = 216,
    eNotInGroup = 300,
};

}  // namespace Qxapp

// Result codes of the selection, point, system-variable and command-line calls, and the type
// codes of result buffers.
enum QxResultCode : int {
    QXRT_NONE = 5000,      // no value
    QXRT_REAL = 5001,
    QXRT_POINT = 5002,
    QXRT_SHORT = 5003,
    QXRT_ANG = 5004,
    QXRT_STR = 5005,       // string
    QXRT_ENAME = 5006,
    QXRT_PICKS = 5007,     // selection set name
    QXRT_LONG = 5010,
    QXRT_3DPOINT = 5009,
    QXRT_DXF0 = 5020,      // filter group: the object's type name
    QXRT_NORM = 5100,      // normal completion
    QXRT_ERROR = -5001,
    QXRT_CANCEL = -5002,
    QXRT_REJECT = -5003,
};
