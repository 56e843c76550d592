// The document manager: open documents and the stack of resource instances.
#pragma once

#include <string>

#include "resources.h"

class QxDbDatabase;

class QxApDocument {
public:
    virtual ~QxApDocument() = default;
    virtual std::u16string fileName() const = 0;  // full path, or a "DrawingN.dxf" name when new
    virtual QxDbDatabase* database() const = 0;
};

class QxApDocManager {
public:
    virtual ~QxApDocManager() = default;
    virtual QxApDocument* curDocument() const = 0;
    virtual QxApDocument* document(const QxDbDatabase* database) const = 0;
    // Makes `instance` the current resource instance until the matching pop.
    virtual void pushResourceHandle(QxResourceInstance instance) = 0;
    virtual void popResourceHandle() = 0;
};

QxApDocManager* qxDocManagerPtr();
