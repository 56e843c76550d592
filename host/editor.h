// The drawing editor: command line, system variables, object selection, points and the
// command stack. Calls that talk to the user return a QxResultCode: QXRT_NORM on success.
#pragma once

#include <cstdint>

#include "geometry.h"
#include "resbuf.h"
#include "rx.h"

// Name of an entity or of a selection set, as the selection calls hand them out.
typedef std::int64_t qxds_name[2];

// Command line. The format follows printf, with %s taking a UTF-16 text (const char16_t*);
// %d, %i, %u, %x, %ld, %g, %f, %e and %c work as in printf.
int qxutPrintf(const char16_t* format, ...);

// System variables. A string result is allocated by the host: free it with qxutDelBuffer.
int qxedGetVar(const char16_t* name, qxresbuf* result);
int qxedSetVar(const char16_t* name, const qxresbuf* value);

// Asks the user for a point; with a base point the host may show a rubber band. The point
// comes back in the current coordinate system. QXRT_NORM, or QXRT_CANCEL when refused.
int qxedGetPoint(const double* basePoint, const char16_t* prompt, double result[3]);
// Makes `ucsToWorld` the current coordinate system of the drawing editor.
Qxapp::ErrorStatus qxedSetCurrentUCS(const QxGeMatrix3d& ucsToWorld);

// Object selection. `mode` is null (the user selects), u"A" (every object of model space
// that is not erased, in drawing order) or u":S" (the user picks one object). `filter` is an
// optional chain of QXRT_DXF0 groups naming object types. The two point arguments are not used.
int qxedSSGet(const char16_t* mode, const void* pt1, const void* pt2, const qxresbuf* filter, qxds_name ss);
int qxedSSLength(const qxds_name ss, std::int32_t* length);
int qxedSSName(const qxds_name ss, std::int32_t index, qxds_name entity);
int qxedSSFree(const qxds_name ss);

// Entities of the drawing by name: the last one of model space, the one after a given one
// (the first of the drawing when `entity` is null), and its definition data as a chain
// (group -1 the name, 0 the type, 5 the handle, 8 the layer); free it with qxutRelRb.
int qxdbEntLast(qxds_name result);
int qxdbEntNext(const qxds_name entity, qxds_name result);
qxresbuf* qxdbEntGet(const qxds_name entity);

// Command stack.
typedef void (*QxRxFunctionPtr)();
class QxEdUIContext;
class QxEdCommand;
using QxResourceInstance = struct QxResourceModule*;

namespace QxEdCmd {
enum Flags : std::int32_t { kModal = 0x0, kTransparent = 0x1, kUsePickSet = 0x2, kRedraw = 0x4 };
}

class QxEdCommand : public QxRxObject {
    QX_RX_DECLARE_MEMBERS(QxEdCommand)
public:
    virtual const char16_t* globalName() const = 0;
    virtual const char16_t* localName() const = 0;
    virtual const char16_t* groupName() const = 0;
    virtual std::int32_t commandFlags() const = 0;
    virtual QxRxFunctionPtr functionAddr() const = 0;
    virtual QxResourceInstance resourceInstance() const = 0;
    virtual QxEdUIContext* UIContext() const = 0;
    virtual int functionCode() const = 0;
};

class QxEdCommandStack : public QxRxObject {
    QX_RX_DECLARE_MEMBERS(QxEdCommandStack)
public:
    virtual Qxapp::ErrorStatus addCommand(const char16_t* groupName, const char16_t* globalName,
                                          const char16_t* localName, std::int32_t flags,
                                          QxRxFunctionPtr function, QxEdUIContext* uiContext = nullptr,
                                          int functionCode = -1, QxResourceInstance resource = nullptr,
                                          QxEdCommand** commandOut = nullptr) = 0;
    virtual Qxapp::ErrorStatus removeGroup(const char16_t* groupName) = 0;
    // Looks a command up by its global or local name, ignoring letter case.
    virtual QxEdCommand* lookupCmd(const char16_t* name) const = 0;
};
