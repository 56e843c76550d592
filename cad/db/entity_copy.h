// Copying an entity within its drawing, as the COPY command does.
#pragma once

#include "host/dbentities.h"

namespace qx {

// Clones the entity with id `source`, transforms the copy and appends it to the block that
// owns the source; a block reference's attributes are copied with it. The copy gets new
// handles; nothing is left open.
Qxapp::ErrorStatus copyEntity(QxDbObjectId source, const QxGeMatrix3d& transform, QxDbObjectId& copy);

// The name of a status, for messages.
const char16_t* statusName(Qxapp::ErrorStatus status);

}  // namespace qx
